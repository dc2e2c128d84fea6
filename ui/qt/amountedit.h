#pragma once

#include <QClipboard>
#include <QLineEdit>

class TypingBackstop;

// An amount field with the native edit control's limit: every insertion by the user (typing,
// pasting from any source, an input method, a drop, an assistive technology) first removes the
// selection, then adds only as many characters as keep the text within form1::MaxTypedLength,
// nothing where a longer result stands. Deleting always works. Otherwise it is a QLineEdit: its
// own undo and redo (Ctrl+Y added where the platform's key bindings lack it), its menu, its drag
// and drop, and what fits goes in through QLineEdit's own insert, so screen readers hear one
// insertion and input methods keep their composition.
class AmountEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit AmountEdit(QWidget *parent = nullptr);

    // Replaces the whole text, leaving the caret at the start with nothing selected. The text
    // stays whole however long, and starts a fresh undo history, as the native control's does.
    void showResult(const QString &text);

    // Tells input methods and on-screen keyboards the typing limit.
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // Once per physical release: the repeats of a held key do not count.
    void keyReleased();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void pasteFrom(QClipboard::Mode mode);
    QString fittingOverSelection(const QString &inserted) const;
    Qt::DropAction dropActionFor(const QDropEvent *event, QString *fitting);
    qsizetype compositionLength();

    TypingBackstop *backstop; // a child of the field
};
