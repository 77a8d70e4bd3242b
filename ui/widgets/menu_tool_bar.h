// The rows of one popup menu window: MenuToolBar.
//
// Each item of the menu is one row (a "button" of the bar, one per line):
// a check-mark box as high as the row, the text two pixels right of it and
// a submenu arrow at the right edge, or a thin groove for a separator. The
// bar keeps a copy of each item, lays the rows out for the widest text,
// finds the row under a point, keeps the hot (highlighted) row and draws
// itself in the fixed menu palette (menu_look.h): the hot row on the
// highlight colour, a grayed row in grey with a light copy one pixel right
// and down, the default item in bold.
//
// It is not a window: its menu window (MenuPopup) places it, routes the
// pointer and keys to it and asks it to draw into the window's back buffer.
// THREADING: user-interface thread only (text measuring).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/draw/geometry.h"
#include "ui/widgets/menu_layout.h"
#include "ui/widgets/menu_model.h"

namespace platform {
class Painter;
}

namespace ui {

class MenuToolBar {
public:
    explicit MenuToolBar(const std::vector<MenuItem>& items);

    // The bar's size: the widest row by the sum of the row heights.
    platform::Size BarSize() const { return m_size; }
    int Count() const { return static_cast<int>(m_buttons.size()); }
    const MenuItem& Item(int index) const { return m_buttons[index].item; }
    // The row of `index` in bar coordinates.
    platform::Rect RowRect(int index) const { return m_buttons[index].row; }
    // The row under `point` (bar coordinates), separators included; -1 outside.
    int HitTest(platform::Point point) const;

    // A separator is never hot; a grayed item may be hot but is never
    // chosen; an item with a submenu opens it unless it is grayed.
    bool CanBeHot(int index) const;
    bool CanChoose(int index) const;
    bool OpensSubmenu(int index) const;

    int Hot() const { return m_hot; }
    // Makes `index` hot (-1: none; a row that cannot be hot counts as -1).
    // True when the hot row changed.
    bool SetHot(int index);
    // The next row after `from` that can be hot, going down (+1) or up (-1)
    // and wrapping; -1 when there is none. `from` -1 starts at an end.
    int Step(int from, int direction) const;
    // What a typed character names (see FindMnemonic).
    MnemonicHit Mnemonic(char32_t typed) const;

    // Draws every row with the bar's top-left corner at `origin`.
    void Paint(platform::Painter& painter, platform::Point origin) const;

private:
    struct Button {
        MenuItem item;
        std::string label;  // the text without mnemonic markers
        std::optional<char32_t> mnemonic;
        platform::Rect row;
    };

    void PaintRow(platform::Painter& painter, const Button& button, const platform::Rect& row,
                  bool hot) const;

    std::vector<Button> m_buttons;
    platform::Size m_size;
    int m_hot = -1;
};

}  // namespace ui
