#include "platform/draw/jpeg_decoder.h"

#include <turbojpeg.h>

#include <bit>

#include "platform/draw/image_limits.h"

namespace platform {

static_assert(std::endian::native == std::endian::little,
              "BGRA bytes are read as native ARGB words");

namespace {

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

std::unique_ptr<Image> Reject(std::string* reason, std::string text) {
    if (reason)
        *reason = std::move(text);
    return nullptr;
}

}  // namespace

std::unique_ptr<Image> DecodeJpeg(std::span<const uint8_t> bytes, std::string* reason) {
    TjHandle tj(tjInitDecompress());
    if (!tj)
        return Reject(reason, std::string("JPEG decoder unavailable: ") + tjGetErrorStr2(nullptr));
    if (bytes.size() > kMaxImageFileBytes)
        return Reject(reason, "JPEG file too large");
    const auto size = static_cast<unsigned long>(bytes.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(tj.get(), bytes.data(), size, &width, &height, &subsampling,
                            &colourspace) != 0)
        return Reject(reason, std::string("damaged JPEG header: ") + tjGetErrorStr2(tj.get()));
    // A header cut short is not always an error to the library; it then
    // reports no size.
    if (width <= 0 || height <= 0)
        return Reject(reason, "damaged JPEG header: no picture size");
    if (!ImageSizeAllowed(width, height))
        return Reject(reason, "JPEG of " + std::to_string(width) + " x " + std::to_string(height) +
                                  " pixels is beyond the limits");
    auto surface = Surface::Create(width, height);
    if (!surface)
        return Reject(reason, "out of memory for the JPEG pixels");
    // BGRA bytes are native 0xAARRGGBB words here; TurboJPEG fills alpha with
    // 0xFF, so the pixels are opaque and premultiplied as they stand.
    // STOPONWARNING turns "premature end of data" into a failure: a truncated
    // picture is rejected rather than shown half grey.
    auto* pixels = reinterpret_cast<unsigned char*>(surface->MutablePixels());
    if (tjDecompress2(tj.get(), bytes.data(), size, pixels, width, surface->Stride(), height,
                      TJPF_BGRA, TJFLAG_STOPONWARNING) != 0)
        return Reject(reason, std::string("damaged JPEG data: ") + tjGetErrorStr2(tj.get()));
    surface->MarkDirty();
    return std::make_unique<Image>(std::move(surface), ImageFormat::kJpeg);
}

}  // namespace platform
