#include "amountedit.h"
#include "form1.h"

#include <QAccessible>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QtGui/private/qinputmethod_p.h>
#include <qpa/qplatforminputcontext.h>

#include <memory>

using calc::AmountField;

namespace {

// Takes the place of the platform's input method (IBus, fcitx, a compositor's text input): a reset
// throws away what it was composing, a commit hands it to the field as they do.
class CountingInputContext : public QPlatformInputContext
{
public:
    bool isValid() const override { return true; }
    void reset() override
    {
        ++resets;
        composing.clear();
    }
    void commit() override
    {
        if (silent)
            return;
        QInputMethodEvent done;
        done.setCommitString(composing);
        composing.clear();
        if (QObject *field = QGuiApplication::focusObject())
            QCoreApplication::sendEvent(field, &done);
    }

    // Starts composing `text` in `field`, as a dead key does.
    void compose(QObject *field, const QString &text)
    {
        composing = text;
        QInputMethodEvent shown(text, {});
        QCoreApplication::sendEvent(field, &shown);
    }

    int resets = 0;
    QString composing;
    bool silent = false;
};

} // namespace

// Drives a shown, active window with keys that travel the way the user's do: through the window
// to whichever field has the focus.
class tst_Form1 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void startsCentredEmptyAndFocusedInTxtBez();
    void tabCyclesThroughFields_data();
    void tabCyclesThroughFields();
    void typingRecalculatesTheOthers_data();
    void typingRecalculatesTheOthers();
    void keyInClickedFieldRecalculatesFromIt();
    void edits_data();
    void edits();
    void platformFontCappedToTheFields_data();
    void platformFontCappedToTheFields();
    void overflowIsReportedAndEndsTheProgram();

private:
    QLineEdit *field(const QString &name) const { return window->findChild<QLineEdit *>(name); }
    void type(const QString &name, const QString &keys);
    void markOthersStale(AmountField source);

    std::unique_ptr<Form1> window;
    CountingInputContext inputContext;
};

void tst_Form1::initTestCase()
{
    // A context menu entry that is not taken over would bypass the typing rule.
    QTest::failOnWarning(QRegularExpression("no context menu entry"));
}

void tst_Form1::init()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    window = std::make_unique<Form1>();
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    inputContext.resets = 0;
    QInputMethodPrivate::get(QGuiApplication::inputMethod())->testContext = &inputContext;
}

void tst_Form1::cleanup()
{
    QInputMethodPrivate::get(QGuiApplication::inputMethod())->testContext = nullptr;
    window.reset();
}

void tst_Form1::type(const QString &name, const QString &keys)
{
    field(name)->setFocus();
    for (QChar key : keys)
        QTest::keyClick(window->windowHandle(), key.toLatin1());
}

// Overwrites the fields other than `source`, so that a later check shows they were recomputed.
void tst_Form1::markOthersStale(AmountField source)
{
    for (AmountField f : {AmountField::txtBez, AmountField::txt5, AmountField::txt19})
        if (f != source)
            window->WriteText(f, "stale");
}

void tst_Form1::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    // The twip table divided by 15; children are placed relative to their group box.
    QTest::newRow("Frame1") << "Frame1" << "Form1" << "Bez DPH" << QRect(0, 0, 121, 41);
    QTest::newRow("Frame2") << "Frame2" << "Form1" << "s DPH 5%" << QRect(0, 48, 121, 41);
    QTest::newRow("Frame3") << "Frame3" << "Form1" << "s DPH 19%" << QRect(0, 96, 121, 41);
    QTest::newRow("txtBez") << "txtBez" << "Frame1" << "Bez DPH" << QRect(8, 16, 81, 19);
    QTest::newRow("txt5") << "txt5" << "Frame2" << "s DPH 5%" << QRect(8, 16, 81, 19);
    QTest::newRow("txt19") << "txt19" << "Frame3" << "s DPH 19%" << QRect(8, 16, 81, 19);
    QTest::newRow("Label1") << "Label1" << "Frame1" << "Kč" << QRect(96, 19, 17, 17);
    QTest::newRow("Label2") << "Label2" << "Frame2" << "Kč" << QRect(96, 19, 17, 17);
    QTest::newRow("Label3") << "Label3" << "Frame3" << "Kč" << QRect(96, 19, 17, 17);
}

