#include "platform/controls/edit.h"

#include <algorithm>
#include <cstdlib>

#include "platform/controls/control_look.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/utf32.h"
#include "platform/draw/text_layout.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

// The inside of the border keeps this much room before the text.
int TextOrigin(bool border) {
    return (border ? 1 : 0) + look::kTextPadding;
}

}  // namespace

void Edit::Configure(WindowOptions& options) const {
    options.className = "edit";
    options.tabStop = true;
    options.cursor = CursorShape::kIBeam;
    options.doubleClicks = true;
}

void Edit::OnAttached() {
    m_model.SetText(Utf8ToUtf32(CaptionText()));
}

void Edit::SetText(std::string_view text) {
    bool changed = m_model.SetText(Utf8ToUtf32(text));
    m_widths.clear();
    m_scroll = 0;
    Redraw();
    if (changed) {
        Notify(kEnChange);
    }
}

std::string Edit::Text() const {
    return Utf32ToUtf8(m_model.Text());
}

void Edit::SetMask(std::optional<char32_t> mask) {
    if (m_mask == mask) {
        return;
    }
    m_mask = mask;
    m_widths.clear();
    ScrollToCaret();
    Redraw();
}

void Edit::SetBorder(bool border) {
    m_border = border;
    Redraw();
}

void Edit::SetSelection(size_t first, size_t last) {
    m_model.Select(first, last);
    ScrollToCaret();
    Redraw();
}

std::u32string Edit::Shown() const {
    if (m_mask) {
        return std::u32string(m_model.Text().size(), *m_mask);
    }
    return m_model.Text();
}

int Edit::XOf(size_t i) {
    if (m_widths.empty()) {
        // One measure per boundary; edits hold a line, so this stays small,
        // and it is redone only when the text, mask or font changes.
        std::u32string shown = Shown();
        TextStyle style = Font().Style();
        m_widths.reserve(shown.size() + 1);
        m_widths.push_back(0);
        for (size_t n = 1; n <= shown.size(); ++n) {
            m_widths.push_back(MeasureText(Utf32ToUtf8(shown.substr(0, n)), style).width);
        }
    }
    return m_widths[std::min(i, m_widths.size() - 1)];
}

// The boundary nearest to x (client coordinates).
size_t Edit::IndexAt(int x) {
    int textX = x - TextOrigin(m_border) + m_scroll;
    size_t n = m_model.Text().size();
    size_t best = 0;
    for (size_t i = 0; i <= n; ++i) {
        if (std::abs(XOf(i) - textX) < std::abs(XOf(best) - textX)) {
            best = i;
        }
    }
    return best;
}

Rect Edit::Inner() const {
    Rect r = GetRect();
    int pad = TextOrigin(m_border);
    return {pad, 0, std::max(pad, r.Width() - pad), r.Height()};
}

void Edit::ScrollToCaret() {
    int width = Inner().Width();
    int caret = XOf(m_model.Caret());
    if (caret - m_scroll > width - 1) {
        m_scroll = caret - width + 1;
    }
    if (caret < m_scroll) {
        // A quarter of the box back, so that deleting shows what comes next.
        m_scroll = std::max(0, caret - width / 4);
    }
    int end = XOf(m_model.Text().size());
    m_scroll = std::clamp(m_scroll, 0, std::max(0, end - width + 1));
}

void Edit::Apply(const EditModel::Result& result) {
    if (result.refused) {
        Bell();
    }
    if (result.changed) {
        m_widths.clear();
    }
    ScrollToCaret();
    Redraw();
    if (result.changed) {
        Notify(kEnChange);
    }
}

void Edit::Copy() {
    if (m_mask || !m_model.HasSelection()) {
        return;  // a hidden text never leaves the box
    }
    Wm().SetClipboardText(Utf32ToUtf8(m_model.SelectedText()));
}

void Edit::Paste() {
    std::optional<std::string> text = Wm().ClipboardText();
    if (!text || text->empty()) {
        return;
    }
    Apply(m_model.Paste(Utf8ToUtf32(*text)));
}

