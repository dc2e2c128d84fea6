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

QString fittingStart(const QString &remaining, qsizetype at, const QString &inserted)
{
    if (visibleLength(remaining) >= form1::MaxTypedLength)
        return {};
    // Counted in the resulting text, not in `inserted` alone: a combining mark at its start joins
    // the character before the caret. Each further cluster adds about one character, so the loop
    // ends after some ten rounds however long the inserted text is.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, inserted);
    qsizetype fits = 0;
    for (qsizetype end = boundaries.toNextBoundary(); end != -1; end = boundaries.toNextBoundary()) {
        QString candidate = remaining;
        if (visibleLength(candidate.insert(at, QStringView(inserted).left(end))) > form1::MaxTypedLength)
            break;
        fits = end;
    }
    return inserted.left(fits);
}

} // namespace typingrule
