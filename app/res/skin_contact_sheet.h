// The contact sheet of the skin: every image of the manifest, its frames side
// by side, with its id, size, frame count and glyph under it, on one neutral
// picture, so that a person can review the whole skin by eye.
//
// Images are read back from the generated skin folder and drawn as the
// widgets draw them (bitmaps colour-keyed, PNGs by their alpha), unscaled.
// Not used by the program. Stateless; runs on any thread.
#pragma once

#include <memory>
#include <string>

#include "app/res/skin_manifest.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/surface.h"

namespace appres {

class SkinContactSheet {
public:
    // The sheet for `manifest`'s images as `loader` finds them, or nullptr
    // with the reason when an image cannot be loaded or the sheet made.
    static std::unique_ptr<platform::Surface> Make(const SkinManifest& manifest,
                                                   const platform::ImageLoader& loader,
                                                   std::string* reason);
};

}  // namespace appres
