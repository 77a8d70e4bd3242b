// One caption laid out with pango for a box of a given size.
//
// The Painter uses it to draw captions; MeasureText() uses it to size
// tooltips and buttons. Alignment, wrapping, ellipsis and rotation follow
// the TextStyle. Font families are resolved by fontconfig; a family that is
// not installed falls back to the system's sans-serif face.
//
// THREADING: user-interface thread only (pango's font map is per thread).
#pragma once

#include <string_view>

#include "platform/draw/geometry.h"
#include "platform/draw/text_style.h"

typedef struct _cairo cairo_t;
typedef struct _PangoLayout PangoLayout;

namespace platform {

class TextLayout {
public:
    // Lays out `text` (UTF-8; invalid bytes are shown as replacement marks)
    // for a box of `box` pixels in the text's own direction: for rotated
    // text the box's width runs along the text. A width or height below 0
    // means unbounded. `cr` is borrowed for the constructor only; it sets the
    // font options.
    TextLayout(cairo_t* cr, std::string_view text, const TextStyle& style, Size box);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // The logical size of the laid-out text in its own direction.
    Size TextSize() const;
    bool IsEllipsized() const;

    // Draws the text on `cr` in the current source colour, with the box's
    // top-left corner (in the text's own direction) at the user-space origin.
    void Show(cairo_t* cr) const;

private:
    PangoLayout* m_layout;
    TextStyle m_style;
    Size m_box;
};

// The size the text takes with the style, laid out for a box `maxWidth`
// wide (below 0: unbounded), before any rotation; rounded up to pixels.
Size MeasureText(std::string_view text, const TextStyle& style, int maxWidth = -1);

}  // namespace platform
