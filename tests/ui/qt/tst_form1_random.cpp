#include "form1.h"
#include "tests/support/memory_fields.h"
#include "tests/support/pinned_window.h"
#include "tests/support/random_inputs.h"

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QTextBoundaryFinder>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <utility>

using calc::AmountField;

namespace {

constexpr std::array<AmountField, 3> allFields{AmountField::txtBez, AmountField::txt5,
                                               AmountField::txt19};
constexpr std::array<const char *, 3> fieldNames{"txtBez", "txt5", "txt19"};
constexpr int maxTyped = pinned_window::MaxTypedLength;

// Key releases per locale row; VELTRIX_RANDOM_RELEASES makes a longer or shorter run.
constexpr int defaultReleases = 6000;

// The shared texts, and characters that take two UTF-16 units or carry a combining mark, which
// the limit counts once.
QStringList clipboardTexts()
{
    QStringList texts;
    for (const char *text : random_inputs::ClipboardTexts)
        texts.append(QString::fromUtf8(text));
    return texts + QStringList{QStringLiteral("\U0001F600"), QStringLiteral("8\U0001F600\U0001F6009"),
                               QStringLiteral("e\u0301"), QStringLiteral("\u0301"),
                               QStringLiteral("1e\u0301\u0302" "2345678")};
}

// Characters as a person sees them: a surrogate pair, or a letter with its marks, is one.
qsizetype seenLength(const QString &text)
{
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (boundaries.toNextBoundary() != -1)
        ++count;
    return count;
}

// Whether `after` is `before` with the selection removed and a start of `inserted`, in whole
// characters, put at its place: none where the rest already has nine characters or more, else
// as many as keep it within nine, so that the next character would not have fitted.
bool followsTheTypingRule(const QString &before, int start, int selected, const QString &inserted,
                          const QString &after)
{
    const QString rest = QString(before).remove(start, selected);
    const qsizetype added = after.size() - rest.size();
    if (added < 0 || after.left(start) != rest.left(start) || after.mid(start + added) != rest.mid(start)
        || (added > 0 && !inserted.startsWith(QStringView(after).mid(start, added))))
        return false;
    if (added > 0 && seenLength(after) > maxTyped)
        return false;
    if (seenLength(rest) >= maxTyped)
        return added == 0;
    if (added == inserted.size())
        return true;
    QTextBoundaryFinder whole(QTextBoundaryFinder::Grapheme, inserted);
    whole.setPosition(added);
    if (!whole.isAtBoundary())
        return false;
    const qsizetype next = whole.toNextBoundary();
    return seenLength(QString(rest).insert(start, inserted.left(next))) > maxTyped;
}

// Whether `after` is `before` with one stretch of it deleted, or unchanged.
bool isDeletionFrom(const QString &before, const QString &after)
{
    if (after.size() > before.size())
        return false;
    qsizetype same = 0;
    while (same < after.size() && before[same] == after[same])
        ++same;
    return before.endsWith(QStringView(after).mid(same));
}

const QString typedCharacters = QString::fromUtf8(random_inputs::TypedCharacters);

} // namespace

// Thousands of random keys through the window to whichever field has the focus, each release
// checked against Recalculate run over a copy of the texts in memory.
class tst_Form1Random : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void randomKeys_data();
    void randomKeys();
    void cleanupTestCase();

