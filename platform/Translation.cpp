#include "platform/Translation.h"

#include <langinfo.h>
#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

#include "platform/ExePath.h"

#ifndef SIGILRY_LOCALEDIR
#define SIGILRY_LOCALEDIR "/usr/share/locale"
#endif

namespace sgry {

namespace {

constexpr const char* kDomain = "sigilry";

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

bool IsPlainLocale(std::string_view name) { return name.empty() || name == "C" || name == "POSIX"; }

// The language part of "ja_JP.UTF-8", "ja" or "en@quot".
std::string_view LanguagePart(std::string_view name) { return name.substr(0, name.find_first_of("_.@")); }

std::string_view MessagesLocale(const EnvironmentReader& getenv) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = getenv(name); IsSet(value)) return value;
    return {};
}

// The first language of LANGUAGE with texts, or nothing.
std::optional<Language> ListedLanguage(std::string_view list) {
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::string_view language = LanguagePart(list.substr(0, colon));
        if (language == "ja") return Language::Japanese;
        if (language == "en") return Language::English;
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return std::nullopt;
}

// Sets `category` from the environment; where that locale is missing, plain
// C or not UTF-8, C.UTF-8 (always present) takes its place, so that gettext
// reads LANGUAGE and writes UTF-8.
void SetUtf8Category(int category) {
    const char* name = std::setlocale(category, "");
    const bool utf8 = category != LC_CTYPE || std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    if (name == nullptr || IsPlainLocale(name) || !utf8) std::setlocale(category, "C.UTF-8");
}

}  // namespace

Language LanguageFromEnvironment(const EnvironmentReader& getenv) {
    const std::string_view locale = MessagesLocale(getenv);
    if (IsPlainLocale(locale)) return Language::English;
    if (const char* list = getenv("LANGUAGE"); IsSet(list))
        if (const std::optional<Language> listed = ListedLanguage(list)) return *listed;
    return LanguagePart(locale) == "ja" ? Language::Japanese : Language::English;
}

Language LanguageFromEnvironment() {
    return LanguageFromEnvironment([](const char* name) { return std::getenv(name); });
}

void UseLanguage(Language language, const std::string& catalogueFolder) {
    SetUtf8Category(LC_CTYPE);
    SetUtf8Category(LC_MESSAGES);
    setenv("LANGUAGE", language == Language::Japanese ? "ja" : "en", 1);
    bindtextdomain(kDomain, catalogueFolder.c_str());
    bind_textdomain_codeset(kDomain, "UTF-8");
}

std::string CatalogueFolder() {
    const std::filesystem::path beside = std::filesystem::path(ExeFolder()) / "locale";
    std::error_code ignored;
    if (std::filesystem::exists(beside / "ja" / "LC_MESSAGES" / "sigilry.mo", ignored)) return beside.string();
    return SIGILRY_LOCALEDIR;
}

const char* Translate(const char* source) { return dgettext(kDomain, source); }

}  // namespace sgry
