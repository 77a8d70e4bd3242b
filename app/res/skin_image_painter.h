// Draws the program's own skin images: flat, clean pictures of the size and
// frame count the manifest gives, with the marker pixel of skin_marker.h in
// every frame.
//
// Each frame is a flat fill with a one-pixel border; strips of several frames
// use one fill per look (normal, hover, pressed, inactive) so the states are
// told apart on screen. Bitmaps also get the magenta colour key in the four
// corner pixels of every frame, so keyed drawing shows at a glance.
// Stateless; runs on any thread.
#pragma once

#include <memory>

#include "app/res/skin_manifest.h"
#include "platform/draw/surface.h"

namespace appres {

class SkinImagePainter {
public:
    // The picture for `spec`, or nullptr when the surface cannot be made
    // (size outside the image limits, out of memory). The caller owns it.
    static std::unique_ptr<platform::Surface> Paint(const SkinImageSpec& spec);
};

}  // namespace appres
