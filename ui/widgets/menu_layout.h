// The pure rules of popup menus: where a menu window goes on the screen,
// and which items a typed character names.
//
// Placement keeps a menu on the screen: a top menu opens at the point
// (down and right, or up when bottom-aligned) and turns left and/or up when
// it would cross the work area's edge; a submenu opens right of its item,
// else left of its parent menu, aligned to the item's top or bottom. Plain
// functions, usable on any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/draw/geometry.h"

namespace ui {

// The screen rectangle of a top menu of `size` opened at `at`. Tried in
// order: at the point, left of it, above it, left of and above it (with
// `bottomAlign` the menu's bottom edge is at the point first, then its top
// edge). The first that lies inside `workArea` and does not overlap
// `exclude` wins; when none does, the first is moved into the work area.
platform::Rect PlaceTopMenu(platform::Point at, platform::Size size, const platform::Rect& workArea,
                            bool bottomAlign,
                            const std::optional<platform::Rect>& exclude = std::nullopt);

// The screen rectangle of a submenu of `size` for the item at `item` in the
// menu window `parent` (both screen rectangles). Tried in order: right of
// the parent aligned to the item's top, right aligned to its bottom, left
// of the parent aligned to the top, left aligned to the bottom; the first
// inside `desktop` wins, else the first is moved into the desktop.
platform::Rect PlaceSubmenu(const platform::Rect& item, const platform::Rect& parent,
                            platform::Size size, const platform::Rect& desktop);

// The text without its mnemonic markers: "&File" -> "File", "&&" -> "&".
std::string StripMnemonic(std::string_view text);

// The upper-cased character after the first single '&', or nothing.
std::optional<char32_t> MnemonicOf(std::string_view text);

// Upper case of a character for mnemonic matching.
char32_t MnemonicUpper(char32_t c);

// Which of `count` items `typed` names, and which to make hot:
//   none  -> nothing (the owner is asked),
//   one   -> that one, chosen at once,
//   more  -> the first after `current` (wrapping), only made hot.
struct MnemonicHit {
    int index = -1;  // -1: no item has this mnemonic
    bool unique = false;
};
MnemonicHit FindMnemonic(const std::vector<std::optional<char32_t>>& mnemonics, char32_t typed,
                         int current);

}  // namespace ui
