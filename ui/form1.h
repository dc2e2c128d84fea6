#pragma once

#include "calc/calc.h"

#include <QWidget>

class AmountEdit;

// The program's one window: three linked amount fields, each recomputing the other two from
// itself at every key release. Recalculate reaches the fields through this window.
class Form1 : public QWidget, public calc::FieldAccess
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    std::string ReadText(calc::AmountField field) const override;
    void WriteText(calc::AmountField field, const std::string &text) override;
    std::string DecimalSeparator() const override;

private:
    AmountEdit *addGroup(int top, const char *frameName, const QString &caption,
                         const char *fieldName, const char *labelName);
    void recalculateFrom(calc::AmountField source);
    AmountEdit *edit(calc::AmountField field) const;

    AmountEdit *txtBez;
    AmountEdit *txt5;
    AmountEdit *txt19;
    bool failed = false;
};
