#include "ui/widgets/menu_layout.h"

#include <cwctype>

#include "platform/wide_text.h"

namespace ui {
namespace {

using platform::Rect;

bool Inside(const Rect& r, const Rect& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right &&
           r.bottom <= area.bottom;
}

// `r` moved (not resized) so that as much of it as fits lies inside `area`;
// the top-left corner wins when it is larger than the area.
Rect MoveInto(Rect r, const Rect& area) {
    int dx = 0;
    int dy = 0;
    if (r.right > area.right) {
        dx = area.right - r.right;
    }
    if (r.left + dx < area.left) {
        dx = area.left - r.left;
    }
    if (r.bottom > area.bottom) {
        dy = area.bottom - r.bottom;
    }
    if (r.top + dy < area.top) {
        dy = area.top - r.top;
    }
    return r.Offset(dx, dy);
}

}  // namespace

Rect PlaceTopMenu(platform::Point at, platform::Size size, const Rect& workArea, bool bottomAlign,
                  const std::optional<Rect>& exclude) {
    const int down = at.y;
    const int up = at.y - size.height;
    const int yFirst = bottomAlign ? up : down;
    const int ySecond = bottomAlign ? down : up;
    const Rect candidates[] = {
        Rect::FromXywh(at.x, yFirst, size.width, size.height),
        Rect::FromXywh(at.x - size.width, yFirst, size.width, size.height),
        Rect::FromXywh(at.x, ySecond, size.width, size.height),
        Rect::FromXywh(at.x - size.width, ySecond, size.width, size.height),
    };
    for (const Rect& r : candidates) {
        if (Inside(r, workArea) && !(exclude && !r.Intersect(*exclude).IsEmpty())) {
            return r;
        }
    }
    return MoveInto(candidates[0], workArea);
}

Rect PlaceSubmenu(const Rect& item, const Rect& parent, platform::Size size, const Rect& desktop) {
    const Rect candidates[] = {
        Rect::FromXywh(parent.right, item.top, size.width, size.height),
        Rect::FromXywh(parent.right, item.bottom - size.height, size.width, size.height),
        Rect::FromXywh(parent.left - size.width, item.top, size.width, size.height),
        Rect::FromXywh(parent.left - size.width, item.bottom - size.height, size.width,
                       size.height),
    };
    for (const Rect& r : candidates) {
        if (Inside(r, desktop)) {
            return r;
        }
    }
    return MoveInto(candidates[0], desktop);
}

std::string StripMnemonic(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

char32_t MnemonicUpper(char32_t c) {
    return static_cast<char32_t>(std::towupper(static_cast<wint_t>(c)));
}

std::optional<char32_t> MnemonicOf(std::string_view text) {
    std::wstring wide = platform::Utf8ToWide(text);
    for (size_t i = 0; i + 1 < wide.size(); ++i) {
        if (wide[i] != L'&') {
            continue;
        }
        if (wide[i + 1] == L'&') {
            ++i;  // a plain '&'
            continue;
        }
        return MnemonicUpper(static_cast<char32_t>(wide[i + 1]));
    }
    return std::nullopt;
}

MnemonicHit FindMnemonic(const std::vector<std::optional<char32_t>>& mnemonics, char32_t typed,
                         int current) {
    const char32_t want = MnemonicUpper(typed);
    std::vector<int> matches;
    for (size_t i = 0; i < mnemonics.size(); ++i) {
        if (mnemonics[i] && *mnemonics[i] == want) {
            matches.push_back(static_cast<int>(i));
        }
    }
    if (matches.empty()) {
        return {};
    }
    if (matches.size() == 1) {
        return {matches[0], true};
    }
    for (int m : matches) {
        if (m > current) {
            return {m, false};
        }
    }
    return {matches[0], false};
}

}  // namespace ui
