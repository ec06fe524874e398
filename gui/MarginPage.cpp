#include "gui/MarginPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/PageRangeRules.h"
#include "gui/NumberEdits.h"
#include "gui/SheetText.h"

namespace sgry {

using sheets::MillimetreSpinBox;
using sheets::RangedSpinBox;
using sheets::WithId;

namespace {
const char* const kPageSelectionLabels[] = {QT_TRANSLATE_NOOP("sgry::MarginPage", "All pages above"), QT_TRANSLATE_NOOP("sgry::MarginPage", "Odd pages only"), QT_TRANSLATE_NOOP("sgry::MarginPage", "Even pages only")};

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
}  // namespace

MarginPage::MarginPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsPage(tr("Pages and Margins"), prompts, parent), settings_(settings) {
    // Page range
    auto* rangeBox = new QGroupBox(tr("Page Range"), this);
    allPages_ = WithId(new QRadioButton(tr("&All pages"), rangeBox), 1062);
    somePages_ = WithId(new QRadioButton(tr("Some &pages"), rangeBox), 1063);
    startPage_ = new RangedSpinBox(kPageSpin, 1066, 1067, rangeBox);
    endPage_ = new RangedSpinBox(kPageSpin, 1064, 1065, rangeBox);
    startPageLabel_ = BuddyLabel(tr("from page"), startPage_, rangeBox);
    endPageLabel_ = BuddyLabel(tr("to pag&e"), endPage_, rangeBox);
    auto* rangeLayout = new QGridLayout(rangeBox);
    rangeLayout->addWidget(allPages_, 0, 0, 1, 3);
    rangeLayout->addWidget(somePages_, 1, 0);
    rangeLayout->addWidget(startPage_, 1, 1);
    rangeLayout->addWidget(startPageLabel_, 1, 2);
    rangeLayout->addWidget(endPage_, 2, 1);
    rangeLayout->addWidget(endPageLabel_, 2, 2);
    rangeLayout->setColumnStretch(3, 1);

    startWith_ = new RangedSpinBox(kStartWithSpin, 1068, 1071, this);
    auto* startWithRow = new QHBoxLayout;
    startWithRow->addWidget(BuddyLabel(tr("First page number:"), startWith_, this));
    startWithRow->addWidget(startWith_);
    startWithRow->addStretch(1);

    // Odd and even pages
    auto* oddBox = new QGroupBox(tr("Odd and Even Pages"), this);
    pageSelection_ = WithId(new QComboBox(oddBox), 1069);
    for (const char* label : kPageSelectionLabels) pageSelection_->addItem(tr(label));
    auto* oddLayout = new QHBoxLayout(oddBox);
    oddLayout->addWidget(pageSelection_);
    oddLayout->addStretch(1);

    // Margins
    auto* marginBox = new QGroupBox(tr("Margins"), this);
    struct MarginControl {
        MarginIndex index;
        QString label;
        int editId;
        int spinId;
        int row;
        int column;
    };
    const MarginControl marginControls[] = {
        {kMarginTop, tr("&Top:"), 1072, 1073, 0, 0},
        {kMarginBottom, tr("&Bottom:"), 1078, 1079, 1, 0},
        {kMarginLeft, tr("&Left:"), 1074, 1075, 0, 2},
        {kMarginRight, tr("&Right:"), 1076, 1077, 1, 2},
    };
    auto* marginLayout = new QGridLayout(marginBox);
    for (const MarginControl& control : marginControls) {
        auto* edit = new MillimetreSpinBox(kMarginAccepted, control.editId, control.spinId, marginBox);
        margins_[control.index] = edit;
        marginLayout->addWidget(BuddyLabel(control.label, edit, marginBox), control.row,
                                control.column, Qt::AlignRight);
        marginLayout->addWidget(edit, control.row, control.column + 1);
    }
    marginLayout->addWidget(new QLabel(tr("Unit: millimetres"), marginBox), 2, 0, 1, 4);
    marginLayout->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rangeBox);
    layout->addLayout(startWithRow);
    layout->addWidget(oddBox);
    layout->addWidget(marginBox);
    layout->addStretch(1);

    connect(allPages_, &QRadioButton::toggled, this, &MarginPage::UpdateEnabling);
    WatchControls();
}

void MarginPage::FillControls() {
    allPages_->setChecked(settings_.IsAllPage);
    somePages_->setChecked(!settings_.IsAllPage);
    startPage_->setValue(settings_.StartPage);
    endPage_->setValue(settings_.EndPage);
    startWith_->setValue(settings_.StartWith);
    pageSelection_->setCurrentIndex(PageSelectionIndex(settings_.OddFlag));
    for (int i = 0; i < kMarginCount; ++i) margins_[i]->setValue(static_cast<double>(settings_.Margin[i]));
    UpdateEnabling();
}

void MarginPage::UpdateEnabling() {
    const bool some = somePages_->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(startPage_), static_cast<QWidget*>(endPage_),
                             static_cast<QWidget*>(startPageLabel_), static_cast<QWidget*>(endPageLabel_)})
        control->setEnabled(some);
}

bool MarginPage::ValidatePage() {
    // Range checks in the order of the controls on the page.
    const struct {
        RangedSpinBox* edit;
        NumberRange accepted;
    } numbers[] = {{startPage_, kStartPageAccepted}, {endPage_, kEndPageAccepted}, {startWith_, kStartWithAccepted}};
    for (const auto& number : numbers)
        if (!number.accepted.Contains(number.edit->value()))
            return Refuse(IntegerRangeMessage(number.accepted), number.edit);
    for (MillimetreSpinBox* margin : margins_)
        if (!kMarginAccepted.Contains(margin->value())) return Refuse(DecimalRangeMessage(kMarginAccepted), margin);

    if (auto refusal = PageOrderRefusal(allPages_->isChecked(), startPage_->value(), endPage_->value()))
        return Refuse(*refusal, endPage_);
    return true;
}

void MarginPage::StorePage() { StoreInto(settings_); }

void MarginPage::StoreInto(StampSettings& target) const {
    target.IsAllPage = allPages_->isChecked();
    target.StartPage = startPage_->value();
    target.EndPage = endPage_->value();
    target.StartWith = startWith_->value();
    target.OddFlag = OddFlagForSelection(pageSelection_->currentIndex());
    for (int i = 0; i < kMarginCount; ++i) target.Margin[i] = static_cast<float>(margins_[i]->value());
}

}  // namespace sgry
