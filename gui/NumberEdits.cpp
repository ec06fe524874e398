#include "gui/NumberEdits.h"

#include <QLineEdit>
#include <QLocale>
#include <algorithm>

#include "gui/SheetText.h"

namespace sgry::sheets {
namespace {
constexpr int kLargestEntry = 9999999;  // seven digits: wider than every accepted range
}

RangedSpinBox::RangedSpinBox(const NumberRange& arrows, int editId, int spinId, QWidget* parent)
    : QSpinBox(parent), arrows_(arrows) {
    setRange(-kLargestEntry, kLargestEntry);
    setLocale(QLocale::c());
    setObjectName(QString::number(spinId));
    lineEdit()->setObjectName(QString::number(editId));
}

void RangedSpinBox::stepBy(int steps) {
    const double next = std::clamp(static_cast<double>(value()) + steps, arrows_.minimum, arrows_.maximum);
    setValue(static_cast<int>(next));
    selectAll();
}

QAbstractSpinBox::StepEnabled RangedSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < arrows_.maximum) enabled |= StepUpEnabled;
    if (value() > arrows_.minimum) enabled |= StepDownEnabled;
    return enabled;
}

MillimetreSpinBox::MillimetreSpinBox(const NumberRange& arrows, int editId, int spinId, QWidget* parent)
    : QDoubleSpinBox(parent), arrows_(arrows) {
    setLocale(QLocale::c());
    setDecimals(3);
    setRange(-kLargestEntry, kLargestEntry);
    setObjectName(QString::number(spinId));
    lineEdit()->setObjectName(QString::number(editId));
}

void MillimetreSpinBox::stepBy(int steps) {
    setValue(std::clamp(value() + steps, arrows_.minimum, arrows_.maximum));
    selectAll();
}

QString MillimetreSpinBox::textFromValue(double value) const {
    return QLocale::c().toString(value, 'g', 10);
}

QAbstractSpinBox::StepEnabled MillimetreSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < arrows_.maximum) enabled |= StepUpEnabled;
    if (value() > arrows_.minimum) enabled |= StepDownEnabled;
    return enabled;
}

}  // namespace sgry::sheets
