#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLineEdit;

// Holds a line edit within the typing rule whatever way text comes in: what an edit that asked
// nothing first (an assistive technology, which in Qt 6.4 replaces the whole text; a future input
// path) inserted past the rule is cut to the start that fits, the caret after it. Undo, which
// gives back texts the field held, and writes that remove text stand whole, like the program's.
class TypingBackstop : public QObject
{
public:
    explicit TypingBackstop(QLineEdit *field);

    // Runs `edit`, whose changes stand whole: the program's own writes, and edits by the paths
    // that ask the rule before they insert.
    void letStand(const std::function<void()> &edit);

private:
    void check(bool byUser);

    QLineEdit *field;
    QString held; // the text before the latest change
    bool edited = false;
    bool standing = false;
};
