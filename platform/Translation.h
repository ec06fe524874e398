#pragma once
// The language of the program's own messages. Messages are written in English
// in the source; their Japanese texts come from the gettext catalogue
// "sigilry" (po/ja.po, built into <folder>/ja/LC_MESSAGES/sigilry.mo).
// Data strings (custom texts, QR messages, watermark words, font names, the
// settings and list files) never pass through here.
#include <functional>
#include <string>
#include <string_view>

// Marks a source text for the catalogue where it is defined; it is translated
// where it is read (the xgettext keyword of message constants).
#define N_(text) text

namespace sgry {

enum class Language { English, Japanese };

using EnvironmentReader = std::function<const char*(const char* name)>;

// The language the environment asks for, read as gettext reads it: the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty names the locale;
// outside the C and POSIX locales the list in LANGUAGE ("fr:ja:en") comes
// first, and its first language with texts (ja or en) decides. Japanese when
// that language, or else the locale's, is Japanese; English otherwise.
Language LanguageFromEnvironment(const EnvironmentReader& getenv);
Language LanguageFromEnvironment();

// Makes Translate() answer in `language` for the rest of the process, with the
// catalogues under `catalogueFolder`. Called once at start-up, before any
// message is made: it sets the process's LC_MESSAGES and LC_CTYPE (UTF-8)
// from the environment and LANGUAGE to the chosen language, which the
// system's own texts (strerror) then follow as well.
void UseLanguage(Language language, const std::string& catalogueFolder);

// The folder of the catalogues: "locale" beside the running program when it
// holds a catalogue (the build tree lays them out so), else the installed
// locale folder.
std::string CatalogueFolder();

// `source` in the language in use, as UTF-8; `source` itself when the
// catalogue has no text for it or no language was chosen.
const char* Translate(const char* source) __attribute__((format_arg(1)));

// A message constant: its English source text, translated each time it is
// read, so that a constant defined before the language is chosen still
// speaks it. Format(kMessage, ...), std::string and Text() read it.
class Translatable {
public:
    constexpr Translatable(const char* source) : source_(source) {}
    operator std::string_view() const { return Translate(source_); }
    operator std::string() const { return Translate(source_); }
    const char* Text() const { return Translate(source_); }

private:
    const char* source_;
};

}  // namespace sgry
