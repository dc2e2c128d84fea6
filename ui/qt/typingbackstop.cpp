#include "typingbackstop.h"
#include "typingrule.h"

#include <QLineEdit>

#include <utility>

TypingBackstop::TypingBackstop(QLineEdit *field)
    : QObject(field), field(field)
{
    // QLineEdit reports a user's edit just before the change of text that every write reports.
    connect(field, &QLineEdit::textEdited, this, [this] { edited = true; });
    connect(field, &QLineEdit::textChanged, this, [this] { check(std::exchange(edited, false)); });
}

void TypingBackstop::letStand(const std::function<void()> &edit)
{
    const bool wasStanding = std::exchange(standing, true);
    edit();
    standing = wasStanding;
}

void TypingBackstop::check(bool byUser)
{
    // Qt 6.4's redo of a deletion made with the caret inside the selection leaves a selection that
    // starts before the text, and what is typed next replaces the wrong characters.
    if (field->hasSelectedText() && field->selectionStart() < 0)
        field->deselect();
    const QString before = std::exchange(held, field->text());
    if (standing || field->isRedoAvailable())
        return;
    const typingrule::Change change = typingrule::changeBetween(before, held);
    const QString fitting = typingrule::fittingStart(before, change.at, change.removed, change.inserted);
    if (change.inserted.isEmpty() || fitting == change.inserted || (!byUser && change.removed > 0))
        return;
    letStand([&] { field->setText(QString(before).replace(change.at, change.removed, fitting)); });
    field->setCursorPosition(int(change.at + fitting.size()));
}
