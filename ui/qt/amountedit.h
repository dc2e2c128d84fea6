#pragma once

#include "edithistory.h"

#include <QClipboard>
#include <QLineEdit>

// An amount field that edits like the native edit control: every insertion by the user (typing,
// pasting, dropping, an input method) first removes the selection, then adds only as many
// characters as keep the text within form1::MaxTypedLength, nothing where a longer result stands.
// Deleting always works. Undo and redo step through exactly the texts the field has held.
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

    EditHistory history;
    bool restoring = false;
};