// A field's caption is its accessible name, the group's title that a screen reader announces.
void tst_Form1::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    const auto widget = window->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), parent);
    QCOMPARE(widget->geometry(), geometry);
    if (auto frame = qobject_cast<QGroupBox *>(widget))
        QCOMPARE(frame->title(), caption);
    else if (auto label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), caption);
    else
        QCOMPARE(widget->accessibleName(), caption);
    QCOMPARE(widget->focusPolicy() != Qt::NoFocus, qobject_cast<QLineEdit *>(widget) != nullptr);
}

void tst_Form1::startsCentredEmptyAndFocusedInTxtBez()
{
    QCOMPARE(window->windowTitle(), "Veltrix");
    QCOMPARE(window->size(), QSize(121, 137));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    // Centred to the pixel: an odd size leaves one more pixel on one side.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect client = window->geometry();
    QVERIFY(qAbs((client.left() - area.left()) - (area.right() - client.right())) <= 1);
    QVERIFY(qAbs((client.top() - area.top()) - (area.bottom() - client.bottom())) <= 1);
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint && flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    QCOMPARE(QApplication::focusWidget(), field("txtBez"));
    for (const char *name : {"txtBez", "txt5", "txt19"})
        QCOMPARE(field(name)->text(), "");
    // Input methods and on-screen keyboards that honour it know the typing limit.
    QCOMPARE(field("txtBez")->inputMethodQuery(Qt::ImMaximumTextLength), QVariant(9));
}

void tst_Form1::tabCyclesThroughFields_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QStringList>("order");

    QTest::newRow("Tab goes down and wraps") << Qt::KeyboardModifiers()
                                             << QStringList{"txt5", "txt19", "txtBez"};
    QTest::newRow("Shift+Tab goes up and wraps") << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                                 << QStringList{"txt19", "txt5", "txtBez"};
}

void tst_Form1::tabCyclesThroughFields()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QStringList, order);

    for (const QString &next : order) {
        QTest::keyClick(window->windowHandle(), Qt::Key_Tab, modifiers);
        QCOMPARE(QApplication::focusWidget(), field(next));
    }
}

void tst_Form1::typingRecalculatesTheOthers_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("expected"); // txtBez, txt5, txt19

    // "100" typed key by key: the others follow after every key.
    QTest::newRow("first key") << "en_US" << "txtBez" << "1" << QStringList{"1", "1.05", "1.19"};
    QTest::newRow("second key") << "en_US" << "txtBez" << "10" << QStringList{"10", "10.5", "11.9"};
    QTest::newRow("third key") << "en_US" << "txtBez" << "100" << QStringList{"100", "105", "119"};
    // Each field is wired to recalculate from itself.
    QTest::newRow("from txt5") << "en_US" << "txt5" << "100" << QStringList{"95.24", "100", "113.33"};
    QTest::newRow("from txt19") << "en_US" << "txt19" << "100" << QStringList{"84.03", "88.24", "100"};
    // The separator of results comes from the user's locale.
    QTest::newRow("Czech comma") << "cs_CZ" << "txtBez" << "10" << QStringList{"10", "10,5", "11,9"};
}

void tst_Form1::typingRecalculatesTheOthers()
{
    QFETCH(QString, locale);
    QFETCH(QString, source);
    QFETCH(QString, keys);
    QFETCH(QStringList, expected);

    QLocale::setDefault(QLocale(locale));
    type(source, keys);
    QCOMPARE(field("txtBez")->text(), expected[0]);
    QCOMPARE(field("txt5")->text(), expected[1]);
    QCOMPARE(field("txt19")->text(), expected[2]);
}