bool Edit::OnKey(const Message& msg) {
    bool shift = (msg.modifiers & kModShift) != 0;
    if (msg.modifiers & kModControl) {
        switch (msg.code) {
            case 'a':
            case 'A':
                m_model.SelectAll();
                Apply({});
                return true;
            case 'c':
            case 'C':
                Copy();
                return true;
            case 'x':
            case 'X':
                if (m_mask) {
                    return true;
                }
                Copy();
                Apply(m_model.Cut());
                return true;
            case 'v':
            case 'V':
                Paste();
                return true;
            default:
                break;
        }
    }
    switch (msg.key) {
        case Key::kLeft:
            m_model.Left(shift);
            break;
        case Key::kRight:
            m_model.Right(shift);
            break;
        case Key::kHome:
            m_model.Home(shift);
            break;
        case Key::kEnd:
            m_model.End(shift);
            break;
        case Key::kBackspace:
            Apply(m_model.Backspace());
            return true;
        case Key::kDelete:
            Apply(m_model.DeleteForward());
            return true;
        default:
            return false;
    }
    Apply({});
    return true;
}

int64_t Edit::OnMessage(WindowId self, const Message& msg) {
    switch (msg.kind) {
        case MessageKind::kKeyDown:
            return OnKey(msg) ? 0 : kDefault;
        case MessageKind::kChar:
            // Chords type nothing; control characters are keys, not text.
            if ((msg.modifiers & (kModControl | kModAlt)) || msg.code < 0x20 || msg.code == 0x7F) {
                return kDefault;
            }
            Apply(m_model.Type(static_cast<char32_t>(msg.code)));
            return 0;
        case MessageKind::kButtonDown:
            if (msg.button != MouseButton::kLeft) {
                return kDefault;
            }
            SetFocus();
            m_model.MoveTo(IndexAt(msg.point.x), (msg.modifiers & kModShift) != 0);
            m_dragging = true;
            Wm().SetCapture(self);
            Apply({});
            return 0;
        case MessageKind::kDoubleClick:
            SetFocus();
            m_model.SelectAll();
            Apply({});
            return 0;
        case MessageKind::kMouseMove:
            if (m_dragging) {
                m_model.MoveTo(IndexAt(msg.point.x), true);
                Apply({});
            }
            return 0;
        case MessageKind::kButtonUp:
            if (m_dragging) {
                m_dragging = false;
                Wm().ReleaseCapture();
            }
            return 0;
        case MessageKind::kCaptureLost:
            m_dragging = false;
            return 0;
        default:
            return Control::OnMessage(self, msg);
    }
}

void Edit::Paint(Painter& painter, const Rect& bounds) {
    bool enabled = IsEnabled();
    ControlColours colours = ResolveColours({enabled ? look::kText : look::kGreyText, std::nullopt,
                                             enabled ? look::kWindow : look::kDisabledFill});
    if (!enabled) {
        colours.text = look::kGreyText;
    }
    bool focused = HasFocus();
    Rect inside = DrawBox(painter, bounds, colours, m_border, focused);
    int origin = TextOrigin(m_border);
    Rect textArea{bounds.left + origin, inside.top,
                  std::max(bounds.left + origin, bounds.right - origin), inside.bottom};
    ClipTo clip(painter, textArea);
    std::string shown = Utf32ToUtf8(Shown());
    int x = textArea.left - m_scroll;
    // Wide enough for the whole line: the clip cuts it, not the layout.
    Rect line{x, textArea.top, x + XOf(m_model.Text().size()) + 16, textArea.bottom};
    TextStyle style = Font().Style();
    DrawCaption(painter, shown, line, style, colours);
    auto [first, last] = m_model.Selection();
    if (focused && first != last) {
        Rect sel{x + XOf(first), textArea.top + 1, x + XOf(last), textArea.bottom - 1};
        painter.FillRect(sel, Opaque(look::kAccent));
        ClipTo selected(painter, sel);
        painter.DrawText(shown, line, style, Opaque(look::kSelectedText));
    }
    if (focused && enabled) {
        int cx = x + XOf(m_model.Caret());
        int h = Font().PixelSize() + 2;
        int top = textArea.top + (textArea.Height() - h) / 2;
        painter.FillRect(Rect::FromXywh(cx, top, 1, h), Opaque(colours.text));
    }
}

}  // namespace platform
