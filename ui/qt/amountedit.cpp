#include "amountedit.h"
#include "ui/form1_description.h"

#include <QKeyEvent>
#include <QValidator>

#include <algorithm>

namespace {

// Every edit the user makes (typing, pasting, dropping, input methods) passes this validator, so it
// is the one place that sees them all. An edit may leave at most form1::MaxTypedLength characters, or as
// many as stood before where a longer result stands, so deleting always works and adding does not.
// What is too much is cut from the end of the inserted text, which always ends at the caret.
class TypingLimit : public QValidator
{
public:
    explicit TypingLimit(QLineEdit *edit) : QValidator(edit)
    {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString &text) { lengthBefore = text.size(); });
    }

    State validate(QString &input, int &pos) const override
    {
        const qsizetype limit = std::max<qsizetype>(form1::MaxTypedLength, lengthBefore);
        const qsizetype cut = std::min<qsizetype>(input.size() - limit, pos);
        if (cut > 0) {
            input.remove(pos - cut, cut);
            pos -= int(cut);
        }
        return Acceptable;
    }

private:
    qsizetype lengthBefore = 0;
};

} // namespace

AmountEdit::AmountEdit(QWidget *parent)
    : QLineEdit(parent), typingLimit(new TypingLimit(this))
{
    setValidator(typingLimit);
}

void AmountEdit::showResult(const QString &text)
{
    // setText passes the validator too, which would cut an eleven-character result to a wrong
    // amount; the limit is for the user's edits only.
    setValidator(nullptr);
    setText(text);
    setValidator(typingLimit);
    setCursorPosition(0);
}

void AmountEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyReleased();
}
