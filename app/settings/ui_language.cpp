#include "app/settings/ui_language.h"

#include <cstdlib>

#include "app/res/language_table.h"
#include "app/res/translator.h"
#include "app/settings/registry_store.h"
#include "app/settings/settings_file.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {

UiLanguage::UiLanguage(RegistryStore* registry, SettingsFile* settings, Logger* log)
    : m_registry(registry), m_settings(settings), m_log(log) {}

bool UiLanguage::ReadLanguageFromEnvironment() {
    if (!m_registry) {
        return false;
    }
    const auto code = m_registry->GetValue(kEnvironmentKey, kLanguageValue);
    if (!code) {
        return false;
    }
    m_name = appres::LanguageNameForCode(*code);
    QK_LOG(m_log, LOG_DEBUG, "ReadLanguageFromEnvironment: LANG=%s -> %s", code->c_str(),
           m_name.c_str());
    return true;
}

std::string UiLanguage::SelectLanguage(std::string_view userLocale) {
    appres::Translator::SelectLanguage(appres::LanguageCodeForLocale(userLocale));
    // The catalog names its own code as the translation of "en"; without a
    // catalog the text stays "en", which the table does not know.
    const std::string code = appres::Translator::Translate("en");
    m_name = appres::LanguageNameForCode(code);
    const std::string tableCode = appres::LanguageCodeForName(m_name);
    QK_LOG(m_log, LOG_DEBUG, "SelectLanguage: locale \"%.*s\", catalog \"%s\" -> %s",
           static_cast<int>(userLocale.size()), userLocale.data(), code.c_str(), m_name.c_str());
    if (m_settings) {
        m_settings->WriteSetting("LanguageID", m_name);
    }
    WriteLang(tableCode);
    appres::Translator::SelectLanguage(tableCode);
    return m_name;
}

void UiLanguage::ApplyLanguageName(const std::string& name) {
    m_name = name;
    WriteLang(appres::LanguageCodeForName(name));
    Activate();
}

void UiLanguage::Activate() const {
    appres::Translator::SelectLanguage(appres::LanguageCodeForName(m_name));
}

void UiLanguage::WriteLang(const std::string& code) {
    std::string reason;
    if (m_registry && !m_registry->SetValue(kEnvironmentKey, kLanguageValue, code, &reason)) {
        // The choice holds for this run; the next start falls back to LanguageID.
        QK_LOG(m_log, LOG_WARN, "cannot keep LANG=%s: %s", code.c_str(), reason.c_str());
    }
}

std::string UserLocaleName() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(name); value && value[0] != '\0') {
            return value;
        }
    }
    return {};
}

}  // namespace pemuapp
