// The flat look of the standard controls: their colours and the few drawing
// steps they share (frames, clipping, text in a box, a scroll bar).
//
// Colours are ColorRef like a dialog's colour callback gives them; draw
// them with Argb(). THREADING: user-interface thread only (drawing).
#pragma once

#include <optional>
#include <string_view>

#include "platform/controls/control.h"
#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/painter.h"

namespace platform {

namespace look {

inline constexpr ColorRef kFace = ColorRef::FromRgb(0xF0, 0xF0, 0xF0);  // dialog face
inline constexpr ColorRef kWindow = ColorRef::FromRgb(0xFF, 0xFF, 0xFF);
inline constexpr ColorRef kText = ColorRef::FromRgb(0x1E, 0x1E, 0x1E);
inline constexpr ColorRef kGreyText = ColorRef::FromRgb(0x9A, 0x9A, 0x9A);
inline constexpr ColorRef kDisabledFill = ColorRef::FromRgb(0xF4, 0xF4, 0xF4);
inline constexpr ColorRef kBorder = ColorRef::FromRgb(0xA0, 0xA0, 0xA0);
inline constexpr ColorRef kLightBorder = ColorRef::FromRgb(0xDC, 0xDC, 0xDC);
inline constexpr ColorRef kAccent = ColorRef::FromRgb(0x00, 0x78, 0xD7);  // focus, selection
inline constexpr ColorRef kSelectedText = ColorRef::FromRgb(0xFF, 0xFF, 0xFF);
inline constexpr ColorRef kHot = ColorRef::FromRgb(0xE5, 0xF1, 0xFB);
inline constexpr ColorRef kPressed = ColorRef::FromRgb(0xCC, 0xE4, 0xF7);
inline constexpr ColorRef kButtonFace = ColorRef::FromRgb(0xE1, 0xE1, 0xE1);
inline constexpr ColorRef kButtonBorder = ColorRef::FromRgb(0xAD, 0xAD, 0xAD);
inline constexpr ColorRef kHeader = ColorRef::FromRgb(0xF3, 0xF3, 0xF3);
inline constexpr ColorRef kQuietSelection = ColorRef::FromRgb(0xCC, 0xE8, 0xFF);  // without focus
inline constexpr ColorRef kScrollTrack = ColorRef::FromRgb(0xF0, 0xF0, 0xF0);
inline constexpr ColorRef kScrollThumb = ColorRef::FromRgb(0xC2, 0xC2, 0xC2);

// Padding between a box's border and its text.
inline constexpr int kTextPadding = 3;
// Width of a vertical scroll bar.
inline constexpr int kScrollBarWidth = 12;

}  // namespace look

inline Argb Opaque(ColorRef colour) {
    return ToArgb(colour);
}

// Limits drawing to a rectangle for its lifetime (nested clips intersect).
class ClipTo {
public:
    ClipTo(Painter& painter, const Rect& rect);
    ~ClipTo();
    ClipTo(const ClipTo&) = delete;
    ClipTo& operator=(const ClipTo&) = delete;

private:
    Painter& m_painter;
};

// Fills `rect` when `fill` is set; nothing otherwise (transparent).
void FillIfSet(Painter& painter, const Rect& rect, const std::optional<ColorRef>& fill);

// Draws `text` into `box` with the colours' text background behind it when
// that is set.
void DrawCaption(Painter& painter, std::string_view text, const Rect& box, const TextStyle& style,
                 const ControlColours& colours);

// The one-line text box of an edit or a combo: fill, border (accent while
// focused), as the colours and state say. Returns the inside of the border.
Rect DrawBox(Painter& painter, const Rect& bounds, const ControlColours& colours, bool border,
             bool focused);

// A vertical scroll bar: the track and the thumb at `thumb` (both in
// the painter's coordinates).
void DrawScrollBar(Painter& painter, const Rect& track, const Rect& thumb);

}  // namespace platform
