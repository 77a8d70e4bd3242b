// The update server's version text: trimmed of blanks and line ends, made of
// printable characters only, with '.' as its second and fourth characters
// ("1.2.3.4"); compared with the program's version number by number.
// Pure functions.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/res/version_info.h"

namespace pemuapp {

inline constexpr size_t kMaxVersionTextChars = 32;

// The usable version text in `body`, or nothing.
inline std::optional<std::string> UsableVersionText(std::string_view body) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!body.empty() && blank(body.front())) {
        body.remove_prefix(1);
    }
    while (!body.empty() && blank(body.back())) {
        body.remove_suffix(1);
    }
    if (body.size() < 4 || body.size() > kMaxVersionTextChars || body[1] != '.' || body[3] != '.') {
        return std::nullopt;
    }
    for (char c : body) {
        if (c <= 0x20 || c >= 0x7F) {
            return std::nullopt;
        }
    }
    return std::string(body);
}

// The four numbers of a version text ("1.2", "1.2.3" and "1.2.3.4"; missing
// ones are 0). Nothing when a part is not a number of at most 5 digits.
inline std::optional<std::array<uint32_t, 4>> ParseVersionNumbers(std::string_view text) {
    std::array<uint32_t, 4> parts{};
    size_t index = 0;
    size_t digits = 0;
    for (char c : text) {
        if (c == '.') {
            if (digits == 0 || ++index == parts.size()) {
                return std::nullopt;
            }
            digits = 0;
        } else if (c >= '0' && c <= '9' && digits < 5) {
            parts[index] = parts[index] * 10 + static_cast<uint32_t>(c - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return parts;
}

// True when `offered` is a later version than `own`.
inline bool IsNewerThan(const std::array<uint32_t, 4>& offered, const appres::FileVersion& own) {
    const std::array<uint32_t, 4> mine{
        static_cast<uint32_t>(own.major), static_cast<uint32_t>(own.minor),
        static_cast<uint32_t>(own.build), static_cast<uint32_t>(own.revision)};
    return offered > mine;
}

}  // namespace pemuapp
