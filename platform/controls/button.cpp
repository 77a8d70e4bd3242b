#include "platform/controls/button.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "platform/controls/control_look.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/control_set.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

// The box of a check box and the circle of a radio button.
constexpr int kMarkSide = 13;
// From the left edge to the caption of a radio button or check box.
constexpr int kMarkRoom = kMarkSide + 5;

void SetSource(cairo_t* cr, ColorRef c) {
    cairo_set_source_rgb(cr, c.Red() / 255.0, c.Green() / 255.0, c.Blue() / 255.0);
}

}  // namespace

void Button::Configure(WindowOptions& options) const {
    options.className = "button";
    options.tabStop = true;
}

void Button::SetCheck(bool checked) {
    if (m_checked != checked) {
        m_checked = checked;
        Redraw();
    }
}

void Button::Click() {
    if (m_style == ButtonStyle::kAutoCheck) {
        SetCheck(!m_checked);
    } else if (m_style == ButtonStyle::kAutoRadio) {
        // The group: the radio buttons next to this one in creation order
        // under the same parent.
        const std::vector<Control*>& all = Set().Controls();
        WindowId parent = Wm().Parent(Window());
        auto inGroup = [&](Control* c) {
            auto* b = dynamic_cast<Button*>(c);
            return b && b->Style() == ButtonStyle::kAutoRadio && Wm().Parent(b->Window()) == parent;
        };
        auto at = std::find(all.begin(), all.end(), this);
        auto first = at;
        while (first != all.begin() && inGroup(*(first - 1))) {
            --first;
        }
        for (auto it = first; it != all.end() && inGroup(*it); ++it) {
            static_cast<Button*>(*it)->SetCheck(*it == this);
        }
    }
    Notify(kBnClicked);
}

int64_t Button::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kButtonDown:
            if (msg.button != MouseButton::kLeft) {
                return kDefault;
            }
            SetFocus();
            m_tracking = true;
            m_pressed = true;
            Wm().SetCapture(self);
            Redraw();
            return 0;
        case MessageKind::kMouseMove: {
            std::optional<Rect> r = Wm().GetRect(self);
            bool inside = r && msg.point.x >= 0 && msg.point.y >= 0 && msg.point.x < r->Width() &&
                          msg.point.y < r->Height();
            if (m_tracking && inside != m_pressed) {
                m_pressed = inside;
                Redraw();
            }
            if (!m_hot && inside) {
                m_hot = true;
                Wm().TrackMouse(self, false, true, 0);
                Redraw();
            }
            return 0;
        }
        case MessageKind::kMouseLeave:
            m_hot = false;
            Redraw();
            return 0;
        case MessageKind::kButtonUp: {
            if (!m_tracking) {
                return 0;
            }
            bool click = m_pressed;
            m_tracking = false;
            m_pressed = false;
            Wm().ReleaseCapture();
            Redraw();
            if (click) {
                Click();
            }
            return 0;
        }
        case MessageKind::kCaptureLost:
            m_tracking = false;
            m_pressed = false;
            Redraw();
            return 0;
        case MessageKind::kKeyDown:
            if (msg.key != Key::kSpace) {
                return kDefault;
            }
            m_spaceDown = true;
            m_pressed = true;
            Redraw();
            return 0;
        case MessageKind::kKeyUp:
            if (msg.key != Key::kSpace || !m_spaceDown) {
                return kDefault;
            }
            m_spaceDown = false;
            m_pressed = false;
            Redraw();
            Click();
            return 0;
        case MessageKind::kFocusOut:
            m_spaceDown = false;
            m_pressed = m_tracking && m_pressed;
            return Control::OnMessage(self, msg);
        default:
            return Control::OnMessage(self, msg);
    }
}

void Button::Paint(Painter& painter, const Rect& bounds) {
    if (m_style == ButtonStyle::kPush) {
        PaintPush(painter, bounds);
    } else {
        PaintMark(painter, bounds);
    }
}

void Button::PaintPush(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ColorRef face = !enabled    ? look::kDisabledFill
                    : m_pressed ? look::kPressed
                    : m_hot     ? look::kHot
                                : look::kButtonFace;
    painter.FillRect(bounds, Opaque(face));
    bool accent = enabled && (HasFocus() || m_hot || m_pressed);
    painter.FrameRect(bounds, Opaque(accent ? look::kAccent : look::kButtonBorder));
    ControlColours colours{enabled ? look::kText : look::kGreyText, std::nullopt, std::nullopt};
    TextStyle style = Font().Style(TextAlign::kCenter, TextAlign::kCenter);
    style.ellipsis = true;
    Rect box{bounds.left + 2, bounds.top + 1, bounds.right - 2, bounds.bottom - 1};
    DrawCaption(painter, CaptionText(), box, style, colours);
}

void Button::PaintMark(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ControlColours colours = ResolveColours({look::kText, std::nullopt, look::kFace});
    if (!enabled) {
        colours.text = look::kGreyText;
    }
    FillIfSet(painter, bounds, colours.fill);
    int top = bounds.top + (bounds.Height() - kMarkSide) / 2;
    Rect mark = Rect::FromXywh(bounds.left, top, kMarkSide, kMarkSide);
    ColorRef edge = !enabled                             ? look::kGreyText
                    : (m_checked || m_hot || HasFocus()) ? look::kAccent
                                                         : look::kBorder;
    cairo_t* cr = painter.Cairo();
    cairo_save(cr);
    if (m_style == ButtonStyle::kAutoCheck) {
        painter.FillRect(mark, Opaque(m_checked && enabled ? look::kAccent
                                      : m_pressed          ? look::kPressed
                                                           : look::kWindow));
        painter.FrameRect(mark, Opaque(edge));
        if (m_checked) {
            // The tick: two strokes through the box.
            SetSource(cr, enabled ? look::kSelectedText : look::kGreyText);
            cairo_set_line_width(cr, 1.6);
            cairo_move_to(cr, mark.left + 3, mark.top + 6.5);
            cairo_line_to(cr, mark.left + 5.5, mark.top + 9);
            cairo_line_to(cr, mark.left + 10, mark.top + 3.5);
            cairo_stroke(cr);
        }
    } else {
        double cx = mark.left + kMarkSide / 2.0;
        double cy = mark.top + kMarkSide / 2.0;
        cairo_arc(cr, cx, cy, kMarkSide / 2.0 - 0.5, 0, 2 * M_PI);
        SetSource(cr, m_pressed ? look::kPressed : look::kWindow);
        cairo_fill_preserve(cr);
        SetSource(cr, edge);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
        if (m_checked) {
            cairo_arc(cr, cx, cy, 3.5, 0, 2 * M_PI);
            SetSource(cr, enabled ? look::kAccent : look::kGreyText);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    TextStyle style = Font().Style();
    style.ellipsis = true;
    Rect box{bounds.left + kMarkRoom, bounds.top, bounds.right, bounds.bottom};
    DrawCaption(painter, CaptionText(), box, style, colours);
}

}  // namespace platform