private:
    // One random action: a few presses and releases, each checked as it is sent.
    void act();
    void typeCharacter(QChar c);
    void chord(int modifierKey, Qt::KeyboardModifier modifier, int key, const QString &text);
    void selectThenPasteIntoLongResult();
    void holdKey(int key, const QString &text);
    void press(int key, Qt::KeyboardModifiers modifiers, const QString &text, bool autoRepeat = false);
    void release(int key, Qt::KeyboardModifiers modifiers, const QString &text, bool autoRepeat = false);
    void openWindow();

    int focusedField() const;
    std::array<QString, 3> texts() const;
    QString where() const;
    static QString describe(const std::array<QString, 3> &texts);
    quint64 pick(quint64 n) { return rng() % n; } // same on every standard library, unlike distributions
    bool chance(quint64 oneIn) { return pick(oneIn) == 0; }

    std::uint64_t seed = random_inputs::DefaultSeed;
    int releasesPerRow = defaultReleases;
    std::mt19937_64 rng;
    std::string separator;
    std::unique_ptr<Form1> window;
    QLineEdit *fields[3] = {};
    std::array<QStringList, 3> held; // the texts each field has shown since the program wrote it
    const QStringList pastes = clipboardTexts();
    int failureReports = 0;
    bool lastFailureWasOverflow = false;

    QString action;
    int actions = 0;
    int releases = 0;
    int repeatedReleases = 0;
    int overflows = 0;
    int undos = 0;
    int totalReleases = 0;
};

void tst_Form1Random::initTestCase()
{
    bool ok = true;
    if (qEnvironmentVariableIsSet("VELTRIX_RANDOM_SEED"))
        seed = qEnvironmentVariable("VELTRIX_RANDOM_SEED").toULongLong(&ok, 0);
    QVERIFY2(ok, "VELTRIX_RANDOM_SEED must be a whole number");
    if (qEnvironmentVariableIsSet("VELTRIX_RANDOM_RELEASES"))
        releasesPerRow = qEnvironmentVariable("VELTRIX_RANDOM_RELEASES").toInt(&ok);
    QVERIFY2(ok && releasesPerRow > 0, "VELTRIX_RANDOM_RELEASES must be a positive number");
    qInfo("seed %llu (VELTRIX_RANDOM_SEED=%llu replays this run)", qulonglong(seed),
          qulonglong(seed));
}

void tst_Form1Random::randomKeys_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<unsigned>("stream"); // keeps each row's keys apart and replayable alone

    QTest::newRow("period") << "en_US" << "." << 1u;
    // Results are written with a comma, which reads back as the decimal separator it is.
    QTest::newRow("comma") << "cs_CZ" << "," << 2u;
}

void tst_Form1Random::randomKeys()
{
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    QFETCH(unsigned, stream);

    QLocale::setDefault(QLocale(locale));
    QCOMPARE(QLocale().decimalPoint(), separator);
    this->separator = separator.toStdString();
    std::seed_seq seeds{unsigned(seed), unsigned(seed >> 32), stream};
    rng.seed(seeds);
    actions = releases = repeatedReleases = overflows = undos = 0;

    openWindow();
    if (QTest::currentTestFailed())
        return;
    while (releases < releasesPerRow) {
        ++actions;
        act();
        if (QTest::currentTestFailed())
            return;
    }
    totalReleases += releases;
    qInfo("%s: %d key releases (%d of them auto-repeated) in %d actions, %d overflows, %d undos "
          "and redos that changed a field",
          QTest::currentDataTag(), releases, repeatedReleases, actions, overflows, undos);
    window.reset();
}

void tst_Form1Random::cleanupTestCase()
{
    qInfo("%d key releases checked in all, seed %llu", totalReleases, qulonglong(seed));
}

void tst_Form1Random::openWindow()
{
    window = std::make_unique<Form1>();
    // The real report ends the program; here an overflow is noted and the run goes on.
    window->setFailureReport([this](const std::exception &failure) {
        ++failureReports;
        lastFailureWasOverflow = dynamic_cast<const calc::OverflowError *>(&failure) != nullptr;
    });
    for (int i = 0; i < 3; ++i) {
        fields[i] = window->findChild<QLineEdit *>(fieldNames[i]);
        QVERIFY2(fields[i], fieldNames[i]);
        held[i] = QStringList{QString()};
    }
    window->show();
    QVERIFY2(QTest::qWaitForWindowActive(window.get()), qPrintable(where()));
}

