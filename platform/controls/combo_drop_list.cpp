#include "platform/controls/combo_drop_list.h"

#include <algorithm>

#include "platform/controls/combo_box.h"
#include "platform/controls/control_look.h"
#include "platform/draw/painter.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

constexpr int kBorder = 1;

}  // namespace

bool ComboDropList::Open() {
    WindowManager& wm = m_combo.Wm();
    std::optional<Rect> box = wm.ScreenRect(m_combo.Window());
    if (!box || m_combo.Count() == 0) {
        return false;
    }
    int shown = std::min(m_combo.Count(), kMaxShown);
    int h = shown * m_combo.ItemHeight() + 2 * kBorder;
    int w = box->Width();
    Rect work = wm.WorkArea();
    int y = box->bottom;
    if (y + h > work.bottom && box->top - h >= work.top) {
        y = box->top - h;  // no room below: above the box
    }
    int x = std::clamp(box->left, work.left, std::max(work.left, work.right - w));
    m_size = {w, h};
    m_hot = m_combo.Selection();
    m_top = 0;
    m_top = TopToShow(Scroll(), m_hot);
    m_bar.SetTrack(m_combo.Count() > kMaxShown ? Rect{w - kBorder - look::kScrollBarWidth, kBorder,
                                                      w - kBorder, h - kBorder}
                                               : Rect{});

    WindowOptions o;
    o.parent = m_combo.TopLevel();  // the owner: the list ends with the dialog
    o.rect = Rect::FromXywh(x, y, w, h);
    o.className = "combo-list";
    o.popup = true;
    o.topmost = true;
    o.toolWindow = true;
    o.doubleClicks = false;
    o.visible = true;
    o.handler = this;
    m_window = wm.Create(o);
    if (!m_window) {
        return false;
    }
    // An open list holds the keys and the mouse, as a menu does.
    wm.SetFocus(m_window);
    wm.SetCapture(m_window);
    return true;
}

int ComboDropList::Close() {
    WindowManager& wm = m_combo.Wm();
    WindowId window = m_window;
    m_window = {};  // first: the capture-lost notice below finds it closed
    if (wm.Capture() == window) {
        wm.ReleaseCapture();
    }
    if (wm.IsAlive(window)) {
        wm.Destroy(window);
    }
    m_bar.Release();
    return m_hot;
}

bool ComboDropList::IsOpen() const {
    return m_window && m_combo.Wm().IsAlive(m_window);
}

ScrollState ComboDropList::Scroll() const {
    return ScrollState{m_combo.Count(), kMaxShown, m_top};
}

void ComboDropList::SetHot(int index) {
    if (m_combo.Count() == 0) {
        return;
    }
    index = std::clamp(index, 0, m_combo.Count() - 1);
    m_top = TopToShow(ScrollState{m_combo.Count(), kMaxShown, m_top}, index);
    m_hot = index;
    m_combo.Wm().Invalidate(m_window);
}

int ComboDropList::ItemAt(Point p) const {
    if (p.x < 0 || p.x >= m_size.width || p.y < kBorder || p.y >= m_size.height - kBorder) {
        return -1;
    }
    return RowAt(p.y - kBorder, m_combo.ItemHeight(), m_top, m_combo.Count());
}

bool ComboDropList::OnKey(const Message& msg) {
    switch (msg.key) {
        case Key::kUp:
        case Key::kDown:
            if (msg.modifiers & kModAlt) {
                m_combo.Close(true);
            } else {
                SetHot(m_hot + (msg.key == Key::kUp ? -1 : 1));
            }
            return true;
        case Key::kPageUp:
            SetHot(m_hot - kMaxShown);
            return true;
        case Key::kPageDown:
            SetHot(m_hot + kMaxShown);
            return true;
        case Key::kHome:
            SetHot(0);
            return true;
        case Key::kEnd:
            SetHot(m_combo.Count() - 1);
            return true;
        case Key::kReturn:
        case Key::kF4:
            m_combo.Close(true);
            return true;
        case Key::kEscape:
            m_combo.Close(false);
            return true;
        default:
            return false;
    }
}

int64_t ComboDropList::OnMessage(WindowId self, const Message& msg) {
    if (self != m_window) {
        return kDefault;  // a list already closed
    }
    switch (msg.kind) {
        case MessageKind::kPaint:
            Paint(msg.rect);
            return 0;
        case MessageKind::kMouseMove: {
            ScrollState s = Scroll();
            if (m_bar.Drag(msg.point, s)) {
                m_top = s.top;
                m_combo.Wm().Invalidate(self);
            } else if (int item = ItemAt(msg.point); item >= 0 && item != m_hot) {
                SetHot(item);
            }
            return 0;
        }
        case MessageKind::kButtonDown: {
            if (ItemAt(msg.point) < 0 && !m_bar.Track().Contains(msg.point.x, msg.point.y)) {
                m_combo.Close(false);  // a click outside the list
                return 0;
            }
            ScrollState s = Scroll();
            if (m_bar.Press(msg.point, s)) {
                m_top = s.top;
                m_combo.Wm().Invalidate(self);
            }
            return 0;
        }
        case MessageKind::kButtonUp:
            if (m_bar.Dragging()) {
                m_bar.Release();
            } else if (int item = ItemAt(msg.point); item >= 0) {
                m_hot = item;
                m_combo.Close(true);
            }
            return 0;
        case MessageKind::kWheel:
            m_top = ClampTop(Scroll(), m_top - static_cast<int>(msg.param));
            m_combo.Wm().Invalidate(self);
            return 0;
        case MessageKind::kKeyDown:
            return OnKey(msg) ? 0 : kDefault;
        case MessageKind::kChar:
            if (int item = m_combo.FindByLetter(static_cast<char32_t>(msg.code), m_hot);
                item >= 0) {
                SetHot(item);
            }
            return 0;
        case MessageKind::kCaptureLost:
            m_combo.Close(false);
            return 0;
        default:
            return kDefault;
    }
}

void ComboDropList::Paint(const Rect& area) {
    if (!m_surface || m_surface->Width() != m_size.width || m_surface->Height() != m_size.height) {
        m_surface = Surface::Create(m_size.width, m_size.height);
        if (!m_surface) {
            return;
        }
    }
    {
        Painter painter(*m_surface);
        Rect all{0, 0, m_size.width, m_size.height};
        painter.FillRect(all, Opaque(look::kWindow));
        painter.FrameRect(all, Opaque(look::kBorder));
        int right = m_bar.Track().IsEmpty() ? m_size.width - kBorder : m_bar.Track().left;
        Rect items{kBorder, kBorder, right, m_size.height - kBorder};
        ClipTo clip(painter, items);
        TextStyle style = m_combo.Font().Style();
        style.ellipsis = true;
        int h = m_combo.ItemHeight();
        for (int i = m_top; i < m_combo.Count() && i < m_top + kMaxShown; ++i) {
            Rect row{items.left, items.top + (i - m_top) * h, items.right,
                     items.top + (i - m_top + 1) * h};
            ColorRef text = look::kText;
            if (i == m_hot) {
                painter.FillRect(row, Opaque(look::kAccent));
                text = look::kSelectedText;
            }
            Rect box{row.left + look::kTextPadding, row.top, row.right - look::kTextPadding,
                     row.bottom};
            painter.DrawText(m_combo.ItemText(i), box, style, Opaque(text));
        }
    }
    if (!m_bar.Track().IsEmpty()) {
        Painter painter(*m_surface);
        m_bar.Paint(painter, {0, 0}, Scroll());
    }
    m_combo.Wm().Present(m_window, *m_surface, area);
}

}  // namespace platform
