#include "ui/widgets/drawing_functions.h"

#include <optional>

#include "platform/draw/painter.h"
#include "platform/draw/text_layout.h"

namespace ui {
namespace {

using platform::Argb;
using platform::Image;
using platform::Rect;
using platform::Surface;

// Text of a family nobody named falls back to the system's sans-serif face.
platform::TextStyle StyleFor(const std::string& family, int pixelSize, const StringFormat& f) {
    platform::TextStyle style;
    style.family = family.empty() ? "Sans" : family;
    style.pixelSize = pixelSize > 0 ? pixelSize : 1;
    style.horizontal = f.horizontal;
    style.vertical = f.vertical;
    style.wordWrap = f.wrap;
    style.ellipsis = f.ellipsis;
    return style;
}

int DrawStripFrame(const Image* image, platform::Size strip, Surface& dc, int x, int y, int frames,
                   int index, std::optional<Argb> key) {
    if (!image) {
        return 1;
    }
    const Rect src = FrameSourceRect(strip.width, strip.height, frames, index);
    platform::Painter(dc).DrawImage(*image, src, {x, y}, key);
    return 0;
}

}  // namespace

Rect FrameSourceRect(int stripWidth, int stripHeight, int frames, int index) {
    const int n = frames > 0 ? frames : 1;
    const int i = index >= 0 && index < n ? index : 0;
    const int left = static_cast<int>(static_cast<double>(stripWidth) * i / n);
    return Rect::FromXywh(left, 0, stripWidth / n, stripHeight);
}

int FillRectSolid(Surface& dc, int x, int y, int w, int h, Argb argb) {
    platform::Painter(dc).FillRect(Rect::FromXywh(x, y, w, h), argb);
    return 0;
}

int DrawImageFrame(const Image* png, platform::Size strip, Surface& dc, int x, int y, int frames,
                   int index) {
    return DrawStripFrame(png, strip, dc, x, y, frames, index, std::nullopt);
}

int DrawImageFrameMatrix(const Image* image, Surface& dc, int x, int y, int frames, int index) {
    const platform::Size own =
        image ? platform::Size{image->Width(), image->Height()} : platform::Size{};
    return DrawStripFrame(image, own, dc, x, y, frames, index, std::nullopt);
}

int DrawImageFrameKeyed(const Image* image, Surface& dc, int x, int y, int frames, int index,
                        Argb key) {
    const platform::Size own =
        image ? platform::Size{image->Width(), image->Height()} : platform::Size{};
    return DrawStripFrame(image, own, dc, x, y, frames, index, key);
}

int DrawBitmapPart(Surface& dc, int x, int y, int w, int h, int srcW, int srcH,
                   const Image* source) {
    if (!source) {
        return 1;
    }
    platform::Painter(dc).DrawImageScaled(*source, Rect{0, 0, srcW, srcH},
                                          Rect::FromXywh(x, y, w, h));
    return 0;
}

int DrawImagePart(Surface& dc, int x, int y, int w, int h, int srcW, int srcH,
                  const Image* source) {
    return DrawBitmapPart(dc, x, y, w, h, srcW, srcH, source);
}

int DrawImageStretchedMatrix(const Image* image, Surface& dc, int x, int y, int w, int h) {
    if (!image) {
        return 1;
    }
    platform::Painter(dc).DrawImageScaled(*image, Rect{0, 0, image->Width(), image->Height()},
                                          Rect::FromXywh(x, y, w, h), platform::kMagentaKey);
    return 0;
}

platform::TextResult DrawTextString(Surface& dc, std::string_view text, const Rect& layout,
                                    const std::string& family, int pixelSize, Argb colour,
                                    const StringFormat& format) {
    if (text.empty()) {
        return {};
    }
    return platform::Painter(dc).DrawText(text, layout, StyleFor(family, pixelSize, format),
                                          colour);
}

platform::Size MeasureTextExtent(std::string_view text, const std::string& family, int pixelSize,
                                 int maxWidth) {
    StringFormat format;
    format.wrap = maxWidth > 0;
    return platform::MeasureText(text, StyleFor(family, pixelSize, format), maxWidth);
}

}  // namespace ui
