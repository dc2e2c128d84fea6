#pragma once

#include <QLineEdit>

class QValidator;

// An amount field: reports each key release the user makes in it and keeps typing and pasting
// within form1::MaxTypedLength characters, while a longer result written by the program stays whole.
class AmountEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit AmountEdit(QWidget *parent = nullptr);

    // Replaces the whole text, leaving the caret at the start with nothing selected.
    void showResult(const QString &text);

signals:
    // Once per physical release: the repeats of a held key do not count.
    void keyReleased();

protected:
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    QValidator *typingLimit;
};
