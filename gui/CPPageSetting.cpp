#include "gui/CPPageSetting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>

#include "gui/SheetText.h"

namespace sgry {

namespace {
const char* const kOutputLabels[kOutputModeCount] = {"プレフィクスをつけて別名で保存", "「別名で保存」ダイアログを表示",
                                                     "上書き"};
}

CPPageSetting::CPPageSetting(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertyPage(QStringLiteral("全般"), prompts, parent), settings_(settings) {
    output_ = sheets::WithId(new QComboBox(this), 1136);
    for (const char* label : kOutputLabels) output_->addItem(QString::fromUtf8(label));
    undo_ = sheets::WithId(new QCheckBox(QStringLiteral("スタンプを消去できる形式で出力"), this), 1137);
    repair_ = new QCheckBox(QStringLiteral("クロスリファレンス情報が壊れたPDFファイルも作り直してスタンプする"), this);
    repair_->setObjectName(QStringLiteral("repair"));
    allowCertified_ =
        new QCheckBox(QStringLiteral("作成者の認証があるPDFファイルも確認せずにスタンプする（認証は無効になります）"), this);
    allowCertified_->setObjectName(QStringLiteral("allowCertified"));
    auto* label = new QLabel(QStringLiteral("出力ファイル："), this);
    label->setBuddy(output_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(output_, 0, 1);
    grid->addWidget(undo_, 1, 0, 1, 2);
    grid->addWidget(repair_, 2, 0, 1, 2);
    grid->addWidget(allowCertified_, 3, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    WatchControls();
}

void CPPageSetting::FillControls() {
    output_->setCurrentIndex(static_cast<int>(settings_.Output));
    undo_->setChecked(settings_.Undo);
    repair_->setChecked(settings_.Repair);
    allowCertified_->setChecked(settings_.AllowCertified);
}

void CPPageSetting::StorePage() {
    settings_.Output = static_cast<OutputMode>(std::max(0, output_->currentIndex()));
    settings_.Undo = undo_->isChecked();
    settings_.Repair = repair_->isChecked();
    settings_.AllowCertified = allowCertified_->isChecked();
}

}  // namespace sgry
