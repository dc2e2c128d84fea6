#include "form1.h"
#include "amountedit.h"
#include "framecentring.h"
#include "ui/form1_description.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>

#include <cstdlib>
#include <exception>
#include <map>
#include <stdexcept>
#include <utility>

namespace {

// The pixels are device-independent: Qt scales them on denser screens.
constexpr int px(int twips) { return form1::ToPixels(twips, 96); }
QRect pixels(const form1::Control &control)
{
    return QRect(px(control.left), px(control.top), px(control.width), px(control.height));
}

constexpr int largestFontPixels = px(form1::LargestFontTwips);

// The platform's dialog font at most that tall. A desktop's font setting or QT_FONT_DPI can make
// it any size; the cap is in device-independent pixels, so denser screens still scale it.
QFont dialogFont()
{
    QFont font = QApplication::font();
    if (QFontInfo(font).pixelSize() > largestFontPixels)
        font.setPixelSize(largestFontPixels);
    return font;
}

// The one report of a failure that left a recalculation: names it in a modal box and, once that
// is dismissed, ends the program with a failure status.
void showFailureAndQuit(QWidget *window, const std::exception &failure)
{
    QMessageBox::critical(window, QString::fromUtf8(form1::Title),
                          QString::fromStdString(form1::FailureText(failure)));
    QCoreApplication::exit(EXIT_FAILURE);
}

} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                      | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      reportFailure([this](const std::exception &failure) { showFailureAndQuit(this, failure); })
{
    setObjectName("Form1");
    setWindowTitle(QString::fromUtf8(form1::Title));
    setFixedSize(px(form1::ClientWidth), px(form1::ClientHeight));
    setFont(dialogFont());

    // Created in tab order, so Qt's focus chain is the table's; group boxes and labels take no focus.
    std::map<calc::AmountField, QGroupBox *> groups;
    for (const form1::Control &control : form1::Controls) {
        const QString text = QString::fromUtf8(control.text);
        QWidget *made = nullptr;
        switch (control.kind) {
        case form1::ControlKind::GroupBox:
            made = groups[control.amount] = new QGroupBox(text, this);
            break;
        case form1::ControlKind::AmountEdit:
            made = addField(control.amount, text, groups.at(control.amount));
            break;
        case form1::ControlKind::Label:
            made = new QLabel(text, groups.at(control.amount));
            break;
        }
        made->setObjectName(control.name);
        // A child's coordinates start at the group box's outer corner, as do Qt's.
        made->setGeometry(pixels(control));
    }

    edit(calc::AmountField::txtBez)->setFocus();
    centreOnPrimaryScreen(this);
}

AmountEdit *Form1::addField(calc::AmountField amount, const QString &text, QGroupBox *group)
{
    auto field = new AmountEdit(group);
    field->showResult(text);
    // What a screen reader announces on entering the field.
    field->setAccessibleName(group->title());
    connect(field, &AmountEdit::keyReleased, this, [this, amount] { recalculateFrom(amount); });
    fields[std::size_t(amount)] = field;
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
        reportFailure(std::runtime_error(form1::UnknownFailureText));
    }
}

void Form1::setFailureReport(FailureReport report)
{
    reportFailure = std::move(report);
}

AmountEdit *Form1::edit(calc::AmountField field) const
{
    return fields[std::size_t(field)];
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
