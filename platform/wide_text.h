// The text conversions of the program: the wide strings of the user
// interface, UTF-8 (file names, logs, the wire) and UTF-16 (paths handed to
// the capture library and its picture-file module).
//
// On this system wchar_t holds one Unicode code point (UTF-32). Code points
// that cannot be encoded (surrogates, values above U+10FFFF) and unpaired
// UTF-16 surrogates become U+FFFD. Pure functions, any thread.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 text of a wide string.
std::string WideToUtf8(std::wstring_view text);

// Wide string of UTF-8 text; malformed bytes become U+FFFD each.
std::wstring Utf8ToWide(std::string_view text);

// UTF-8 text of UTF-16 text.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 text of a wide string (code points above U+FFFF as surrogate pairs).
std::u16string WideToUtf16(std::wstring_view text);
// True when `text` is well-formed UTF-8 (no overlong forms, surrogates or
// code points above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The longest prefix of `text` of at most `maxBytes` bytes that does not cut
// a UTF-8 character in two.
std::string TruncateUtf8(std::string_view text, size_t maxBytes);

}  // namespace platform
