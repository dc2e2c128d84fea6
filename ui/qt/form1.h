#pragma once

#include "calc/calc.h"

#include <QWidget>

#include <array>
#include <exception>
#include <functional>

class AmountEdit;
class QGroupBox;

// The program's one window: three linked amount fields, each recomputing the other two from
// itself at every key release. Recalculate reaches the fields through this window.
class Form1 : public QWidget, public calc::FieldAccess
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    // What becomes of a failure that left a recalculation; after it no key release is handled.
    // The default names the failure in a modal box and then ends the program with a failure
    // status. Tests that must survive an overflow put a recorder here.
    using FailureReport = std::function<void(const std::exception &failure)>;
    void setFailureReport(FailureReport report);

    std::string ReadText(calc::AmountField field) const override;
    void WriteText(calc::AmountField field, const std::string &text) override;
    std::string DecimalSeparator() const override;

private:
    AmountEdit *addField(calc::AmountField amount, const QString &text, QGroupBox *group);
    void recalculateFrom(calc::AmountField source);
    AmountEdit *edit(calc::AmountField field) const;

    std::array<AmountEdit *, 3> fields{}; // by calc::AmountField
    FailureReport reportFailure;
    bool failed = false;
};
