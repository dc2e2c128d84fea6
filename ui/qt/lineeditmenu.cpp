#include "lineeditmenu.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include <algorithm>
#include <utility>

namespace lineeditmenu {

namespace {

// By the object name that later Qt versions give the entry, the same in every language; Qt 6.4
// names none, and there only its translated caption, without the shortcut after the tab, tells it.
QAction *pasteEntry(const QMenu *menu)
{
    const QString translated = QCoreApplication::translate("QLineEdit", "&Paste");
    const QList<QAction *> actions = menu->actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](const QAction *action) {
        return action->objectName() == QLatin1StringView("edit-paste")
               || (action->objectName().isEmpty()
                   && action->text().section(QLatin1Char('\t'), 0, 0) == translated);
    });
    return found == actions.end() ? nullptr : *found;
}

} // namespace

void takeOverPaste(QMenu *menu, QObject *receiver, std::function<void()> paste)
{
    QAction *entry = pasteEntry(menu);
    // Left as it is, the entry would paste QLineEdit's way; the window tests fail on this warning.
    if (!entry) {
        qWarning("no context menu entry to take the paste over");
        return;
    }
    QObject::disconnect(entry, &QAction::triggered, nullptr, nullptr);
    QObject::connect(entry, &QAction::triggered, receiver, std::move(paste));
}

} // namespace lineeditmenu
