#include "gui/Translations.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace sgry {

namespace {

void Install(const QString& name, const QString& folder) {
    auto* translator = new QTranslator(qApp);
    if (translator->load(name, folder)) QApplication::installTranslator(translator);
    else delete translator;
}

}  // namespace

Language LanguageOf(UiLanguage setting) {
    switch (setting) {
    case UiLanguage::English: return Language::English;
    case UiLanguage::Japanese: return Language::Japanese;
    case UiLanguage::System: break;
    }
    return LanguageFromEnvironment();
}

void UseProgramLanguage(Language language) {
    UseLanguage(language, CatalogueFolder());
    // The source texts are English: English needs no translator.
    if (language != Language::Japanese) return;
    Install(QStringLiteral("sigilry_ja"), QStringLiteral(":/i18n"));
    Install(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

}  // namespace sgry
