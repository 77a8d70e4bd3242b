// Text by characters: the controls count carets, limits and fields in code
// points and keep UTF-8 at their interfaces. Any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/wide_text.h"

namespace platform {

// wchar_t holds one code point on this system (see wide_text.h).
inline std::u32string Utf8ToUtf32(std::string_view text) {
    std::wstring wide = Utf8ToWide(text);
    return std::u32string(wide.begin(), wide.end());
}

inline std::string Utf32ToUtf8(std::u32string_view text) {
    return WideToUtf8(std::wstring(text.begin(), text.end()));
}

}  // namespace platform
