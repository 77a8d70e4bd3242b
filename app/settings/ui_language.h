// UiLanguage: which language the sender's interface speaks, and how that
// choice is made and kept.
//
// The language is a name of the language table ("Korean"); its catalog code
// ("ko_KO") is kept as LANG in the user's registry file, never system-wide,
// and LanguageID in the settings file holds the name. At start the main
// dialog takes LANG when present (ReadLanguageFromEnvironment), else
// LanguageID; at the first start SelectLanguage picks the language of the
// user's locale when a catalog for it answers the "en" check; the language
// menu calls ApplyLanguageName, which switches the catalog at once (open
// windows re-read their texts through the translator's notice).
//
// THREADING: user-interface thread (the translator's rule).
#pragma once

#include <string>
#include <string_view>

class Logger;

namespace pemuapp {

class RegistryStore;
class SettingsFile;

class UiLanguage {
public:
    // Both stores are borrowed and may be null (nothing is then read or
    // written there); `log` too.
    UiLanguage(RegistryStore* registry, SettingsFile* settings, Logger* log);

    // The language name in force ("English" until told otherwise).
    const std::string& Name() const { return m_name; }
    // Takes the name that the settings file gave (LanguageID).
    void SetName(const std::string& name) { m_name = name; }

    // Takes LANG from the registry file as the language (an unknown code
    // gives "English"). False, and the name unchanged, when there is none.
    bool ReadLanguageFromEnvironment();

    // First start: selects the catalog of the language of `userLocale` (as
    // UserLocaleName() gives it), asks that catalog for its code through the
    // text "en", and makes the language of that code the language (one the
    // table lacks, or no catalog: "English"). Writes LanguageID and LANG.
    // Returns the name.
    std::string SelectLanguage(std::string_view userLocale);

    // The language menu's choice: the name becomes the language, LANG gets
    // its code, and the translator switches to it now.
    void ApplyLanguageName(const std::string& name);

    // Switches the translator to the catalog of Name().
    void Activate() const;

private:
    void WriteLang(const std::string& code);

    RegistryStore* m_registry;
    SettingsFile* m_settings;
    Logger* m_log;
    std::string m_name = "English";
};

// The locale name that decides the messages language of a program run from
// this environment: LC_ALL, else LC_MESSAGES, else LANG; empty when none is
// set.
std::string UserLocaleName();

}  // namespace pemuapp
