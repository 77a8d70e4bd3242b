#include "platform/controls/ip_address_control.h"

#include <algorithm>

#include "platform/controls/control_look.h"
#include "platform/draw/text_layout.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

// Room for each dot between two fields.
constexpr int kDotWidth = 8;

}  // namespace

void IpAddressControl::Configure(WindowOptions& options) const {
    options.className = "ipaddress";
    options.tabStop = true;
    options.cursor = CursorShape::kIBeam;
}

void IpAddressControl::SetAddress(uint32_t address) {
    m_fields.SetAddress(address);
    Redraw();
}

void IpAddressControl::Clear() {
    m_fields.Clear();
    Redraw();
}

void IpAddressControl::SetBorder(bool border) {
    m_border = border;
    Redraw();
}

void IpAddressControl::Apply(const IpFields::Result& result) {
    if (result.bell) {
        Bell();
    }
    Redraw();
}

Rect IpAddressControl::FieldBox(const Rect& inner, int index) const {
    int fieldWidth = std::max(0, (inner.Width() - 3 * kDotWidth) / IpFields::kFields);
    int left = inner.left + index * (fieldWidth + kDotWidth);
    return {left, inner.top, left + fieldWidth, inner.bottom};
}

int64_t IpAddressControl::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kButtonDown: {
            if (msg.button != MouseButton::kLeft) {
                return kDefault;
            }
            SetFocus();
            Rect r = GetRect();
            int b = m_border ? 1 : 0;
            Rect inner{b, b, r.Width() - b, r.Height() - b};
            int field = IpFields::kFields - 1;
            for (int i = 0; i < IpFields::kFields - 1; ++i) {
                if (msg.point.x < FieldBox(inner, i).right + kDotWidth / 2) {
                    field = i;
                    break;
                }
            }
            m_fields.Focus(field);
            Redraw();
            return 0;
        }
        case MessageKind::kChar:
            if ((msg.modifiers & (kModControl | kModAlt)) || msg.code < 0x20) {
                return kDefault;
            }
            Apply(m_fields.Type(static_cast<char32_t>(msg.code)));
            return 0;
        case MessageKind::kKeyDown:
            switch (msg.key) {
                case Key::kBackspace:
                    Apply(m_fields.Backspace());
                    return 0;
                case Key::kDelete:
                    Apply(m_fields.Delete());
                    return 0;
                case Key::kLeft:
                    m_fields.Left();
                    break;
                case Key::kRight:
                    m_fields.Right();
                    break;
                case Key::kHome:
                    m_fields.Home();
                    break;
                case Key::kEnd:
                    m_fields.End();
                    break;
                default:
                    return kDefault;
            }
            Redraw();
            return 0;
        default:
            return Control::OnMessage(self, msg);
    }
}

void IpAddressControl::Paint(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ControlColours colours =
        ResolveColours({look::kText, std::nullopt, enabled ? look::kWindow : look::kDisabledFill});
    if (!enabled) {
        colours.text = look::kGreyText;
    }
    bool focused = HasFocus() && enabled;
    Rect inner = DrawBox(painter, bounds, colours, m_border, focused);
    TextStyle style = Font().Style(TextAlign::kCenter, TextAlign::kCenter);
    for (int i = 0; i < IpFields::kFields; ++i) {
        Rect box = FieldBox(inner, i);
        const std::string& text = m_fields.Field(i);
        bool current = focused && i == m_fields.Current();
        ControlColours fieldColours = colours;
        if (current && m_fields.Selected()) {
            Size size = MeasureText(text, style);
            int w = std::min(size.width + 2, box.Width());
            painter.FillRect(
                Rect::FromXywh(box.left + (box.Width() - w) / 2, box.top + 2, w, box.Height() - 4),
                Opaque(look::kAccent));
            fieldColours.text = look::kSelectedText;
            fieldColours.textBackground.reset();
        }
        DrawCaption(painter, text, box, style, fieldColours);
        if (current && !m_fields.Selected()) {
            int textWidth = MeasureText(text, style).width;
            int prefix = MeasureText(text.substr(0, m_fields.Caret()), style).width;
            int x = box.left + (box.Width() - textWidth) / 2 + prefix;
            int h = Font().PixelSize() + 2;
            painter.FillRect(Rect::FromXywh(x, box.top + (box.Height() - h) / 2, 1, h),
                             Opaque(colours.text));
        }
        if (i + 1 < IpFields::kFields) {
            Rect dot{box.right, box.top, box.right + kDotWidth, box.bottom};
            DrawCaption(painter, ".", dot, style, colours);
        }
    }
}

}  // namespace platform
