#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The texts a field has held, in order, for undo and redo.
class EditHistory
{
public:
    // Forgets every other text: the field now holds `text` and nothing can be undone.
    void startWith(const QString &text);
    // The field now holds `text`; what had been undone can no longer be redone. The text it
    // already held is no new step.
    void record(const QString &text);

    // The text held before (after) the current one, which becomes the current one; none at the ends.
    std::optional<QString> back();
    std::optional<QString> forward();
    bool canGoBack() const { return current > 0; }
    bool canGoForward() const { return current + 1 < texts.size(); }

private:
    QStringList texts{QString()};
    qsizetype current = 0;
};
