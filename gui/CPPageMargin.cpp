#include "gui/CPPageMargin.h"

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
const char* const kPageSelectionLabels[] = {"上記の全てのページが対象", "奇数ページのみ対象", "偶数ページのみ対象"};

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}
}  // namespace

CPPageMargin::CPPageMargin(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertyPage(QStringLiteral("ページ範囲と余白"), prompts, parent), settings_(settings) {
    // Page range
    auto* rangeBox = new QGroupBox(QStringLiteral("ページ範囲"), this);
    allPages_ = WithId(new QRadioButton(QStringLiteral("全てのページ(&A)"), rangeBox), 1062);
    somePages_ = WithId(new QRadioButton(QStringLiteral("一部のページ(&P)"), rangeBox), 1063);
    startPage_ = new RangedSpinBox(kPageSpin, 1066, 1067, rangeBox);
    endPage_ = new RangedSpinBox(kPageSpin, 1064, 1065, rangeBox);
    startPageLabel_ = BuddyLabel(QStringLiteral("ページ目から(S)"), startPage_, rangeBox);
    endPageLabel_ = BuddyLabel(QStringLiteral("ページ目まで(&E)"), endPage_, rangeBox);
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
    startWithRow->addWidget(BuddyLabel(QStringLiteral("ページ番号を付ける場合の初期値："), startWith_, this));
    startWithRow->addWidget(startWith_);
    startWithRow->addStretch(1);

    // Odd and even pages
    auto* oddBox = new QGroupBox(QStringLiteral("奇数ページ、偶数ページ"), this);
    pageSelection_ = WithId(new QComboBox(oddBox), 1069);
    for (const char* label : kPageSelectionLabels) pageSelection_->addItem(QString::fromUtf8(label));
    auto* oddLayout = new QHBoxLayout(oddBox);
    oddLayout->addWidget(pageSelection_);
    oddLayout->addStretch(1);

    // Margins
    auto* marginBox = new QGroupBox(QStringLiteral("余白"), this);
    struct MarginControl {
        MarginIndex index;
        const char* label;
        int editId;
        int spinId;
        int row;
        int column;
    };
    const MarginControl marginControls[] = {
        {kMarginTop, "上(&T)：", 1072, 1073, 0, 0},
        {kMarginBottom, "下(&B)：", 1078, 1079, 1, 0},
        {kMarginLeft, "左(&L)：", 1074, 1075, 0, 2},
        {kMarginRight, "右(&R)：", 1076, 1077, 1, 2},
    };
    auto* marginLayout = new QGridLayout(marginBox);
    for (const MarginControl& control : marginControls) {
        auto* edit = new MillimetreSpinBox(kMarginAccepted, control.editId, control.spinId, marginBox);
        margins_[control.index] = edit;
        marginLayout->addWidget(BuddyLabel(QString::fromUtf8(control.label), edit, marginBox), control.row,
                                control.column, Qt::AlignRight);
        marginLayout->addWidget(edit, control.row, control.column + 1);
    }
    marginLayout->addWidget(new QLabel(QStringLiteral("単位：ミリメートル"), marginBox), 2, 0, 1, 4);
    marginLayout->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rangeBox);
    layout->addLayout(startWithRow);
    layout->addWidget(oddBox);
    layout->addWidget(marginBox);
    layout->addStretch(1);

    connect(allPages_, &QRadioButton::toggled, this, &CPPageMargin::UpdateEnabling);
    WatchControls();
}

void CPPageMargin::FillControls() {
    allPages_->setChecked(settings_.IsAllPage);
    somePages_->setChecked(!settings_.IsAllPage);
    startPage_->setValue(settings_.StartPage);
    endPage_->setValue(settings_.EndPage);
    startWith_->setValue(settings_.StartWith);
    pageSelection_->setCurrentIndex(PageSelectionIndex(settings_.OddFlag));
    for (int i = 0; i < kMarginCount; ++i) margins_[i]->setValue(static_cast<double>(settings_.Margin[i]));
    UpdateEnabling();
}

void CPPageMargin::UpdateEnabling() {
    const bool some = somePages_->isChecked();
    for (QWidget* control : {static_cast<QWidget*>(startPage_), static_cast<QWidget*>(endPage_),
                             static_cast<QWidget*>(startPageLabel_), static_cast<QWidget*>(endPageLabel_)})
        control->setEnabled(some);
}

bool CPPageMargin::ValidatePage() {
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

void CPPageMargin::StorePage() { StoreInto(settings_); }

void CPPageMargin::StoreInto(StampSettings& target) const {
    target.IsAllPage = allPages_->isChecked();
    target.StartPage = startPage_->value();
    target.EndPage = endPage_->value();
    target.StartWith = startWith_->value();
    target.OddFlag = OddFlagForSelection(pageSelection_->currentIndex());
    for (int i = 0; i < kMarginCount; ++i) target.Margin[i] = static_cast<float>(margins_[i]->value());
}

}  // namespace sgry
