// The stateless drawing functions of the skinned widgets and dialogs: frames
// of image strips, fills, stretched and partial images, captions.
//
// Each call makes its own Painter on the given surface (a dialog's back
// buffer) and lets it go before returning. Coordinates are pixels of that
// surface. Image draws return 1 without drawing when there is no image and 0
// otherwise; nothing here fails beyond that.
//
// Frame strips: a strip holds `frames` frames side by side, all of one
// width. Frame i is cut at stripWidth * i / frames (truncated), stripWidth /
// frames wide and the strip's full height, and drawn unscaled. A frame count
// of 0 or less counts as 1; an index outside the strip draws frame 0.
//
// Colour keys apply to bitmaps only: a PNG carries its own alpha and is
// drawn as it is (platform::Image::TakesColourKey).
// THREADING: user-interface thread only.
#pragma once

#include <string>
#include <string_view>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/image.h"
#include "platform/draw/surface.h"
#include "platform/draw/text_style.h"

namespace ui {

// How a caption sits in its layout box.
struct StringFormat {
    platform::TextAlign horizontal = platform::TextAlign::kNear;
    platform::TextAlign vertical = platform::TextAlign::kNear;
    bool wrap = true;       // break between words to fit the box's width
    bool ellipsis = false;  // cut what does not fit with "…"
};

// The part of a strip that frame `index` of `frames` is cut from.
platform::Rect FrameSourceRect(int stripWidth, int stripHeight, int frames, int index);

int FillRectSolid(platform::Surface& dc, int x, int y, int w, int h, platform::Argb argb);

// Frame `index` of a PNG strip whose size is `strip` (the size its creator
// gave, not measured), no colour key.
int DrawImageFrame(const platform::Image* png, platform::Size strip, platform::Surface& dc, int x,
                   int y, int frames, int index);
// Frame `index` of an image strip of the image's own size, no colour key.
int DrawImageFrameMatrix(const platform::Image* image, platform::Surface& dc, int x, int y,
                         int frames, int index);
// As DrawImageFrameMatrix, with pixels of exactly `key` left out of bitmaps.
int DrawImageFrameKeyed(const platform::Image* image, platform::Surface& dc, int x, int y,
                        int frames, int index, platform::Argb key);

// The top-left srcW x srcH part of `source` scaled into (x, y, w, h).
int DrawBitmapPart(platform::Surface& dc, int x, int y, int w, int h, int srcW, int srcH,
                   const platform::Image* source);
int DrawImagePart(platform::Surface& dc, int x, int y, int w, int h, int srcW, int srcH,
                  const platform::Image* source);

// The whole image stretched into (x, y, w, h). Bitmaps are keyed with
// magenta before they are scaled, so the key pixels of a stretched skin
// image (the volume fill, the scroll track) never show as pink specks.
int DrawImageStretchedMatrix(const platform::Image* image, platform::Surface& dc, int x, int y,
                             int w, int h);

// Draws `text` (UTF-8) in `layout` with a regular font of `family` at
// `pixelSize` pixels, in `colour`; nothing is drawn outside `layout`.
platform::TextResult DrawTextString(platform::Surface& dc, std::string_view text,
                                    const platform::Rect& layout, const std::string& family,
                                    int pixelSize, platform::Argb colour,
                                    const StringFormat& format);

// The size the text takes on one line (wrapped at `maxWidth` when that is
// positive), rounded up to whole pixels.
platform::Size MeasureTextExtent(std::string_view text, const std::string& family, int pixelSize,
                                 int maxWidth = -1);

}  // namespace ui
