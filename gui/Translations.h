#pragma once
// The desktop program's language: the App setting's choice, or the locale's.
#include "platform/Translation.h"
#include "settings/StampSettings.h"

namespace sgry {

// The language `setting` asks for; UiLanguage::System reads the environment.
Language LanguageOf(UiLanguage setting);

// Makes every text of the program speak `language` from now on: the messages
// of the code without Qt (gettext), the windows' own texts (sigilry_ja.qm,
// built into the program) and Qt's standard dialogs (qtbase_ja.qm where it is
// installed). Called once, after the QApplication is made and before any
// window; the translators belong to the application.
void UseProgramLanguage(Language language);

}  // namespace sgry
