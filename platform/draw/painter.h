// Draws on a Surface: fills, one-pixel lines and frames, stepped gradients,
// polygons, regions, images (unscaled, colour-keyed or stretched), copies
// between surfaces, and captions.
//
// A Painter lives for one drawing pass, like a device context: make one on
// the back buffer, draw, let it go. Colours are Argb; window-layer code that
// holds a ColorRef converts it with ToArgb(). Fills, lines, frames and
// unscaled image draws hit whole pixels exactly (no anti-aliasing); drawing
// outside the surface is clipped. Nothing here fails once the Painter is
// made: an empty rectangle or a missing source draws nothing.
//
// THREADING: user-interface thread only; one Painter per surface at a time.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/draw/image.h"
#include "platform/draw/region.h"
#include "platform/draw/surface.h"
#include "platform/draw/text_style.h"

typedef struct _cairo cairo_t;

namespace platform {

class Painter {
public:
    // Draws on `target`, which is borrowed and must outlive the Painter.
    explicit Painter(Surface& target);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    // Blends `colour` over every pixel of `rect`.
    void FillRect(const Rect& rect, Argb colour);

    // Blends a frame `thickness` pixels wide along the inside of `rect`'s
    // edges (a 1-pixel outline by default); the inside stays as it was.
    void FrameRect(const Rect& rect, Argb colour, int thickness = 1);

    // A one-pixel line from `from` up to, but not including, `to`, stepping
    // pixel by pixel (Bresenham); `from` == `to` draws nothing.
    void DrawLine(Point from, Point to, Argb colour);

    // Fills `rect` in horizontal bands max(1, height / 128) rows high, from
    // the bottom up: each band's colour moves per channel from `bottom`
    // toward `top` in proportion to the rows already covered.
    void FillVerticalGradient(const Rect& rect, Argb bottom, Argb top);

    // Fills the polygon through `points` (closed; non-zero winding); a pixel
    // is filled when its centre lies inside. Fewer than 3 points draw nothing.
    void FillPolygon(std::span<const Point> points, Argb colour);

    // Blends `colour` over every pixel of `region`.
    void FillRegion(const Region& region, Argb colour);

    // Draws the part `src` of `image` unscaled with its top-left corner at
    // `dst`, blending by the image's alpha. With a colour key, pixels of
    // exactly that colour are left out, for images that take colour keys
    // (Image::TakesColourKey(): not PNG); a PNG is drawn as it is. `src` is
    // clipped to the image. The image is borrowed for the call.
    void DrawImage(const Image& image, const Rect& src, Point dst,
                   std::optional<Argb> colourKey = std::nullopt);

    // Draws the part `src` of `image` scaled into `dst` (bilinear; the edge
    // pixels of `src` are repeated outward, never its neighbours). A colour
    // key applies as in DrawImage, before scaling, so key pixels leave no
    // tinted fringe.
    void DrawImageScaled(const Image& image, const Rect& src, const Rect& dst,
                         std::optional<Argb> colourKey = std::nullopt);

    // Copies the part `srcRect` of `source` to `dst`, replacing the pixels
    // there (alpha included) instead of blending. `source` may be the target
    // itself only when the two rectangles do not overlap.
    void CopyFrom(const Surface& source, const Rect& srcRect, Point dst);

    // Draws `text` (UTF-8) into `rect` as `style` says, in `colour`; nothing
    // is drawn outside `rect`. For rotated text the rectangle is the box the
    // turned text must fit, and alignments are in the text's own direction
    // (kNear: the start of the line, at the bottom for kUp90).
    TextResult DrawText(std::string_view text, const Rect& rect, const TextStyle& style,
                        Argb colour);

    // The cairo context, for the window layer's own drawing. Borrowed: valid
    // as long as the Painter lives.
    cairo_t* Cairo() const { return m_cr; }

private:
    void SetColour(Argb colour);

    Surface& m_target;
    cairo_t* m_cr;
};

}  // namespace platform
