#include "app/res/language_table.h"

#include <array>

namespace appres {
namespace {

constexpr std::array<LanguageEntry, 11> kLanguages = {{
    {"zh_TW", "Chinese, Tranditional"},
    {"zh_CN", "Chinese, Simplified"},
    {"pt_BR", "Portuguese"},
    {"ko_KO", "Korean"},
    {"ja_JA", "Japanese"},
    {"es_ES", "Spanish"},
    {"de_DE", "German"},
    {"fr_FR", "French"},
    {"it_IT", "Italian"},
    {"ru_RU", "Russian"},
    {"en_US", "English"},
}};

}  // namespace

std::span<const LanguageEntry> LanguageTable() {
    return kLanguages;
}

std::string LanguageNameForCode(std::string_view code) {
    for (const LanguageEntry& e : kLanguages) {
        if (code == e.code) {
            return e.name;
        }
    }
    return kFallbackLanguageName;
}

std::string LanguageCodeForName(std::string_view name) {
    for (const LanguageEntry& e : kLanguages) {
        if (name == e.name) {
            return e.code;
        }
    }
    return kFallbackLanguageCode;
}

std::string LanguageCodeForLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const size_t end = locale.find_first_of("_.@");
    const std::string_view language = locale.substr(0, end);
    std::string_view region;
    if (end != std::string_view::npos && locale[end] == '_') {
        region = locale.substr(end + 1);
        region = region.substr(0, region.find_first_of(".@"));
    }
    if (language == "zh") {
        return region == "TW" || region == "HK" || region == "MO" ? "zh_TW" : "zh_CN";
    }
    if (language.size() == 2) {
        for (const LanguageEntry& e : kLanguages) {
            if (std::string_view(e.code).substr(0, 2) == language) {
                return e.code;
            }
        }
    }
    return {};
}

}  // namespace appres
