#include "platform/controls/control_look.h"

#include <cairo.h>

#include "platform/draw/text_layout.h"

namespace platform {

ClipTo::ClipTo(Painter& painter, const Rect& rect) : m_painter(painter) {
    cairo_t* cr = painter.Cairo();
    cairo_save(cr);
    cairo_rectangle(cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(cr);
}

ClipTo::~ClipTo() {
    cairo_restore(m_painter.Cairo());
}

void FillIfSet(Painter& painter, const Rect& rect, const std::optional<ColorRef>& fill) {
    if (fill) {
        painter.FillRect(rect, Opaque(*fill));
    }
}

void DrawCaption(Painter& painter, std::string_view text, const Rect& box, const TextStyle& style,
                 const ControlColours& colours) {
    if (text.empty()) {
        return;
    }
    if (colours.textBackground) {
        // Behind the laid-out text only, as a text background is.
        Size size = MeasureText(text, style, style.wordWrap ? box.Width() : -1);
        int w = std::min(size.width, box.Width());
        int h = std::min(size.height, box.Height());
        int x = box.left;
        int y = box.top;
        if (style.horizontal == TextAlign::kCenter) {
            x += (box.Width() - w) / 2;
        } else if (style.horizontal == TextAlign::kFar) {
            x = box.right - w;
        }
        if (style.vertical == TextAlign::kCenter) {
            y += (box.Height() - h) / 2;
        } else if (style.vertical == TextAlign::kFar) {
            y = box.bottom - h;
        }
        painter.FillRect(Rect::FromXywh(x, y, w, h), Opaque(*colours.textBackground));
    }
    painter.DrawText(text, box, style, Opaque(colours.text));
}

Rect DrawBox(Painter& painter, const Rect& bounds, const ControlColours& colours, bool border,
             bool focused) {
    FillIfSet(painter, bounds, colours.fill);
    if (!border) {
        return bounds;
    }
    painter.FrameRect(bounds, Opaque(focused ? look::kAccent : look::kBorder));
    return {bounds.left + 1, bounds.top + 1, bounds.right - 1, bounds.bottom - 1};
}

void DrawScrollBar(Painter& painter, const Rect& track, const Rect& thumb) {
    painter.FillRect(track, Opaque(look::kScrollTrack));
    // The thumb a little narrower than the track, like the flat bars of today.
    Rect t{thumb.left + 2, thumb.top + 1, thumb.right - 2, thumb.bottom - 1};
    painter.FillRect(t, Opaque(look::kScrollThumb));
}

}  // namespace platform
