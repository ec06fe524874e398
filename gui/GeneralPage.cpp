#include "gui/GeneralPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <algorithm>

#include "gui/SheetText.h"

namespace sgry {

namespace {
const char* const kOutputLabels[kOutputModeCount] = {QT_TRANSLATE_NOOP("sgry::GeneralPage", "Save a copy named with a prefix"), QT_TRANSLATE_NOOP("sgry::GeneralPage", "Ask for a name with the \"Save As\" dialog"),
                                                     QT_TRANSLATE_NOOP("sgry::GeneralPage", "Overwrite the source")};
}

GeneralPage::GeneralPage(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsPage(tr("General"), prompts, parent), settings_(settings) {
    output_ = sheets::WithId(new QComboBox(this), 1136);
    for (const char* label : kOutputLabels) output_->addItem(tr(label));
    undo_ = sheets::WithId(new QCheckBox(tr("Write the stamps in a form that can be erased"), this), 1137);
    repair_ = new QCheckBox(tr("Rebuild the cross-reference data of damaged PDF files and stamp them"), this);
    repair_->setObjectName(QStringLiteral("repair"));
    allowCertified_ =
        new QCheckBox(tr("Stamp certified PDF files without asking (this breaks their certification)"), this);
    allowCertified_->setObjectName(QStringLiteral("allowCertified"));
    auto* label = new QLabel(tr("Output file:"), this);
    label->setBuddy(output_);
    // Each language by its own name; the change shows at the next start.
    language_ = new QComboBox(this);
    language_->setObjectName(QStringLiteral("language"));
    language_->addItems({tr("Same as the system"), QStringLiteral("English"), QStringLiteral("日本語")});
    auto* languageLabel = new QLabel(tr("Language (from the next start):"), this);
    languageLabel->setBuddy(language_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(output_, 0, 1);
    grid->addWidget(undo_, 1, 0, 1, 2);
    grid->addWidget(repair_, 2, 0, 1, 2);
    grid->addWidget(allowCertified_, 3, 0, 1, 2);
    grid->addWidget(languageLabel, 4, 0);
    grid->addWidget(language_, 4, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(5, 1);
    WatchControls();
}

void GeneralPage::FillControls() {
    output_->setCurrentIndex(static_cast<int>(settings_.Output));
    undo_->setChecked(settings_.Undo);
    repair_->setChecked(settings_.Repair);
    allowCertified_->setChecked(settings_.AllowCertified);
    language_->setCurrentIndex(static_cast<int>(settings_.Language));
}

void GeneralPage::StorePage() {
    settings_.Output = static_cast<OutputMode>(std::max(0, output_->currentIndex()));
    settings_.Undo = undo_->isChecked();
    settings_.Repair = repair_->isChecked();
    settings_.AllowCertified = allowCertified_->isChecked();
    settings_.Language = static_cast<UiLanguage>(std::max(0, language_->currentIndex()));
}

}  // namespace sgry
