// The user-interface languages: the code of each catalog and the name that
// the settings file stores (LanguageID) and the language menu shows.
//
// The names are the stored values, spelling included ("Chinese,
// Tranditional"): settings files written by every earlier version hold them.
// English is the fallback both ways. Pure data and functions; any thread.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace appres {

struct LanguageEntry {
    const char* code;  // catalog folder under Language/locale, e.g. "ko_KO"
    const char* name;  // e.g. "Korean"
};

inline constexpr const char* kFallbackLanguageCode = "en_US";
inline constexpr const char* kFallbackLanguageName = "English";

// The eleven languages, in menu order.
std::span<const LanguageEntry> LanguageTable();

// The name of a code of the table, else "English". Exact match.
std::string LanguageNameForCode(std::string_view code);
// The code of a name of the table, else "en_US". Exact match.
std::string LanguageCodeForName(std::string_view name);

// The table code for the language of a locale name as the environment gives
// it ("ko_KR.UTF-8", "de_AT@euro", "pt"): matched by its language part, and
// for Chinese by region (TW, HK, MO traditional; others simplified). Empty
// when the table has no such language (also for "C", "POSIX" and "").
std::string LanguageCodeForLocale(std::string_view locale);

}  // namespace appres
