// Draws the program's own skin images: pictures of the size and frame count
// the manifest gives, showing each image's glyph, with the marker pixel of
// skin_marker.h in every frame.
//
// The look: flat and modern, one accent colour (the program's blue) and one
// neutral ramp (skin_style.h); dark title bars over light bodies; 1-2 pixel
// strokes; rounded corners on buttons, fields and cards; calm vertical
// gradients on backgrounds. Symbols are cairo vectors centred and scaled to
// each frame. Frames of a strip follow the buttons' states: hover lighter,
// pressed darker with the symbol one pixel lower, disabled grey at reduced
// contrast; two-frame strips show normal and active.
//
// PNG images keep real alpha. Bitmaps are opaque: where a shape is not
// rectangular (round buttons, icons) the pixels it leaves uncovered hold the
// magenta colour key, and the four corner pixels of every bitmap frame do too.
// Stateless; runs on any thread.
#pragma once

#include <memory>

#include "app/res/skin_manifest.h"
#include "platform/draw/surface.h"

namespace appres {

class SkinImagePainter {
public:
    // What to draw: the whole image, or its bodies alone (what the symbols
    // stand on, for checking that every symbol leaves ink).
    enum class Layers { kAll, kBodiesOnly };

    // The picture for `spec`, or nullptr when the surface cannot be made
    // (size outside the image limits, out of memory). The caller owns it.
    static std::unique_ptr<platform::Surface> Paint(const SkinImageSpec& spec,
                                                    Layers layers = Layers::kAll);
};

}  // namespace appres
