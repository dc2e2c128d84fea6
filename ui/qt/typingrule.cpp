#include "typingrule.h"
#include "ui/form1_description.h"

#include <QTextBoundaryFinder>

namespace typingrule {

qsizetype visibleLength(const QString &text)
{
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (boundaries.toNextBoundary() != -1)
        ++count;
    return count;
}

namespace {

// However much is pasted, nine characters are the most that go in, so only the start of it is
// looked at; 64 UTF-16 units leave room for a letter with many marks or a long emoji sequence. A
// character longer than that is refused rather than split.
constexpr qsizetype longestLooked = qsizetype(form1::MaxTypedLength) * 64;

} // namespace

QString fittingStart(const QString &text, qsizetype at, qsizetype removed, const QString &inserted)
{
    // QLineEdit counts positions in the uncommitted text of an input method too.
    at = qBound(qsizetype(0), at, text.size());
    const QString remaining = QString(text).remove(at, qMax(qsizetype(0), removed));
    if (visibleLength(remaining) >= form1::MaxTypedLength)
        return {};
    const QStringView looked = QStringView(inserted).left(longestLooked);
    // Counted in the resulting text, not in `inserted` alone: a combining mark at its start joins
    // the character before the caret. Each further cluster adds about one character, so the loop
    // ends after some ten rounds.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, looked);
    qsizetype fits = 0;
    for (qsizetype end = boundaries.toNextBoundary(); end != -1; end = boundaries.toNextBoundary()) {
        // Where the start was cut off, its last character may go on past the cut.
        if (end == looked.size() && looked.size() < inserted.size())
            break;
        QString candidate = remaining;
        if (visibleLength(candidate.insert(at, looked.left(end))) > form1::MaxTypedLength)
            break;
        fits = end;
    }
    return inserted.left(fits);
}

Qt::DropAction dropAction(const QString &dropped, const QString &fitting, Qt::DropAction proposed,
                          Qt::DropActions possible)
{
    if (fitting == dropped)
        return proposed;
    return !fitting.isEmpty() && possible.testFlag(Qt::CopyAction) ? Qt::CopyAction : Qt::IgnoreAction;
}

Change changeBetween(const QString &before, const QString &after)
{
    const qsizetype shorter = qMin(before.size(), after.size());
    qsizetype same = 0;
    while (same < shorter && before[same] == after[same])
        ++same;
    qsizetype sameEnd = 0;
    while (sameEnd < shorter - same && before[before.size() - 1 - sameEnd] == after[after.size() - 1 - sameEnd])
        ++sameEnd;
    return {same, before.size() - same - sameEnd, after.mid(same, after.size() - same - sameEnd)};
}

} // namespace typingrule
