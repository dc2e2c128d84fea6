#pragma once

#include "edithistory.h"

#include <QClipboard>
#include <QLineEdit>

// An amount field with the native edit control's limit: every insertion by the user (typing,
// pasting, an input method) first removes the selection, then adds only as many characters as keep
// the text within form1::MaxTypedLength, nothing where a longer result stands; a drop goes in at
// the drop point under the same count. Deleting always works. Otherwise it edits as QLineEdit does,
// and what fits goes in through QLineEdit's own insert, so screen readers hear one insertion and
// input methods keep their composition. Undo and redo step through every text the field has held,
// as Qt's line edits do, not the native control's single step: each edition's fields behave as
// that platform's fields do.
class AmountEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit AmountEdit(QWidget *parent = nullptr);

    // Replaces the whole text, leaving the caret at the start with nothing selected. The text
    // stays whole however long, and starts a fresh undo history, as the native control's does.
    void showResult(const QString &text);

signals:
    // Once per physical release: the repeats of a held key do not count.
    void keyReleased();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void insertByUser(const QString &inserted);
    void pasteFrom(QClipboard::Mode mode);
    void undoEdit();
    void redoEdit();
    void restore(const QString &text);
    void replaceWhole(const QString &text);
    bool isOverPreedit(const QPoint &point);

    EditHistory history;
    bool restoring = false;
    // The input method's uncommitted text, which QLineEdit shows at the caret but does not tell.
    QString preedit;
};
