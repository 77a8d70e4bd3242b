#include "platform/controls/combo_box.h"

#include <algorithm>
#include <array>
#include <cwctype>

#include "platform/controls/combo_drop_list.h"
#include "platform/controls/control_look.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/utf32.h"
#include "platform/draw/painter.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

// The arrow button at the right of the box.
constexpr int kArrowWidth = 17;

}  // namespace

ComboBox::ComboBox()
    : Control(ControlKind::kCombo), m_list(std::make_unique<ComboDropList>(*this)) {}

ComboBox::~ComboBox() = default;

void ComboBox::Configure(WindowOptions& options) const {
    options.className = "combo";
    options.tabStop = true;
}

int ComboBox::AddItem(std::string text) {
    return InsertItem(Count(), std::move(text));
}

int ComboBox::InsertItem(int index, std::string text) {
    index = std::clamp(index, 0, Count());
    m_items.insert(m_items.begin() + index, std::move(text));
    if (m_selected >= index) {
        ++m_selected;
    }
    Redraw();
    return index;
}

bool ComboBox::DeleteItem(int index) {
    if (index < 0 || index >= Count()) {
        return false;
    }
    m_items.erase(m_items.begin() + index);
    if (m_selected == index) {
        m_selected = -1;
    } else if (m_selected > index) {
        --m_selected;
    }
    Redraw();
    return true;
}

void ComboBox::Clear() {
    if (IsDropped()) {
        Close(false);
    }
    m_items.clear();
    m_selected = -1;
    Redraw();
}

std::string ComboBox::ItemText(int index) const {
    return index >= 0 && index < Count() ? m_items[static_cast<size_t>(index)] : std::string();
}

bool ComboBox::SetSelection(int index) {
    if (index < -1 || index >= Count()) {
        return false;
    }
    m_selected = index;
    Redraw();
    return true;
}

bool ComboBox::IsDropped() const {
    return m_list->IsOpen();
}

WindowId ComboBox::DropWindow() const {
    return IsDropped() ? m_list->Window() : WindowId{};
}

void ComboBox::Open() {
    if (IsDropped() || !IsEnabled() || !IsVisible()) {
        return;
    }
    if (m_list->Open()) {
        Redraw();
    }
}

void ComboBox::Close(bool pick) {
    if (!IsDropped()) {
        return;
    }
    int hot = m_list->Close();
    if (Wm().IsAlive(Window())) {
        SetFocus();
    }
    Redraw();
    if (pick) {
        Pick(hot);
    }
}

void ComboBox::Pick(int index) {
    if (index < 0 || index >= Count() || index == m_selected) {
        return;
    }
    m_selected = index;
    Redraw();
    Notify(kCbnSelChange, index);
}

int ComboBox::FindByLetter(char32_t c, int from) const {
    auto fold = [](char32_t ch) {
        return static_cast<char32_t>(std::towlower(static_cast<wint_t>(ch)));
    };
    for (int step = 1; step <= Count(); ++step) {
        int i = ((from < 0 ? -1 : from) + step) % Count();
        std::u32string text = Utf8ToUtf32(m_items[static_cast<size_t>(i)]);
        if (!text.empty() && fold(text[0]) == fold(c)) {
            return i;
        }
    }
    return -1;
}

int ComboBox::ItemHeight() const {
    return Font().PixelSize() + 6;
}

int64_t ComboBox::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kButtonDown:
            if (msg.button == MouseButton::kLeft) {
                SetFocus();
                Open();
            }
            return 0;
        case MessageKind::kKeyDown: {
            bool alt = (msg.modifiers & kModAlt) != 0;
            switch (msg.key) {
                case Key::kF4:
                    Open();
                    return 0;
                case Key::kUp:
                case Key::kDown:
                    if (alt) {
                        Open();
                    } else if (msg.key == Key::kUp) {
                        Pick(std::max(0, m_selected - 1));
                    } else {
                        Pick(std::min(Count() - 1, m_selected + 1));
                    }
                    return 0;
                case Key::kHome:
                    Pick(0);
                    return 0;
                case Key::kEnd:
                    Pick(Count() - 1);
                    return 0;
                default:
                    return kDefault;
            }
        }
        case MessageKind::kChar:
            if (!(msg.modifiers & (kModControl | kModAlt))) {
                Pick(FindByLetter(static_cast<char32_t>(msg.code), m_selected));
            }
            return 0;
        case MessageKind::kDestroy:
            if (IsDropped()) {
                m_list->Close();
            }
            return 0;
        default:
            return Control::OnMessage(self, msg);
    }
}

void ComboBox::Paint(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ControlColours colours =
        ResolveColours({look::kText, std::nullopt, enabled ? look::kWindow : look::kDisabledFill});
    if (!enabled) {
        colours.text = look::kGreyText;
    }
    bool active = HasFocus() || IsDropped();
    Rect inside = DrawBox(painter, bounds, colours, true, active);
    Rect arrow{inside.right - kArrowWidth, inside.top, inside.right, inside.bottom};
    Rect textBox{inside.left + look::kTextPadding, inside.top, arrow.left, inside.bottom};
    if (active && enabled && m_selected >= 0) {
        // The chosen item shows selected while the box has the focus.
        Rect sel{inside.left + 1, inside.top + 1, arrow.left - 1, inside.bottom - 1};
        painter.FillRect(sel, Opaque(look::kAccent));
        colours.text = look::kSelectedText;
        colours.textBackground.reset();
    }
    TextStyle style = Font().Style();
    style.ellipsis = true;
    DrawCaption(painter, ItemText(m_selected), textBox, style, colours);
    // A small downward triangle, centred in the arrow part.
    int cx = arrow.left + arrow.Width() / 2;
    int cy = arrow.top + arrow.Height() / 2;
    std::array<Point, 3> tri{Point{cx - 4, cy - 2}, Point{cx + 4, cy - 2}, Point{cx, cy + 3}};
    painter.FillPolygon(tri, Opaque(enabled ? look::kText : look::kGreyText));
}

}  // namespace platform
