#include "platform/controls/trackbar.h"

#include <algorithm>

#include "platform/controls/control_look.h"
#include "platform/controls/control_notices.h"
#include "platform/window/window_manager.h"

namespace platform {

void Trackbar::Configure(WindowOptions& options) const {
    options.className = "trackbar";
    options.tabStop = true;
}

void Trackbar::SetVertical(bool vertical) {
    m_vertical = vertical;
    Redraw();
}

void Trackbar::SetRange(int minimum, int maximum) {
    m_min = std::min(minimum, maximum);
    m_max = std::max(minimum, maximum);
    m_pos = std::clamp(m_pos, m_min, m_max);
    Redraw();
}

void Trackbar::SetTickFrequency(int frequency) {
    m_tickFrequency = frequency;
    Redraw();
}

void Trackbar::SetTicks(bool shown) {
    m_ticks = shown;
    Redraw();
}

void Trackbar::SetPos(int position) {
    int p = std::clamp(position, m_min, m_max);
    if (p != m_pos) {
        m_pos = p;
        Redraw();
    }
}

int Trackbar::PageSize() const {
    return std::max(1, (m_max - m_min) / 5);
}

TrackbarGeometry Trackbar::Geometry() const {
    Rect r = GetRect();
    return TrackbarGeometry({r.Width(), r.Height()}, m_vertical, m_min, m_max);
}

void Trackbar::MoveTo(int position, int64_t code) {
    int p = std::clamp(position, m_min, m_max);
    if (p == m_pos) {
        return;
    }
    m_pos = p;
    Redraw();
    Notify(code, m_pos);
}

bool Trackbar::OnKey(Key key) {
    switch (key) {
        case Key::kLeft:
        case Key::kUp:
            MoveTo(m_pos - 1, kTbLineUp);
            return true;
        case Key::kRight:
        case Key::kDown:
            MoveTo(m_pos + 1, kTbLineDown);
            return true;
        case Key::kPageUp:
            MoveTo(m_pos - PageSize(), kTbPageUp);
            return true;
        case Key::kPageDown:
            MoveTo(m_pos + PageSize(), kTbPageDown);
            return true;
        case Key::kHome:
            MoveTo(m_min, kTbTop);
            return true;
        case Key::kEnd:
            MoveTo(m_max, kTbBottom);
            return true;
        default:
            return false;
    }
}

int64_t Trackbar::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kKeyDown:
            if (!OnKey(msg.key)) {
                return kDefault;
            }
            m_keyMoved = true;
            return 0;
        case MessageKind::kKeyUp:
            if (!m_keyMoved) {
                return kDefault;
            }
            m_keyMoved = false;
            Notify(kTbEndTrack, m_pos);
            return 0;
        case MessageKind::kButtonDown: {
            if (msg.button != MouseButton::kLeft) {
                return kDefault;
            }
            SetFocus();
            TrackbarGeometry g = Geometry();
            Rect thumb = g.Thumb(m_pos);
            Wm().SetCapture(self);
            if (thumb.Contains(msg.point.x, msg.point.y)) {
                m_dragging = true;
                m_grab = Along(msg.point) - g.PixelOf(m_pos);
                return 0;
            }
            m_paging = true;
            if (Along(msg.point) < g.PixelOf(m_pos)) {
                MoveTo(m_pos - PageSize(), kTbPageUp);
            } else {
                MoveTo(m_pos + PageSize(), kTbPageDown);
            }
            return 0;
        }
        case MessageKind::kMouseMove:
            if (m_dragging) {
                MoveTo(Geometry().PositionAt(Along(msg.point) - m_grab), kTbThumbTrack);
            }
            return 0;
        case MessageKind::kButtonUp: {
            bool dragged = m_dragging;
            bool paged = m_paging;
            m_dragging = false;
            m_paging = false;
            Wm().ReleaseCapture();
            if (dragged) {
                Notify(kTbThumbPosition, m_pos);
            }
            if (dragged || paged) {
                Notify(kTbEndTrack, m_pos);
            }
            return 0;
        }
        case MessageKind::kCaptureLost:
            m_dragging = false;
            m_paging = false;
            return 0;
        default:
            return Control::OnMessage(self, msg);
    }
}

void Trackbar::Paint(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ControlColours colours = ResolveColours({look::kText, std::nullopt, look::kFace});
    FillIfSet(painter, bounds, colours.fill);
    TrackbarGeometry g = Geometry();
    Point o{bounds.left, bounds.top};
    painter.FillRect(g.Channel().Offset(o.x, o.y), Opaque(look::kLightBorder));
    painter.FrameRect(g.Channel().Offset(o.x, o.y), Opaque(look::kBorder));
    Rect thumb = g.Thumb(m_pos).Offset(o.x, o.y);
    if (m_ticks) {
        // Ticks on the far side of the thumb (below it, or to its right).
        ColorRef tick = enabled ? colours.text : look::kGreyText;
        for (int t : g.Ticks(m_tickFrequency)) {
            Rect mark = m_vertical ? Rect{thumb.right + 2, o.y + t, thumb.right + 6, o.y + t + 1}
                                   : Rect{o.x + t, thumb.bottom + 2, o.x + t + 1, thumb.bottom + 6};
            painter.FillRect(mark, Opaque(tick));
        }
    }
    ColorRef face = !enabled     ? look::kDisabledFill
                    : m_dragging ? look::kPressed
                    : HasFocus() ? look::kAccent
                                 : look::kButtonFace;
    painter.FillRect(thumb, Opaque(face));
    painter.FrameRect(thumb, Opaque(enabled ? look::kButtonBorder : look::kLightBorder));
}

}  // namespace platform
