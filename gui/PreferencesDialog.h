#pragma once
// "環境設定": the preferences sheet with its one page "全般".
#include "gui/SettingsDialog.h"
#include "settings/StampSettings.h"

namespace sgry {

class GeneralPage;

class PreferencesDialog : public SettingsDialog {
    Q_OBJECT

public:
    // `settings` and `prompts` (not owned) must outlive the sheet.
    PreferencesDialog(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    GeneralPage* generalPage() const { return page_; }

private:
    GeneralPage* page_ = nullptr;
};

// Opens the preferences sheet modally over `parent` and returns when it
// closes: QDialog::Accepted after OK, Rejected after Cancel. Messages go to
// Qt message boxes, or to `prompts` in the second form.
int ShowPreferencesDialog(QWidget* parent, AppSettings& settings);
int ShowPreferencesDialog(QWidget* parent, AppSettings& settings, UserPrompts& prompts);

}  // namespace sgry