// The written "10,5" must read back as 10.5 where the comma is the separator.
void tst_Form1::keyInClickedFieldRecalculatesFromIt()
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    type("txtBez", "10");
    QTest::mouseClick(field("txt5"), Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), field("txt5"));
    markOthersStale(AmountField::txt5);
    QTest::keyClick(window->windowHandle(), Qt::Key_Right);
    QCOMPARE(field("txtBez")->text(), "10");
    QCOMPARE(field("txt19")->text(), "11,9");
}

void tst_Form1::edits_data()
{
    QTest::addColumn<QString>("standing"); // written by the program
    QTest::addColumn<int>("start");        // of the selection, or the caret
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("composing"); // by the input method while the edit comes
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("input");     // for "keys": key names, and "quoted" texts typed as one key
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("resets");        // of the input method, which throw away what it composes

    const QString none;
    const QString longResult = "11899998.81";
    // The limit counts characters as a person sees them, and never splits one.
    QTest::newRow("a tenth typed character is refused") << "" << 0 << 0 << none << "keys" << "1 2 3 4 5 6 7 8 9 0" << "123456789" << 0;
    QTest::newRow("a paste is cut to nine") << "" << 0 << 0 << none << "paste" << "1234567890" << "123456789" << 0;
    QTest::newRow("a paste keeps its start where room is short") << "1234567" << 2 << 0 << none << "paste" << "abc" << "12ab34567" << 0;
    QTest::newRow("an emoji counts as one character") << "12345678" << 8 << 0 << none << "paste" << QStringLiteral("\U0001F600") << QStringLiteral("12345678\U0001F600") << 0;
    QTest::newRow("a paste never splits a surrogate pair") << "1234567" << 7 << 0 << none << "paste" << QStringLiteral("8\U0001F600\U0001F600") << QStringLiteral("12345678\U0001F600") << 0;
    QTest::newRow("a paste never parts a letter from its accent") << "1234567" << 7 << 0 << none << "paste" << QStringLiteral("8e\u0301x") << QStringLiteral("12345678e\u0301") << 0;
    QTest::newRow("a paste of four megabytes keeps nine") << "" << 0 << 0 << none << "paste" << QString(4 << 20, QLatin1Char('7')) << "777777777" << 0;
    QTest::newRow("a character longer than the start looked at is refused") << "1" << 1 << 0 << none << "paste" << QStringLiteral("e") + QString(1000, QChar(0x0301)) << "1" << 0;
    // Results longer than nine stand whole; the user can shorten them but not add to them. As in
    // the native control, the selection goes first, then as much as fits in nine.
    QTest::newRow("a long result takes no typed character") << longResult << 11 << 0 << none << "keys" << "5" << longResult << 0;
    QTest::newRow("a long result takes no pasted character") << longResult << 11 << 0 << none << "paste" << "5" << longResult << 0;
    QTest::newRow("a long result can be shortened") << longResult << 11 << 0 << none << "keys" << "Backspace" << "11899998.8" << 0;
    QTest::newRow("typing over a long result's selection only removes it") << longResult << 10 << 1 << none << "keys" << "5" << "11899998.8" << 0;
    QTest::newRow("typing over the start of a long result only removes the selection") << "1153523809523.81" << 0 << 3 << none << "keys" << "1" << "3523809523.81" << 0;
    QTest::newRow("typing over a full field's selection") << "123456789" << 0 << 9 << none << "keys" << "5" << "5" << 0;
    QTest::newRow("a paste over a selected long result keeps nine") << "10499998.95" << 0 << 11 << none << "paste" << "123456789012345678" << "123456789" << 0;
    QTest::newRow("a paste over part of a long result fills the rest") << "10499998.95" << 0 << 4 << none << "paste" << "123456789" << "129998.95" << 0;
    QTest::newRow("the context menu's paste keeps nine") << "" << 0 << 0 << none << "menu" << "1234567890" << "123456789" << 0;
    // An input method commits in one event that may also replace characters and move the caret.
    QTest::newRow("a commit is cut to nine") << "1234567" << 7 << 0 << none << "commit" << "abc" << "1234567ab" << 0;
    QTest::newRow("a commit replaces the selection first") << "123456789" << 0 << 9 << none << "commit" << "xyz" << "xyz" << 0;
    QTest::newRow("a commit into a long result inserts nothing") << longResult << 11 << 0 << none << "commit" << "5" << longResult << 0;
    QTest::newRow("a commit that moves the caret home") << "12345678" << 8 << 0 << none << "commit, caret home" << "abc" << "12345678a" << 0;
    QTest::newRow("a commit replacing the character before") << "123456789" << 9 << 0 << none << "commit, replacing one" << "ab" << "12345678a" << 0;
    // Assistive technologies insert through the accessibility interface, which asks no rule.
    QTest::newRow("an assistive technology's insertion is cut to nine") << "12345678" << 8 << 0 << none << "accessible" << "ABCDEFGH" << "12345678A" << 1;
    // Each edit while the input method composes keeps the composition, as in a plain line edit.
    QTest::newRow("a typed digit keeps the composition") << "12" << 2 << 0 << "´" << "keys" << "5" << "125" << 0;
    QTest::newRow("a paste keeps the composition") << "1234567" << 7 << 0 << "´" << "paste" << "8901" << "123456789" << 0;
    QTest::newRow("a commit keeps the composition") << "12" << 2 << 0 << "´" << "commit" << "é" << "12é" << 0;
    // QLineEdit has the input method commit before a drop goes in; the rule counts what it commits.
    QTest::newRow("a drop counts the committed composition") << "1234567" << 7 << 0 << "´" << "drag" << "8901" << "1234567´8" << 0;
    QTest::newRow("a result written into the focused field") << "12" << 2 << 0 << "´" << "result" << "105" << "105" << 1;
    // A drag shows while hovering the action that the drop then takes: a move only where all of it
    // goes in, so the source never deletes what did not arrive.
    QTest::newRow("a drag of what fits whole moves") << "12" << 2 << 0 << none << "drag" << "34" << "1234" << 0;
    QTest::newRow("a drag of twelve where nine fit copies") << "" << 0 << 0 << none << "drag" << "123456789012" << "123456789" << 0;
    QTest::newRow("a drag onto a full field is refused") << "123456789" << 0 << 0 << none << "drag" << "12" << "123456789" << 0;
    QTest::newRow("a cut that may only move is refused") << "" << 0 << 0 << none << "drag, move only" << "123456789012" << "" << 0;
    // QLineEdit's own undo and redo, which the program's writes clear, as the native control's.
    QTest::newRow("undo takes back consecutive typing at once") << "" << 0 << 0 << none << "keys" << "1 2 Ctrl+Z" << "" << 0;
    QTest::newRow("Ctrl+Y redoes") << "" << 0 << 0 << none << "keys" << "1 2 Ctrl+Z Ctrl+Y" << "12" << 0;
    QTest::newRow("Ctrl+Shift+Z redoes") << "" << 0 << 0 << none << "keys" << "1 2 Ctrl+Z Ctrl+Shift+Z" << "12" << 0;
    QTest::newRow("a refused character leaves the history") << "1234567" << 7 << 0 << none << "keys" << "8 Left 9 End 0 Ctrl+Z" << "12345678" << 0;
    QTest::newRow("undo after a partial delete of a long result") << longResult << 0 << 3 << none << "keys" << "Del Ctrl+Z" << longResult << 0;
    QTest::newRow("undo after a paste over a selected long result") << "10499998.95" << 0 << 11 << none << "paste, Ctrl+Z" << "123456789012345678" << "10499998.95" << 0;
    QTest::newRow("typing after redoing a deletion made leftwards") << "123" << 3 << -1 << none << "keys" << "Del Ctrl+Z Ctrl+Y 5" << "125" << 0;
    QTest::newRow("a result starts a fresh history") << "105" << 3 << 0 << none << "keys" << "Ctrl+Z" << "105" << 0;
    // The caret that undo leaves stands between whole characters, so the next one typed joins none.
    QTest::newRow("undo inside a combining sequence") << QStringLiteral("1a\u0301") << 1 << 2 << none << "keys" << QStringLiteral("\"e\u0301\" Ctrl+Z \"5\"") << "15" << 0;
    QTest::newRow("undo inside an emoji sequence") << QStringLiteral("1\U0001F44D\U0001F3FD") << 1 << 4 << none << "keys" << QStringLiteral("\"\U0001F44B\U0001F3FD\" Ctrl+Z \"5\"") << "15" << 0;
    // X11's middle button pastes the primary selection; an input method that sends nothing back
    // when asked to commit (fcitx5's Qt module, text-input-v3) leaves no composition behind.
    QTest::newRow("a middle click pastes nine of a longer selection") << "" << 0 << 0 << none << "middle" << "1000000000000" << "100000000" << 0;
    QTest::newRow("a middle click pastes under the rule") << "12345" << 5 << 0 << "x" << "middle, silent input method" << "ABCDEFGHIJ" << "ABCD12345" << 0;
}

