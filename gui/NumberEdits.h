#pragma once
// Number edits with their arrows for the page-range and margins page. The
// edit takes any number of up to seven digits; the arrows step only within
// the arrow range. Whether the number lies in the range the setting accepts
// is checked when the page validates, so that an out-of-range entry is
// refused with a message instead of being changed behind the user's back.
//
// The spin box stands for the arrow control, its line edit for the edit box:
// each gets the object name of its own control id.
#include <QDoubleSpinBox>
#include <QSpinBox>

#include "app/PageRangeRules.h"

namespace sgry::sheets {

class RangedSpinBox : public QSpinBox {
    Q_OBJECT

public:
    RangedSpinBox(const NumberRange& arrows, int editId, int spinId, QWidget* parent = nullptr);
    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;

private:
    NumberRange arrows_;
};

// Millimetres with up to three decimals, shown without trailing zeros ("10",
// "12.5") and read with a decimal point whatever the locale.
class MillimetreSpinBox : public QDoubleSpinBox {
    Q_OBJECT

public:
    MillimetreSpinBox(const NumberRange& arrows, int editId, int spinId, QWidget* parent = nullptr);
    void stepBy(int steps) override;
    QString textFromValue(double value) const override;

protected:
    StepEnabled stepEnabled() const override;

private:
    NumberRange arrows_;
};

}  // namespace sgry::sheets
