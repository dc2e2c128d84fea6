#include "amountedit.h"
#include "lineeditmenu.h"
#include "typingrule.h"
#include "ui/form1_description.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <utility>

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // QLineEdit reports a user's edit just before the change of text that every write reports.
    connect(this, &QLineEdit::textEdited, this, [this] { edited = true; });
    connect(this, &QLineEdit::textChanged, this, [this] { keepWithinTheRule(std::exchange(edited, false)); });
}

void AmountEdit::showResult(const QString &text)
{
    replaceWhole(text);
    setCursorPosition(0);
}

QVariant AmountEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImMaximumTextLength)
        return form1::MaxTypedLength;
    return QLineEdit::inputMethodQuery(query);
}

void AmountEdit::keyPressEvent(QKeyEvent *event)
{
    // Ctrl+Y redoes in most editors and in the native control; the X11 key bindings lack it.
    if (event->keyCombination() == (Qt::ControlModifier | Qt::Key_Y) && !event->matches(QKeySequence::Redo)) {
        redo();
        return event->accept();
    }
    // Only the X11 key bindings make Ctrl+Shift+Insert a paste, of the primary selection.
    if (event->matches(QKeySequence::Paste)) {
        const bool primary = event->keyCombination() == (Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Insert);
        pasteFrom(primary ? QClipboard::Selection : QClipboard::Clipboard);
        return event->accept();
    }
    const QString fitting = fittingOverSelection(event->text());
    // QLineEdit decides whether a key types; where only the selection may go, the backstop cuts.
    if (fitting == event->text() || (fitting.isEmpty() && hasSelectedText()))
        return QLineEdit::keyPressEvent(event);
    QKeyEvent cut(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                  event->nativeVirtualKey(), event->nativeModifiers(), fitting, event->isAutoRepeat());
    QLineEdit::keyPressEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

void AmountEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased();
}

// An input method's commit may replace characters around the caret and then move the caret
// anywhere, so it is cut before QLineEdit applies it.
void AmountEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
    const QString remaining = QString(text()).remove(caret, selectionLength());
    const QString fitting = typingrule::fittingStart(remaining, caret + event->replacementStart(),
                                                     event->replacementLength(), event->commitString());
    if (fitting == event->commitString())
        return QLineEdit::inputMethodEvent(event);
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

// Hovering shows the action that the drop then takes; a move within the field keeps its length.
Qt::DropAction AmountEdit::dropActionFor(const QDropEvent *event, QString *fitting)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull() || event->source() == this)
        return event->proposedAction();
    *fitting = typingrule::fittingStart(text(), cursorPositionAt(event->position().toPoint()), 0, dropped);
    return typingrule::dropAction(dropped, *fitting, event->proposedAction(), event->possibleActions());
}

void AmountEdit::dragEnterEvent(QDragEnterEvent *event)
{
    dragMoveEvent(event);
}

void AmountEdit::dragMoveEvent(QDragMoveEvent *event)
{
    QString fitting;
    const Qt::DropAction action = dropActionFor(event, &fitting);
    if (action == Qt::IgnoreAction)
        return event->ignore();
    QLineEdit::dragMoveEvent(event);
    event->setDropAction(action);
}

void AmountEdit::dropEvent(QDropEvent *event)
{
    // QLineEdit has the input method commit before a drop goes in: what fits is counted after that.
    if (compositionLength() > 0)
        QGuiApplication::inputMethod()->commit();
    QString fitting;
    const Qt::DropAction action = dropActionFor(event, &fitting);
    if (action == Qt::IgnoreAction)
        return event->ignore();
    if (action == event->proposedAction())
        return QLineEdit::dropEvent(event);
    QMimeData cut;
    cut.setText(fitting);
    QDropEvent copy(event->position(), Qt::CopyAction, &cut, event->buttons(), event->modifiers());
    QLineEdit::dropEvent(&copy);
    event->setDropAction(Qt::CopyAction);
    event->setAccepted(copy.isAccepted());
}

// The middle button pastes the X11 primary selection at the point clicked, never by QLineEdit's
// own unlimited paste; a click on the input method's composition is the input method's.
void AmountEdit::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
        return QLineEdit::mouseReleaseEvent(event);
    const int offset = cursorPositionAt(event->position().toPoint()) - cursorPosition();
    if (compositionLength() > 0 && offset >= 0 && offset <= compositionLength()) {
        QGuiApplication::inputMethod()->invokeAction(QInputMethod::Click, offset);
    } else {
        deselect();
        pasteFrom(QClipboard::Selection);
    }
    event->accept();
}

void AmountEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    lineeditmenu::takeOverPaste(menu, this, [this] { pasteFrom(QClipboard::Clipboard); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The start of `inserted` that fits where the selection, or else the caret, stands.
QString AmountEdit::fittingOverSelection(const QString &inserted) const
{
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    return typingrule::fittingStart(text(), at, selectionLength(), inserted);
}

// A refused paste changes nothing, not even the history; one over a selection still removes it.
void AmountEdit::pasteFrom(QClipboard::Mode mode)
{
    const QString fitting = fittingOverSelection(QGuiApplication::clipboard()->text(mode));
    if (!fitting.isEmpty())
        insert(fitting);
    else if (hasSelectedText())
        del();
}

// The backstop: what a way in that asked nothing inserted past the rule (an assistive technology,
// which Qt 6.4 lets replace the whole text, a future input path) is cut to the start that fits.
// Undo gives back texts the field held, and leaves something to redo. A write that removes text,
// as an assistive technology's setting of the whole text, stands whole like the program's.
void AmountEdit::keepWithinTheRule(bool byUser)
{
    // Qt 6.4's redo of a deletion made with the caret inside the selection leaves a selection that
    // starts before the text, and what is typed next replaces the wrong characters.
    if (hasSelectedText() && selectionStart() < 0)
        deselect();
    const QString before = std::exchange(held, text());
    if (writing || isRedoAvailable())
        return;
    const typingrule::Change change = typingrule::changeBetween(before, held);
    const QString fitting = typingrule::fittingStart(before, change.at, change.removed, change.inserted);
    if (change.inserted.isEmpty() || fitting == change.inserted || (!byUser && change.removed > 0))
        return;
    replaceWhole(QString(before).replace(change.at, change.removed, fitting));
    setCursorPosition(int(change.at + fitting.size()));
}

void AmountEdit::replaceWhole(const QString &text)
{
    const bool wasWriting = std::exchange(writing, true);
    setText(text);
    writing = wasWriting;
}

// QLineEdit keeps the input method's composition to itself, but a point far past all it shows is
// at the text's length plus the composition's (checked against Qt 6.4; 2^20 pixels stay in range).
qsizetype AmountEdit::compositionLength()
{
    return cursorPositionAt(QPoint(1 << 20, height() / 2)) - text().size();
}
