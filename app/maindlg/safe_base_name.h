// File names made from text a receiver sent (a participant's name, a
// receiver's name): only [A-Za-z0-9._-], at most 64 bytes, never "." or
// "..". Every other byte becomes '_', so a name can never leave the folder
// it is looked up or stored in. An empty result means "no file".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pemuapp {

inline constexpr std::size_t kSafeBaseNameMax = 64;

inline std::string SafeBaseName(std::string_view name) {
    std::string out;
    out.reserve(name.size() < kSafeBaseNameMax ? name.size() : kSafeBaseNameMax);
    for (char c : name) {
        if (out.size() == kSafeBaseNameMax)
            break;
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        out.push_back(ok ? c : '_');
    }
    if (out == "." || out == "..")
        out.clear();
    return out;
}

}  // namespace pemuapp
