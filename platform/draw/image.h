// A decoded picture: its pixels and the kind of file they came from.
//
// Images are made by the decoders (image_decoder.h), by the ImageLoader, or
// from a Surface the program drew itself. The file kind matters for colour
// keys: a PNG carries its own alpha and is never colour-keyed; bitmaps and
// JPEG pictures are opaque, and a keyed draw leaves out their key pixels.
// An Image does not change after it is made.
//
// THREADING: used on the user-interface thread only (the keyed copy is made
// lazily on first use).
#pragma once

#include <memory>

#include "platform/draw/color.h"
#include "platform/draw/surface.h"

namespace platform {

enum class ImageFormat {
    kPng,
    kBmp,
    kJpeg,
    kDrawn,  // painted by the program, opaque like a bitmap
};

// The name of a format for log lines: "PNG", "BMP", "JPEG" or "drawn".
const char* ImageFormatName(ImageFormat format);

class Image {
public:
    // Takes ownership of `pixels`, which must not be null.
    Image(std::unique_ptr<Surface> pixels, ImageFormat format);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    int Width() const { return m_pixels->Width(); }
    int Height() const { return m_pixels->Height(); }
    ImageFormat Format() const { return m_format; }

    // True when a colour key applies to this image (every format but PNG).
    bool TakesColourKey() const { return m_format != ImageFormat::kPng; }

    // The pixels. Borrowed: valid as long as the image lives.
    const Surface& Pixels() const { return *m_pixels; }

    // The pixels with every pixel of exactly `key` made transparent, for
    // keyed draws. Made on first use and kept for the last key asked for;
    // borrowed like Pixels(). nullptr when memory runs out.
    const Surface* KeyedPixels(Argb key) const;

private:
    std::unique_ptr<Surface> m_pixels;
    ImageFormat m_format;
    mutable std::unique_ptr<Surface> m_keyed;
    mutable Argb m_keyedWith;
};

}  // namespace platform