void tst_Form1::edits()
{
    QFETCH(QString, standing);
    QFETCH(int, start);
    QFETCH(int, selected);
    QFETCH(QString, composing);
    QFETCH(QString, how);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QFETCH(int, resets);

    if (how.startsWith("middle") && !QGuiApplication::clipboard()->supportsSelection())
        QSKIP("no primary selection on this platform: run under xcb");
    AmountEdit *edit = window->findChild<AmountEdit *>("txtBez");
    window->WriteText(AmountField::txtBez, standing.toStdString());
    edit->setFocus();
    edit->setSelection(start, selected);
    QGuiApplication::clipboard()->setText(input, how.startsWith("middle") ? QClipboard::Selection : QClipboard::Clipboard);
    if (!composing.isEmpty())
        inputContext.compose(edit, composing);
    inputContext.silent = how.endsWith("silent input method");
    inputContext.resets = 0;
    const QPoint end(edit->width() - 2, edit->height() / 2);
    if (how == "keys") {
        for (const QString &key : input.split(' ')) {
            if (key.startsWith('"'))
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, key.mid(1, key.size() - 2), Qt::NoModifier);
            else
                QTest::keyClick(edit, QKeySequence(key)[0].key(), QKeySequence(key)[0].keyboardModifiers());
        }
    } else if (how.startsWith("paste")) {
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        if (how.endsWith("Ctrl+Z"))
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    } else if (how == "menu") {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, end, edit->mapToGlobal(end));
        QCoreApplication::sendEvent(edit, &event);
        const auto menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction *action : menu->actions())
            if (action->text().startsWith("&Paste"))
                action->trigger();
        menu->close();
    } else if (how.startsWith("commit")) {
        QList<QInputMethodEvent::Attribute> caretHome;
        if (how.endsWith("caret home"))
            caretHome << QInputMethodEvent::Attribute(QInputMethodEvent::Selection, 0, 0);
        QInputMethodEvent commit(QString(), caretHome);
        commit.setCommitString(input, how.endsWith("replacing one") ? -1 : 0, how.endsWith("replacing one") ? 1 : 0);
        QCoreApplication::sendEvent(edit, &commit);
    } else if (how == "accessible") {
        QAccessible::queryAccessibleInterface(edit)->editableTextInterface()->insertText(start, input);
    } else if (how.startsWith("drag")) {
        // The source is a line edit that gives up its dragged text only when told of a move.
        QLineEdit source(input);
        source.selectAll();
        QMimeData data;
        data.setText(source.selectedText());
        const Qt::DropActions offered = how.endsWith("move only") ? Qt::MoveAction : Qt::CopyAction | Qt::MoveAction;
        // Shift asks for a move.
        QDragEnterEvent enter(end, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDragMoveEvent move(end, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        QDropEvent drop(end, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
        // Straight to the field: outside a real drag, QApplication passes no drag event on.
        for (QDropEvent *event : std::initializer_list<QDropEvent *>{&enter, &move, &drop})
            static_cast<QObject *>(edit)->event(event);
        const auto shown = [](const QDropEvent &event) { return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction; };
        QCOMPARE(shown(move), shown(enter));
        QCOMPARE(shown(drop), shown(move));
        if (shown(drop) == Qt::MoveAction) {
            source.del();
            QVERIFY2(edit->text().contains(input), "a move deletes at the source only what arrived whole");
        }
    } else if (how.startsWith("middle")) {
        QTest::mouseClick(edit, Qt::MiddleButton, {}, QPoint(2, edit->height() / 2));
    } else {
        window->WriteText(AmountField::txtBez, input.toStdString());
    }
    QCOMPARE(edit->text(), expected);
    if (!composing.isEmpty())
        QCOMPARE(inputContext.resets, resets);
}

void tst_Form1::platformFontCappedToTheFields_data()
{
    QTest::addColumn<QFont>("platform");
    QTest::addColumn<bool>("capped");

    const auto font = [](qreal points, int pixels) {
        QFont font(QStringLiteral("DejaVu Sans"));
        points > 0 ? font.setPointSizeF(points) : font.setPixelSize(pixels);
        return font;
    };
    // 9 points are 12 pixels at 96 dots per inch, the offscreen screen's density.
    QTest::newRow("8 pt stays") << font(8, 0) << false;
    QTest::newRow("a pixel over 9 pt is capped") << font(0, 13) << true;
    QTest::newRow("a desktop's 14 pt is capped") << font(14, 0) << true;
    QTest::newRow("a 30-pixel font is capped") << font(0, 30) << true;
}

// The platform's face at a size whose every character shows whole in the fields and labels.
void tst_Form1::platformFontCappedToTheFields()
{
    QFETCH(QFont, platform);
    QFETCH(bool, capped);

    const QFont before = QApplication::font();
    QApplication::setFont(platform);
    Form1 sized;
    QApplication::setFont(before);
    const int pixels = capped ? 12 : QFontInfo(platform).pixelSize();
    for (const char *name : {"txtBez", "Label1"}) {
        const auto widget = sized.findChild<QWidget *>(name);
        QCOMPARE(QFontInfo(widget->font()).family(), QFontInfo(platform).family());
        QCOMPARE(QFontInfo(widget->font()).pixelSize(), pixels);
        const int frame = qobject_cast<QLineEdit *>(widget)
                              ? widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget)
                              : 0;
        QVERIFY2(QFontMetrics(widget->font()).height() <= widget->height() - 2 * frame,
                 qPrintable(QStringLiteral("%1 is %2 pixels high").arg(name).arg(widget->height())));
    }
}

void tst_Form1::overflowIsReportedAndEndsTheProgram()
{
    type("txtBez", "10");
    field("txtBez")->selectAll();
    QGuiApplication::clipboard()->setText("1e15");

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QAbstractButton *> buttons;
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    // Runs inside the report's own event loop: notes what it shows, then dismisses it as the
    // user would.
    QTimer lookForReport;
    connect(&lookForReport, &QTimer::timeout, this, [&] {
        const auto box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        lookForReport.stop();
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons();
        button = box->standardButton(buttons.value(0));
        QTest::keyClick(box, Qt::Key_Return);
    });
    lookForReport.start(0);
    QTimer::singleShot(0, window.get(), [&] {
        QTest::keyClick(window->windowHandle(), Qt::Key_V, Qt::ControlModifier);
        if (lookForReport.isActive()) // no report came: end the loop so that the checks fail
            QCoreApplication::exit(0);
    });
    const int status = QApplication::exec();

    QCOMPARE(title, "Veltrix");
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(text, "Overflow");
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(button, QMessageBox::Ok);
    QVERIFY(status != 0);
    QCOMPARE(field("txtBez")->text(), "1e15");
    QCOMPARE(field("txt5")->text(), "10.5");
    QCOMPARE(field("txt19")->text(), "11.9");

    // After the report no key release is handled any more.
    field("txt5")->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_Right);
    QCOMPARE(field("txtBez")->text(), "1e15");
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