void tst_Form1Random::act()
{
    static const std::array navigation{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down,
                                       Qt::Key_Home, Qt::Key_End};
    const quint64 roll = pick(100);
    if (roll < 40) {
        typeCharacter(typedCharacters[pick(typedCharacters.size())]);
    } else if (roll < 50) {
        const int key = chance(2) ? Qt::Key_Backspace : Qt::Key_Delete;
        action = key == Qt::Key_Backspace ? "Backspace" : "Delete";
        press(key, {}, {});
        release(key, {}, {});
    } else if (roll < 60) {
        const int key = navigation[pick(navigation.size())];
        if (chance(2)) {
            action = "Shift+" + QKeySequence(key).toString();
            chord(Qt::Key_Shift, Qt::ShiftModifier, key, {});
        } else {
            action = QKeySequence(key).toString();
            press(key, {}, {});
            release(key, {}, {});
        }
    } else if (roll < 64) {
        action = "Tab";
        press(Qt::Key_Tab, {}, {});
        release(Qt::Key_Tab, {}, {});
    } else if (roll < 67) {
        action = "Shift+Tab";
        chord(Qt::Key_Shift, Qt::ShiftModifier, Qt::Key_Tab, {});
    } else if (roll < 70) {
        action = "Ctrl+A";
        chord(Qt::Key_Control, Qt::ControlModifier, Qt::Key_A, {});
    } else if (roll < 74) {
        selectThenPasteIntoLongResult();
    } else if (roll < 80) {
        QString clip;
        if (chance(2)) {
            clip = pastes[pick(pastes.size())];
        } else {
            for (auto n = pick(13); n > 0; --n)
                clip += typedCharacters[pick(typedCharacters.size())];
        }
        QGuiApplication::clipboard()->setText(clip);
        action = QStringLiteral("Ctrl+V of \"%1\"").arg(clip);
        chord(Qt::Key_Control, Qt::ControlModifier, Qt::Key_V, {});
    } else if (roll < 86) {
        action = "Ctrl+Z";
        chord(Qt::Key_Control, Qt::ControlModifier, Qt::Key_Z, {});
    } else if (roll < 90) {
        action = "Ctrl+Y";
        chord(Qt::Key_Control, Qt::ControlModifier, Qt::Key_Y, {});
    } else if (roll < 92) {
        action = "Enter";
        press(Qt::Key_Return, {}, "\r");
        release(Qt::Key_Return, {}, "\r");
    } else if (roll < 94) {
        action = "Shift alone";
        press(Qt::Key_Shift, {}, {});
        release(Qt::Key_Shift, Qt::ShiftModifier, {});
    } else if (roll < 96) {
        action = "Ctrl alone";
        press(Qt::Key_Control, {}, {});
        release(Qt::Key_Control, Qt::ControlModifier, {});
    } else {
        switch (pick(4)) {
        case 0: holdKey(Qt::Key_Backspace, {}); break;
        case 1: holdKey(Qt::Key_Delete, {}); break;
        case 2: holdKey(navigation[pick(navigation.size())], {}); break;
        default: {
            // Key codes of plain characters are their upper-case code points.
            const QChar c = typedCharacters[pick(typedCharacters.size())];
            holdKey(c.toUpper().unicode(), QString(c));
        }
        }
    }
}

void tst_Form1Random::typeCharacter(QChar c)
{
    const int key = c.toUpper().unicode();
    action = QStringLiteral("type '%1'").arg(c);
    if (c.isUpper() || c == '&' || c == '+')
        chord(Qt::Key_Shift, Qt::ShiftModifier, key, QString(c));
    else {
        press(key, {}, QString(c));
        release(key, {}, QString(c));
    }
}

// A modifier held around a key; people let go of either first, and both releases count.
void tst_Form1Random::chord(int modifierKey, Qt::KeyboardModifier modifier, int key,
                            const QString &text)
{
    press(modifierKey, {}, {});
    press(key, modifier, text);
    if (chance(2)) {
        release(key, modifier, text);
        release(modifierKey, modifier, {});
    } else {
        release(modifierKey, modifier, {});
        release(key, {}, text);
    }
}

