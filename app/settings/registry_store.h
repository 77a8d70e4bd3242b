// RegistryStore: the few registry values the sender keeps, in the file
// "registry.ini" beside the settings file. A key path is a section name and
// a value name a key, both compared without regard to case, as the registry
// compares them ("SOFTWARE\KIRSO" and "SOFTWARE\kirso" are one key).
//
// Per user only: nothing is written system-wide.
// THREADING: one thread.
#pragma once

#include <optional>
#include <string>

#include "platform/ini/ini_store.h"

namespace pemuapp {

// The user's environment key, where the interface language ("LANG") is kept.
inline constexpr const char* kEnvironmentKey = "HKEY_CURRENT_USER\\Environment";
inline constexpr const char* kLanguageValue = "LANG";

class RegistryStore {
public:
    explicit RegistryStore(std::string path) : m_store(std::move(path)) {}

    // The value as the file holds it now; nullopt when the key or the value
    // is missing or the file cannot be used.
    std::optional<std::string> GetValue(const std::string& keyPath, const std::string& name);
    // Writes one value through (locked, atomic). False with the reason in
    // *reason when it is refused or cannot be written.
    bool SetValue(const std::string& keyPath, const std::string& name, const std::string& value,
                  std::string* reason = nullptr);

    const std::string& Path() const { return m_store.Path(); }

private:
    platform::IniStore m_store;
};

}  // namespace pemuapp
