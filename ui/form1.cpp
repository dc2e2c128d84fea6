#include "form1.h"
#include "amountedit.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <utility>

namespace {

// The layout is drawn in twips, 15 to a pixel at 96 dpi. The pixels are device-independent:
// Qt scales them on denser screens.
constexpr int px(int twips) { return twips / 15; }

// The one report of a failure that left a recalculation: names it in a modal box and, once that
// is dismissed, ends the program with a failure status.
void showFailureAndQuit(QWidget *window, const std::exception &failure)
{
    const QString text = dynamic_cast<const calc::OverflowError *>(&failure)
                             ? QStringLiteral("Overflow")
                             : QString::fromUtf8(failure.what());
    QMessageBox::critical(window, QStringLiteral("Veltrix"), text);
    QCoreApplication::exit(EXIT_FAILURE);
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                      | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      reportFailure([this](const std::exception &failure) { showFailureAndQuit(this, failure); })
{
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Veltrix"));
    setFixedSize(px(1815), px(2055));

    // Children are created in tab order; group boxes and labels take no focus.
    txtBez = addGroup(calc::AmountField::txtBez, px(0), "Frame1", QStringLiteral("Bez DPH"), "txtBez", "Label1");
    txt5 = addGroup(calc::AmountField::txt5, px(720), "Frame2", QStringLiteral("s DPH 5%"), "txt5", "Label2");
    txt19 = addGroup(calc::AmountField::txt19, px(1440), "Frame3", QStringLiteral("s DPH 19%"), "txt19", "Label3");

    txtBez->setFocus();
    // setGeometry, unlike move, places the client area, whose size is all we know before the
    // window manager adds its frame.
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    QGuiApplication::primaryScreen()->availableGeometry()));
}

AmountEdit *Form1::addGroup(calc::AmountField source, int top, const char *frameName,
                            const QString &caption, const char *fieldName, const char *labelName)
{
    auto frame = new QGroupBox(caption, this);
    frame->setObjectName(frameName);
    frame->setGeometry(px(0), top, px(1815), px(615));

    // A field's children's coordinates start at the group box's outer corner, as do Qt's.
    auto field = new AmountEdit(frame);
    field->setObjectName(fieldName);
    field->setGeometry(px(120), px(240), px(1215), px(285));
    field->setAccessibleName(caption); // what a screen reader announces on entering the field
    connect(field, &AmountEdit::keyReleased, this, [this, source] { recalculateFrom(source); });

    auto label = new QLabel(QStringLiteral("Kč"), frame);
    label->setObjectName(labelName);
    label->setGeometry(px(1440), px(290), px(255), px(255));
    return field;
}

// The focused field receives the key release, so after Shift+Tab the release of Shift counts
// for the field just entered.
void Form1::recalculateFrom(calc::AmountField source)
{
    if (failed)
        return;
    // No exception may unwind through Qt's event dispatch.
    try {
        calc::Recalculate(source, *this);
    } catch (const std::exception &failure) {
        failed = true;
        reportFailure(failure);
    } catch (...) {
        failed = true;
        reportFailure(std::runtime_error("Unknown failure"));
    }
}

void Form1::setFailureReport(FailureReport report)
{
    reportFailure = std::move(report);
}

AmountEdit *Form1::edit(calc::AmountField field) const
{
    switch (field) {
    case calc::AmountField::txtBez: return txtBez;
    case calc::AmountField::txt5: return txt5;
    case calc::AmountField::txt19: return txt19;
    }
    std::abort(); // unreachable: the switch names every field
}

std::string Form1::ReadText(calc::AmountField field) const
{
    return edit(field)->text().toStdString();
}

void Form1::WriteText(calc::AmountField field, const std::string &text)
{
    edit(field)->showResult(QString::fromStdString(text));
}

std::string Form1::DecimalSeparator() const
{
    return QLocale().decimalPoint().toStdString();
}
