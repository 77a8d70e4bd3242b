// Conversions between the wide strings of the user interface and UTF-8.
//
// On this system wchar_t holds one Unicode code point (UTF-32). Code points
// that cannot be encoded (surrogates, values above U+10FFFF) become U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 text of a wide string.
std::string WideToUtf8(std::wstring_view text);

// Wide string of UTF-8 text; malformed bytes become U+FFFD each.
std::wstring Utf8ToWide(std::string_view text);

}  // namespace platform
