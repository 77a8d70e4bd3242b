#include "platform/draw/image.h"

#include <cstring>

namespace platform {

const char* ImageFormatName(ImageFormat format) {
    switch (format) {
        case ImageFormat::kPng:
            return "PNG";
        case ImageFormat::kBmp:
            return "BMP";
        case ImageFormat::kJpeg:
            return "JPEG";
        case ImageFormat::kDrawn:
            return "drawn";
    }
    return "unknown";
}

Image::Image(std::unique_ptr<Surface> pixels, ImageFormat format)
    : m_pixels(std::move(pixels)), m_format(format) {}

Image::~Image() = default;

const Surface* Image::KeyedPixels(Argb key) const {
    if (m_keyed && m_keyedWith == key)
        return m_keyed.get();
    m_keyed = Surface::Create(Width(), Height());
    if (!m_keyed)
        return nullptr;
    m_keyedWith = key;
    // The key is compared with the premultiplied word, which for an opaque
    // key is the colour itself; a translucent key matches its premultiplied twin.
    const uint32_t keyWord = PremultiplyArgb(key);
    const auto* src = reinterpret_cast<const uint8_t*>(m_pixels->ConstPixels());
    auto* dst = reinterpret_cast<uint8_t*>(m_keyed->MutablePixels());
    const size_t stride = static_cast<size_t>(m_pixels->Stride());
    for (int y = 0; y < Height(); ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(src + y * stride);
        auto* out = reinterpret_cast<uint32_t*>(dst + y * stride);
        for (int x = 0; x < Width(); ++x)
            out[x] = in[x] == keyWord ? 0u : in[x];
    }
    m_keyed->MarkDirty();
    return m_keyed.get();
}

}  // namespace platform
