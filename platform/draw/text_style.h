// How a caption is set: font, alignment inside its box, wrapping, ellipsis
// and rotation. Plain values, usable on any thread.
#pragma once

#include <string>

namespace platform {

enum class TextAlign {
    kNear,  // left, or top
    kCenter,
    kFar,  // right, or bottom
};

enum class TextRotation {
    kNone,
    kUp90,  // turned a quarter counter-clockwise: the text runs bottom to top
};

struct TextStyle {
    std::string family = "Arial";
    int pixelSize = 12;  // em height in pixels
    int weight = 400;    // 400 regular, 600 semi-bold, 700 bold, 900 heavy
    bool italic = false;
    TextAlign horizontal = TextAlign::kNear;
    TextAlign vertical = TextAlign::kNear;
    bool wordWrap = false;    // break lines between words to fit the box's width
    bool singleLine = false;  // line breaks in the text are shown as spaces
    bool ellipsis = false;    // cut text that does not fit with "…"
    TextRotation rotation = TextRotation::kNone;
};

// What drawing a caption did.
struct TextResult {
    int width = 0;  // size of the laid-out text in pixels, before clipping
    int height = 0;
    bool ellipsized = false;  // some text was replaced by the ellipsis
};

}  // namespace platform
