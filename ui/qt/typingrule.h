#pragma once

#include <QString>

// The native edit control's rule for the user's insertions, with characters counted as a person
// sees them.
namespace typingrule {

// Grapheme clusters in `text`: a surrogate pair, or a letter with its combining marks, is one.
qsizetype visibleLength(const QString &text);

// The start of `inserted` that may go in at `at` of `remaining` (the text with any selection
// already removed): as many whole characters as keep the text within form1::MaxTypedLength, none
// where `remaining` already has that many.
QString fittingStart(const QString &remaining, qsizetype at, const QString &inserted);

// How `after` differs from `before`: `removed` characters of `before` from `at` on gave way to
// `inserted`; the shortest such change.
struct Change {
    qsizetype at = 0;
    qsizetype removed = 0;
    QString inserted;
};
Change changeBetween(const QString &before, const QString &after);

} // namespace typingrule
