#include "gui/PreferencesDialog.h"

#include "gui/GeneralPage.h"

namespace sgry {

PreferencesDialog::PreferencesDialog(AppSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsDialog(tr("Preferences"), prompts, parent) {
    page_ = new GeneralPage(settings, prompts);
    AddPage(page_);
}

int ShowPreferencesDialog(QWidget* parent, AppSettings& settings, UserPrompts& prompts) {
    return RunSettingsDialog<PreferencesDialog>(parent, settings, &prompts);
}

int ShowPreferencesDialog(QWidget* parent, AppSettings& settings) {
    return RunSettingsDialog<PreferencesDialog>(parent, settings, nullptr);
}

}  // namespace sgry
