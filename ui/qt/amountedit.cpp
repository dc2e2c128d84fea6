#include "amountedit.h"
#include "lineeditmenu.h"
#include "typingbackstop.h"
#include "typingrule.h"
#include "ui/form1_description.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent), backstop(new TypingBackstop(this))
{
}

void AmountEdit::showResult(const QString &text)
{
    backstop->letStand([&] { setText(text); });
    setCursorPosition(0);
}

QVariant AmountEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return query == Qt::ImMaximumTextLength ? form1::MaxTypedLength : QLineEdit::inputMethodQuery(query);
}

void AmountEdit::keyPressEvent(QKeyEvent *event)
{
    backstop->letStand([&] {
        // Ctrl+Y redoes in most editors and in the native control; the X11 key bindings lack it.
        if (event->keyCombination() == (Qt::ControlModifier | Qt::Key_Y)
            && !event->matches(QKeySequence::Redo)) {
            redo();
            return event->accept();
        }
        // Only the X11 key bindings make Ctrl+Shift+Insert a paste, of the primary selection.
        if (event->matches(QKeySequence::Paste)) {
            const bool primary = event->keyCombination()
                                 == (Qt::ControlModifier | Qt::ShiftModifier | Qt::Key_Insert);
            pasteFrom(primary ? QClipboard::Selection : QClipboard::Clipboard);
            return event->accept();
        }
        const QString fitting = fittingOverSelection(event->text());
        if (fitting == event->text())
            return QLineEdit::keyPressEvent(event);
        // Where only the selection may go, QLineEdit decides whether the key types; if it did,
        // its step is taken back and the selection alone removed, as in the native control.
        if (fitting.isEmpty() && hasSelectedText()) {
            const QString before = text();
            const QString typed =
                QString(before).replace(selectionStart(), selectionLength(), event->text());
            QLineEdit::keyPressEvent(event);
            if (text() != before && text() == typed) {
                undo();
                del();
            }
            return;
        }
        QKeyEvent cut(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                      event->nativeVirtualKey(), event->nativeModifiers(), fitting, event->isAutoRepeat());
        QLineEdit::keyPressEvent(&cut);
        event->setAccepted(cut.isAccepted());
    });
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
    backstop->letStand([&] {
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
    });
}

// Hovering shows the action that the drop then takes; a move within the field keeps its length.
Qt::DropAction AmountEdit::dropActionFor(const QDropEvent *event, QString *fitting)
{
    const QString dropped = event->mimeData()->text();
    if (dropped.isNull() || (event->source() == this && event->proposedAction() == Qt::MoveAction))
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
    backstop->letStand([&] {
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
    });
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
    backstop->letStand([&] {
        const QString fitting = fittingOverSelection(QGuiApplication::clipboard()->text(mode));
        if (!fitting.isEmpty())
            insert(fitting);
        else if (hasSelectedText())
            del();
    });
}

// QLineEdit keeps the input method's composition to itself, but a point far past all it shows is
// at the text's length plus the composition's (checked against Qt 6.4; 2^20 pixels stay in range).
qsizetype AmountEdit::compositionLength()
{
    return cursorPositionAt(QPoint(1 << 20, height() / 2)) - text().size();
}
