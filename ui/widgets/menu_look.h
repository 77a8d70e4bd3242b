// How the program's popup menus look: a fixed palette and font standing in
// for the desktop's menu colours and menu font, and the menu metrics.
// Constants, usable anywhere.
#pragma once

#include "platform/draw/color.h"
#include "platform/draw/text_style.h"

namespace ui {

struct MenuPalette {
    platform::Argb menu;           // row background
    platform::Argb menuText;       // text of a row
    platform::Argb highlight;      // the hot row
    platform::Argb highlightText;  // text of the hot row
    platform::Argb grayText;       // text of a grayed row
    platform::Argb embossText;     // the light copy under a grayed row's text
    platform::Argb frame;          // the window's outer edge
    platform::Argb separatorDark;  // upper line of a separator
};

inline constexpr MenuPalette kMenuPalette{
    platform::Argb(0xFFF0F0F0), platform::Argb(0xFF000000), platform::Argb(0xFF3399FF),
    platform::Argb(0xFFFFFFFF), platform::Argb(0xFF6D6D6D), platform::Argb(0xFFFFFFFF),
    platform::Argb(0xFF979797), platform::Argb(0xFFA0A0A0),
};

// The side of a check-mark box; also the room kept right of the text for
// the submenu arrow.
inline constexpr int kMenuCheckSize = 15;
// Height of an item row, and of a separator row.
inline constexpr int kMenuRowHeight = 22;
inline constexpr int kMenuSeparatorHeight = 9;
// Gap between the check box and the text, and after the text.
inline constexpr int kMenuTextGap = 2;
inline constexpr int kMenuTextRightPad = 12;
// The frame around the rows (and the band) on each side.
inline constexpr int kMenuFrame = 3;

// The font of the item texts; the default item is bold.
inline platform::TextStyle MenuItemFont(bool bold) {
    platform::TextStyle s;
    s.family = "DejaVu Sans";
    s.pixelSize = 12;
    s.weight = bold ? 700 : 400;
    s.vertical = platform::TextAlign::kCenter;
    s.singleLine = true;
    return s;
}

// The band's caption: turned to run bottom to top, at the band's bottom.
inline platform::TextStyle MenuBandFont() {
    platform::TextStyle s;
    s.family = "Arial";
    s.pixelSize = 14;
    s.weight = 600;
    s.italic = true;
    s.singleLine = true;
    s.rotation = platform::TextRotation::kUp90;
    return s;
}

}  // namespace ui
