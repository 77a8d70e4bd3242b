// Captions that show whole: the text size at which a caption fits its box.
//
// The layout tables give each caption a box sized for the English text; a
// translation (or a wider font) may not fit it. Rather than cut a caption,
// the common dialog draws it smaller: the largest size, not above the one
// its style gives, at which it fits the box on one line or, where the
// caption may wrap, on several lines broken between words (a word is never
// split). Button captions keep to one line while any size allows it. A caption that fits at no size
// down to kMinCaptionSize is drawn at that size.
//
// Pure: the measuring is passed in (the dialog measures with its font;
// tests with a table).
// THREADING: any thread (the measure decides).
#pragma once

#include <functional>
#include <string_view>

#include "platform/draw/geometry.h"

namespace ui {

inline constexpr int kMinCaptionSize = 8;

// The size `text` takes at `pixelSize`: on one line when maxWidth < 0,
// else wrapped between words at maxWidth.
using CaptionMeasure =
    std::function<platform::Size(std::string_view text, int pixelSize, int maxWidth)>;

struct CaptionBox {
    platform::Size size;      // the room the caption has
    bool singleLine = false;  // it may not wrap
    // Rather smaller on one line than wrapped (buttons): wrapping is tried
    // only when no size fits one line.
    bool oneLineFirst = false;
};

// The size to draw `caption` at: `styleSize` when it fits, else the largest
// smaller size that fits, else kMinCaptionSize (never above styleSize).
int FittingCaptionSize(std::string_view caption, int styleSize, CaptionBox box,
                       const CaptionMeasure& measure);

}  // namespace ui
