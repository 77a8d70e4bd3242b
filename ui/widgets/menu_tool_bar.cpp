#include "ui/widgets/menu_tool_bar.h"

#include <algorithm>

#include "platform/draw/painter.h"
#include "platform/draw/text_layout.h"
#include "ui/widgets/menu_look.h"

namespace ui {
namespace {

using platform::Argb;
using platform::Point;
using platform::Rect;

// The narrowest a menu gets, so that a menu of short words still reads as one.
constexpr int kMinBarWidth = 80;

// The check mark: a tick two pixels thick, or a round bullet for a radio
// item, centred in the row's check box.
void PaintMark(platform::Painter& painter, const Rect& box, MenuCheck check, Argb colour) {
    const int cx = box.left + box.Width() / 2;
    const int cy = box.top + box.Height() / 2;
    if (check == MenuCheck::kRadio) {
        const Rect dot = Rect::FromXywh(cx - 3, cy - 3, 7, 7);
        painter.FillRegion(platform::Region::FromRoundRect(dot, 7, 7), colour);
        return;
    }
    for (int thick = 0; thick < 2; ++thick) {
        painter.DrawLine({cx - 4, cy - 1 + thick}, {cx - 1, cy + 2 + thick}, colour);
        painter.DrawLine({cx - 1, cy + 2 + thick}, {cx + 5, cy - 4 + thick}, colour);
    }
}

// The submenu arrow: a right-pointing triangle three quarters of the check
// size, inset by three tenths of that, at the row's right edge.
void PaintArrow(platform::Painter& painter, const Rect& row, Argb colour) {
    const int side = kMenuCheckSize * 3 / 4;
    const int inset = side * 3 / 10;
    const int x = row.right - kMenuCheckSize + (kMenuCheckSize - side) / 2;
    const int y = row.top + (row.Height() - side) / 2;
    const Point points[] = {
        {x + inset, y + inset}, {x + side - inset, y + side / 2}, {x + inset, y + side - inset}};
    painter.FillPolygon(points, colour);
}

}  // namespace

MenuToolBar::MenuToolBar(const std::vector<MenuItem>& items) {
    int textWidth = 0;
    for (const MenuItem& item : items) {
        Button b{item, StripMnemonic(item.text), MnemonicOf(item.text), {}};
        if (!item.separator) {
            textWidth = std::max(
                textWidth, platform::MeasureText(b.label, MenuItemFont(item.isDefault)).width);
        }
        m_buttons.push_back(std::move(b));
    }
    const int width = std::max(kMinBarWidth, kMenuRowHeight + kMenuTextGap + textWidth +
                                                 kMenuTextRightPad + kMenuCheckSize);
    int y = 0;
    for (Button& b : m_buttons) {
        const int h = b.item.separator ? kMenuSeparatorHeight : kMenuRowHeight;
        b.row = Rect::FromXywh(0, y, width, h);
        y += h;
    }
    m_size = {width, y};
}

int MenuToolBar::HitTest(Point point) const {
    for (int i = 0; i < Count(); ++i) {
        if (m_buttons[i].row.Contains(point.x, point.y)) {
            return i;
        }
    }
    return -1;
}

bool MenuToolBar::CanBeHot(int index) const {
    return index >= 0 && index < Count() && !m_buttons[index].item.separator;
}

bool MenuToolBar::CanChoose(int index) const {
    return CanBeHot(index) && !Item(index).grayed && !Item(index).HasSubmenu();
}

bool MenuToolBar::OpensSubmenu(int index) const {
    return CanBeHot(index) && !Item(index).grayed && Item(index).HasSubmenu();
}

bool MenuToolBar::SetHot(int index) {
    if (!CanBeHot(index)) {
        index = -1;
    }
    if (index == m_hot) {
        return false;
    }
    m_hot = index;
    return true;
}

int MenuToolBar::Step(int from, int direction) const {
    const int n = Count();
    if (n == 0) {
        return -1;
    }
    int i = from < 0 ? (direction > 0 ? -1 : n) : from;
    for (int tries = 0; tries < n; ++tries) {
        i = ((i + direction) % n + n) % n;
        if (CanBeHot(i)) {
            return i;
        }
    }
    return -1;
}

MnemonicHit MenuToolBar::Mnemonic(char32_t typed) const {
    std::vector<std::optional<char32_t>> mnemonics;
    for (const Button& b : m_buttons) {
        mnemonics.push_back(b.item.separator ? std::nullopt : b.mnemonic);
    }
    return FindMnemonic(mnemonics, typed, m_hot);
}

void MenuToolBar::Paint(platform::Painter& painter, Point origin) const {
    for (int i = 0; i < Count(); ++i) {
        PaintRow(painter, m_buttons[i], m_buttons[i].row.Offset(origin.x, origin.y), i == m_hot);
    }
}

void MenuToolBar::PaintRow(platform::Painter& painter, const Button& button, const Rect& row,
                           bool hot) const {
    const MenuPalette& p = kMenuPalette;
    if (button.item.separator) {
        painter.FillRect(row, p.menu);
        const int y = row.top + row.Height() / 2;
        painter.FillRect({row.left + 2, y - 1, row.right - 2, y}, p.separatorDark);
        painter.FillRect({row.left + 2, y, row.right - 2, y + 1}, p.embossText);
        return;
    }
    painter.FillRect(row, hot ? p.highlight : p.menu);
    const Argb text = button.item.grayed ? p.grayText : (hot ? p.highlightText : p.menuText);
    const Rect box{row.left, row.top, row.left + row.Height(), row.bottom};
    if (button.item.checked) {
        PaintMark(painter, box, button.item.check, text);
    }
    const Rect textRect{box.right + kMenuTextGap, row.top, row.right - kMenuCheckSize, row.bottom};
    const platform::TextStyle style = MenuItemFont(button.item.isDefault);
    if (button.item.grayed && !hot) {
        painter.DrawText(button.label, textRect.Offset(1, 1), style, p.embossText);
    }
    painter.DrawText(button.label, textRect, style, text);
    if (button.item.HasSubmenu()) {
        PaintArrow(painter, row, text);
    }
}

}  // namespace ui
