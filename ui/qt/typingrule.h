#pragma once

#include <QString>
#include <Qt>

// The native edit control's rule for the user's insertions, with characters counted as a person
// sees them.
namespace typingrule {

// Grapheme clusters in `text`: a surrogate pair, or a letter with its combining marks, is one.
qsizetype visibleLength(const QString &text);

// The start of `inserted` that may take the place of `removed` characters of `text` from `at` on
// (a selection, or what an input method replaces): as many whole characters as keep the text
// within form1::MaxTypedLength, none where the rest already has that many.
QString fittingStart(const QString &text, qsizetype at, qsizetype removed, const QString &inserted);

// What a drop does, of which `fitting` fits: the action the source proposes where all of it fits;
// a copy where only a part does, since a move would have the source delete what did not arrive;
// nothing where nothing fits or the source allows no copy.
Qt::DropAction dropAction(const QString &dropped, const QString &fitting, Qt::DropAction proposed,
                          Qt::DropActions possible);

// How `after` differs from `before`: `removed` characters of `before` from `at` on gave way to
// `inserted`; the shortest such change.
struct Change {
    qsizetype at = 0;
    qsizetype removed = 0;
    QString inserted;
};
Change changeBetween(const QString &before, const QString &after);

} // namespace typingrule
