#pragma once
// "General" of the preferences sheet: how the output file is written, whether
// the stamp is written in a form that can be erased, and the program's
// language (read at the next start).
#include "gui/SettingsPage.h"
#include "settings/StampSettings.h"

class QCheckBox;
class QComboBox;

namespace sgry {

class GeneralPage : public SettingsPage {
    Q_OBJECT

public:
    // `settings` (not owned) is the live instance the page edits.
    GeneralPage(AppSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    void StorePage() override;

protected:
    void FillControls() override;

private:
    AppSettings& settings_;
    QComboBox* output_ = nullptr;  // 1136
    QCheckBox* undo_ = nullptr;    // 1137
    QCheckBox* repair_ = nullptr;
    QCheckBox* allowCertified_ = nullptr;
    QComboBox* language_ = nullptr;  // UiLanguage order
};

}  // namespace sgry
