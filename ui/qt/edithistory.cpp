#include "edithistory.h"

void EditHistory::startWith(const QString &text)
{
    texts = QStringList{text};
    current = 0;
}

void EditHistory::record(const QString &text)
{
    // QLineEdit reports a change where typing replaced a selection with the same text.
    if (text == texts[current])
        return;
    texts.resize(current + 1);
    texts.append(text);
    ++current;
}

std::optional<QString> EditHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    return texts[--current];
}

std::optional<QString> EditHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    return texts[++current];
}
