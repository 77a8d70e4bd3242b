#include "app/settings/registry_store.h"

namespace pemuapp {

std::optional<std::string> RegistryStore::GetValue(const std::string& keyPath,
                                                   const std::string& name) {
    if (m_store.Load() != platform::IniStore::LoadResult::kLoaded) {
        return std::nullopt;
    }
    return m_store.Get(keyPath, name);
}

bool RegistryStore::SetValue(const std::string& keyPath, const std::string& name,
                             const std::string& value, std::string* reason) {
    return m_store.Write(keyPath, name, value, reason);
}

}  // namespace pemuapp