// Where a result longer than nine stands, part or all of it selected with Shift and the arrows,
// then a paste over the selection: what remains must take no more than nine in all.
void tst_Form1Random::selectThenPasteIntoLongResult()
{
    const int focused = focusedField();
    if (focused >= 0 && seenLength(fields[focused]->text()) > maxTyped) {
        const int key = chance(2) ? Qt::Key_Home : Qt::Key_End;
        press(key, {}, {});
        release(key, {}, {});
        const int arrow = key == Qt::Key_Home ? Qt::Key_Right : Qt::Key_Left;
        for (auto n = 1 + pick(12); n > 0; --n) {
            action = "Shift+arrow before a paste";
            chord(Qt::Key_Shift, Qt::ShiftModifier, arrow, {});
        }
    }
    const QString clip = pastes[pick(pastes.size())];
    QGuiApplication::clipboard()->setText(clip);
    action = QStringLiteral("Ctrl+V of \"%1\" over a selection").arg(clip);
    chord(Qt::Key_Control, Qt::ControlModifier, Qt::Key_V, {});
}

// A held key repeats its press; the system may or may not pair each repeat with a release, and
// either way marks them auto-repeated. Only the final physical release may recalculate.
void tst_Form1Random::holdKey(int key, const QString &text)
{
    const int repeats = 1 + int(pick(8));
    const bool pairedReleases = !chance(4);
    action = QStringLiteral("hold %1, %2 repeats%3")
                 .arg(QKeySequence(key).toString())
                 .arg(repeats)
                 .arg(pairedReleases ? " with repeated releases" : "");
    press(key, {}, text);
    for (int i = 0; i < repeats; ++i) {
        if (pairedReleases)
            release(key, {}, text, true);
        press(key, {}, text, true);
    }
    release(key, {}, text);
}

void tst_Form1Random::press(int key, Qt::KeyboardModifiers modifiers, const QString &text,
                            bool autoRepeat)
{
    if (QTest::currentTestFailed())
        return;
    const int focused = focusedField();
    QVERIFY2(focused >= 0, qPrintable(where() + ": the focus left the three fields"));
    const std::array<QString, 3> before = texts();
    const int reportsBefore = failureReports;
    QLineEdit *edit = fields[focused];
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const int selected = edit->hasSelectedText() ? int(edit->selectedText().size()) : 0;
    const bool ctrl = modifiers == Qt::ControlModifier;
    const bool history = ctrl && (key == Qt::Key_Z || key == Qt::Key_Y);
    const bool deletion = key == Qt::Key_Backspace || key == Qt::Key_Delete;
    const bool pasted = key == Qt::Key_V && ctrl;
    const bool typed = !text.isEmpty() && text.front().isPrint() && !(modifiers & Qt::ControlModifier);
    const QString inserted = pasted ? QGuiApplication::clipboard()->text() : typed ? text : QString();

    QTest::simulateEvent(window->windowHandle(), true, key, modifiers, text, autoRepeat);

    const std::array<QString, 3> after = texts();
    QVERIFY2(failureReports == reportsBefore, qPrintable(where() + ": a press recalculated"));
    // Undo and redo give back only texts the field has shown; deleting keys take one stretch away.
    const bool allowed = history    ? held[focused].contains(after[focused])
                         : deletion ? isDeletionFrom(before[focused], after[focused])
                         : pasted || typed
                             ? followsTheTypingRule(before[focused], start, selected, inserted, after[focused])
                             : after[focused] == before[focused];
    QVERIFY2(allowed, qPrintable(where() + QStringLiteral(": %1 may not hold \"%2\" (selection %3+%4): ").arg(fieldNames[focused], after[focused]).arg(start).arg(selected)
                                 + describe(before) + " -> " + describe(after)));
    for (int i = 0; i < 3; ++i) {
        if (i != focused) {
            QVERIFY2(after[i] == before[i],
                     qPrintable(where() + ": a press changed an unfocused field: "
                                + describe(before) + " -> " + describe(after)));
        }
    }
    if (after[focused] != before[focused]) {
        undos += history;
        held[focused].append(after[focused]);
    }
}

