#include "platform/draw/png_codec.h"

#include <png.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "platform/draw/image_limits.h"

namespace platform {

static_assert(std::endian::native == std::endian::little,
              "BGRA bytes are read as native ARGB words");
namespace {

void SetReason(std::string* reason, std::string text) {
    if (reason)
        *reason = std::move(text);
}

// libpng's simplified interface keeps its state in a png_image; this frees
// it on every path.
struct PngImageGuard {
    png_image image;
    PngImageGuard() {
        std::memset(&image, 0, sizeof image);
        image.version = PNG_IMAGE_VERSION;
    }
    ~PngImageGuard() { png_image_free(&image); }
};

}  // namespace

std::unique_ptr<Image> DecodePng(std::span<const uint8_t> bytes, std::string* reason) {
    // libpng stops reading after the last picture row, so a file cut just
    // before its end chunk would pass; a file without one is truncated.
    static constexpr uint8_t kEndChunk[12] = {0,   0,   0,    0,    'I',  'E',
                                              'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    if (std::search(bytes.begin(), bytes.end(), std::begin(kEndChunk), std::end(kEndChunk)) ==
        bytes.end()) {
        SetReason(reason, "truncated PNG: no end chunk");
        return nullptr;
    }
    PngImageGuard g;
    if (!png_image_begin_read_from_memory(&g.image, bytes.data(), bytes.size())) {
        SetReason(reason, std::string("damaged PNG header: ") + g.image.message);
        return nullptr;
    }
    if (!ImageSizeAllowed(g.image.width, g.image.height)) {
        SetReason(reason, "PNG of " + std::to_string(g.image.width) + " x " +
                              std::to_string(g.image.height) + " pixels is beyond the limits");
        return nullptr;
    }
    auto surface =
        Surface::Create(static_cast<int>(g.image.width), static_cast<int>(g.image.height));
    if (!surface) {
        SetReason(reason, "out of memory for the PNG pixels");
        return nullptr;
    }
    // BGRA in memory is the native 0xAARRGGBB word on a little-endian machine;
    // the alpha is straight and premultiplied below.
    g.image.format = PNG_FORMAT_BGRA;
    uint32_t* pixels = surface->MutablePixels();
    if (!png_image_finish_read(&g.image, nullptr, pixels, surface->Stride(), nullptr)) {
        SetReason(reason, std::string("damaged PNG data: ") + g.image.message);
        return nullptr;
    }
    auto* base = reinterpret_cast<uint8_t*>(pixels);
    for (int y = 0; y < surface->Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(y) * surface->Stride());
        for (int x = 0; x < surface->Width(); ++x)
            row[x] = PremultiplyArgb(Argb(row[x]));
    }
    surface->MarkDirty();
    return std::make_unique<Image>(std::move(surface), ImageFormat::kPng);
}

bool EncodePng(const Surface& surface, std::vector<uint8_t>* out, std::string* reason) {
    out->clear();
    const int w = surface.Width();
    const int h = surface.Height();
    std::vector<uint32_t> straight(static_cast<size_t>(w) * h);
    const auto* base = reinterpret_cast<const uint8_t*>(surface.ConstPixels());
    for (int y = 0; y < h; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(base + static_cast<size_t>(y) * surface.Stride());
        for (int x = 0; x < w; ++x)
            straight[static_cast<size_t>(y) * w + x] = UnpremultiplyPixel(row[x]).value;
    }
    PngImageGuard g;
    g.image.width = w;
    g.image.height = h;
    g.image.format = PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    // The first call only measures, the second writes.
    if (!png_image_write_to_memory(&g.image, nullptr, &size, 0, straight.data(), 0, nullptr)) {
        SetReason(reason, std::string("PNG encoding failed: ") + g.image.message);
        return false;
    }
    out->resize(size);
    if (!png_image_write_to_memory(&g.image, out->data(), &size, 0, straight.data(), 0, nullptr)) {
        out->clear();
        SetReason(reason, std::string("PNG encoding failed: ") + g.image.message);
        return false;
    }
    out->resize(size);
    return true;
}

}  // namespace platform
