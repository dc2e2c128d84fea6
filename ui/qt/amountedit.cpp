#include "amountedit.h"
#include "typingrule.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace {

// The keys that QLineEdit itself would type as text (its private QInputControl::isAcceptableInput),
// so that every one of them passes the typing rule and no other key is taken from it.
bool isTypedText(const QKeyEvent *event)
{
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    // Zero-width joiners and direction marks, which some layouts type with Ctrl+Shift.
    if (first.category() == QChar::Other_Format)
        return true;
    // Ctrl and Ctrl+Shift make shortcuts; Ctrl+Alt is AltGr, which types on many layouts.
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse
           || (first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate());
}

// Ctrl+Y and Ctrl+Shift+Z redo on every platform, as the window's other edition does, besides
// whatever the platform's own key bindings name.
bool isRedo(const QKeyEvent *event)
{
    const QKeyCombination keys = event->keyCombination();
    return event->matches(QKeySequence::Redo) || keys == (Qt::ControlModifier | Qt::Key_Y)
           || keys == (Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Z);
}

// The caption of a standard context menu entry, without the shortcut after the tab.
bool isEntry(const QAction *action, const char *caption)
{
    return action->text().section(QLatin1Char('\t'), 0, 0)
           == QCoreApplication::translate("QLineEdit", caption);
}

} // namespace

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // Every change of the text, whoever makes it, is a text the field has held.
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!restoring)
            history.record(text);
    });
}

void AmountEdit::showResult(const QString &text)
{
    setText(text);
    history.startWith(text);
    setCursorPosition(0);
}

void AmountEdit::keyPressEvent(QKeyEvent *event)
{
    if (isRedo(event))
        redoEdit();
    else if (event->matches(QKeySequence::Undo))
        undoEdit();
    else if (event->matches(QKeySequence::Paste))
        pasteFrom(QClipboard::Clipboard);
    else if (isTypedText(event) && !isReadOnly())
        insertByUser(event->text());
    else
        return QLineEdit::keyPressEvent(event);
    event->accept();
}

void AmountEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased();
}

// An input method commits its text in one event that may first replace characters around the
// caret and then move the caret anywhere, so the commit is cut before QLineEdit applies it.
void AmountEdit::inputMethodEvent(QInputMethodEvent *event)
{
    QString remaining = text();
    int caret = cursorPosition();
    if (hasSelectedText()) {
        caret = selectionStart();
        remaining.remove(caret, selectionLength());
    }
    const int from = qBound(0, caret + event->replacementStart(), int(remaining.size()));
    remaining.remove(from, qMax(0, event->replacementLength()));
    const QString fitting = typingrule::fittingStart(remaining, from, event->commitString());
    if (fitting == event->commitString())
        return QLineEdit::inputMethodEvent(event);

    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

// Dropped text goes in at the drop point, where the caret moves first.
void AmountEdit::dropEvent(QDropEvent *event)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull() || isReadOnly())
        return QLineEdit::dropEvent(event);
    setCursorPosition(cursorPositionAt(event->position().toPoint()));
    event->acceptProposedAction();
    insertByUser(dropped);
}

// The middle button pastes the X11 primary selection at the point clicked.
void AmountEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::MiddleButton || isReadOnly()
        || !QGuiApplication::clipboard()->supportsSelection())
        return QLineEdit::mouseReleaseEvent(event);
    deselect();
    pasteFrom(QClipboard::Selection);
    event->accept();
}

// QLineEdit's own menu, with Undo, Redo and Paste taken over. The submenu of Unicode control
// characters, shown for right-to-left languages, would insert past the rule and is left out.
void AmountEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    for (QAction *action : menu->actions()) {
        const auto takeOver = [this, action](auto handler, bool enabled) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, handler);
            action->setEnabled(enabled);
        };
        if (action->menu())
            menu->removeAction(action);
        else if (isEntry(action, "&Undo"))
            takeOver(&AmountEdit::undoEdit, history.canGoBack());
        else if (isEntry(action, "&Redo"))
            takeOver(&AmountEdit::redoEdit, history.canGoForward());
        else if (isEntry(action, "&Paste"))
            takeOver([this] { pasteFrom(QClipboard::Clipboard); }, action->isEnabled());
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void AmountEdit::insertByUser(const QString &inserted)
{
    QString edited = text();
    int at = cursorPosition();
    const bool hadSelection = hasSelectedText();
    if (hadSelection) {
        at = selectionStart();
        edited.remove(at, selectionLength());
    }
    const QString fitting = typingrule::fittingStart(edited, at, inserted);
    // A refused insertion changes nothing, not even the history.
    if (!hadSelection && fitting.isEmpty())
        return;
    edited.insert(at, fitting);
    setText(edited);
    setCursorPosition(at + int(fitting.size()));
}

void AmountEdit::pasteFrom(QClipboard::Mode mode)
{
    if (!isReadOnly())
        insertByUser(QGuiApplication::clipboard()->text(mode));
}

void AmountEdit::undoEdit()
{
    if (const std::optional<QString> text = history.back())
        restore(*text);
}

void AmountEdit::redoEdit()
{
    if (const std::optional<QString> text = history.forward())
        restore(*text);
}

// The caret goes to the end of what changed, where the undone or redone edit happened.
void AmountEdit::restore(const QString &text)
{
    const QString before = this->text();
    qsizetype sameEnd = 0;
    const qsizetype shorter = qMin(before.size(), text.size());
    qsizetype sameStart = 0;
    while (sameStart < shorter && before[sameStart] == text[sameStart])
        ++sameStart;
    while (sameEnd < shorter - sameStart
           && before[before.size() - 1 - sameEnd] == text[text.size() - 1 - sameEnd])
        ++sameEnd;
    restoring = true;
    setText(text);
    restoring = false;
    setCursorPosition(int(text.size() - sameEnd));
}