void tst_Form1Random::release(int key, Qt::KeyboardModifiers modifiers, const QString &text,
                              bool autoRepeat)
{
    if (QTest::currentTestFailed())
        return;
    const int source = focusedField();
    QVERIFY2(source >= 0, qPrintable(where() + ": the focus left the three fields"));
    ++releases;
    if (autoRepeat)
        ++repeatedReleases;

    if (chance(autoRepeat ? 2 : 4)) {
        for (int i = 0; i < 3; ++i) {
            if (i != source) {
                window->WriteText(allFields[i], random_inputs::StaleTexts[pick(random_inputs::StaleTexts.size())]);
                held[i] = QStringList{fields[i]->text()};
            }
        }
    }
    const std::array<QString, 3> before = texts();
    const int caret = fields[source]->cursorPosition();
    const int selectionStart = fields[source]->selectionStart();
    const QString selection = fields[source]->selectedText();

    MemoryFields expected({before[0].toStdString(), before[1].toStdString(),
                           before[2].toStdString()},
                          separator);
    bool overflow = false;
    try {
        calc::Recalculate(allFields[source], expected);
    } catch (const calc::OverflowError &) {
        overflow = true;
    }
    const int reportsBefore = failureReports;

    QTest::simulateEvent(window->windowHandle(), false, key, modifiers, text, autoRepeat);

    const std::array<QString, 3> after = texts();
    const QString change = QStringLiteral(" from %1: ").arg(fieldNames[source]) + describe(before)
                           + " -> " + describe(after);
    if (autoRepeat) {
        QVERIFY2(failureReports == reportsBefore && after == before,
                 qPrintable(where() + ": an auto-repeated release recalculated" + change));
        return;
    }
    if (overflow) {
        QVERIFY2(failureReports == reportsBefore + 1 && lastFailureWasOverflow,
                 qPrintable(where() + ": no overflow was reported" + change));
        QVERIFY2(after == before, qPrintable(where() + ": an overflow changed a field" + change));
        ++overflows;
        // The real report ends the program; a fresh window carries on the run.
        openWindow();
        return;
    }
    QVERIFY2(failureReports == reportsBefore,
             qPrintable(where() + ": a failure was reported" + change));
    QVERIFY2(after[source] == before[source] && fields[source]->cursorPosition() == caret
                 && fields[source]->selectionStart() == selectionStart
                 && fields[source]->selectedText() == selection,
             qPrintable(where() + ": a release changed its own field" + change));
    for (int i = 0; i < 3; ++i) {
        if (i == source)
            continue;
        const QString wanted = QString::fromStdString(expected.texts[i]);
        QVERIFY2(after[i] == wanted,
                 qPrintable(where() + QStringLiteral(": %1 should be \"%2\"").arg(fieldNames[i], wanted)
                            + change));
        QVERIFY2(fields[i]->cursorPosition() == 0 && !fields[i]->hasSelectedText(),
                 qPrintable(where() + QStringLiteral(": %1's caret is not at the start")
                                          .arg(fieldNames[i])));
        // A result replaces the field's history, as the native control's does.
        held[i] = QStringList{after[i]};
    }
}

int tst_Form1Random::focusedField() const
{
    for (int i = 0; i < 3; ++i)
        if (QApplication::focusWidget() == fields[i])
            return i;
    return -1;
}

std::array<QString, 3> tst_Form1Random::texts() const
{
    return {fields[0]->text(), fields[1]->text(), fields[2]->text()};
}

QString tst_Form1Random::where() const
{
    return QStringLiteral("seed %1 (replay: VELTRIX_RANDOM_SEED=%1), row %2, action %3 (%4), "
                          "release %5")
        .arg(seed)
        .arg(QTest::currentDataTag())
        .arg(actions)
        .arg(action)
        .arg(releases);
}

QString tst_Form1Random::describe(const std::array<QString, 3> &texts)
{
    return QStringLiteral("[\"%1\", \"%2\", \"%3\"]").arg(texts[0], texts[1], texts[2]);
}

QTEST_MAIN(tst_Form1Random)
#include "tst_form1_random.moc"
