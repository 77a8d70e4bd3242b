// The JPEG file reader module "Quillet": reads a JPEG file with TurboJPEG
// and draws it, scaled with libyuv, into a caller's frame buffer.
#include <libyuv/convert_from_argb.h>
#include <libyuv/scale_argb.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/wide_text.h"
#include "vrxclientsdk/VRXClient/capture/quillet/QuilletApi.h"

#define QUILLET_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// Files larger than this are not pictures anyone presents; refusing them
// keeps a stray path from filling memory.
constexpr long kMaxFileBytes = 256L * 1024 * 1024;

struct TjDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjDeleter>;

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

int ReadFile(const char16_t* path, std::vector<unsigned char>* bytes) {
    if (!path) {
        return kQuilletBadArgument;
    }
    std::unique_ptr<FILE, FileCloser> file(fopen(platform::Utf16ToUtf8(path).c_str(), "rb"));
    if (!file || fseek(file.get(), 0, SEEK_END) != 0) {
        return kQuilletCannotRead;
    }
    const long size = ftell(file.get());
    if (size <= 0 || size > kMaxFileBytes || fseek(file.get(), 0, SEEK_SET) != 0) {
        return size <= 0 ? kQuilletNotJpeg : kQuilletTooLarge;
    }
    bytes->resize(static_cast<size_t>(size));
    if (fread(bytes->data(), 1, bytes->size(), file.get()) != bytes->size()) {
        return kQuilletCannotRead;
    }
    return 0;
}

int ReadHeader(tjhandle tj, const std::vector<unsigned char>& bytes, int* width, int* height) {
    int subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(tj, bytes.data(), static_cast<unsigned long>(bytes.size()), width,
                            height, &subsampling, &colorspace) != 0 ||
        *width <= 0 || *height <= 0) {
        return kQuilletNotJpeg;
    }
    if (*width > kQuilletMaxSide || *height > kQuilletMaxSide) {
        return kQuilletTooLarge;
    }
    return 0;
}

}  // namespace

QUILLET_EXPORT int GetJpegHeader(int* width, int* height, const char16_t* path) {
    if (!width || !height) {
        return kQuilletBadArgument;
    }
    std::vector<unsigned char> bytes;
    if (int r = ReadFile(path, &bytes); r != 0) {
        return r;
    }
    TjHandle tj(tjInitDecompress());
    if (!tj) {
        return kQuilletNotJpeg;
    }
    return ReadHeader(tj.get(), bytes, width, height);
}

QUILLET_EXPORT int LoadJpegFileZ(unsigned char* frame, const char16_t* path, int drawnWidth,
                                 int drawnHeight, int x, int y, int frameWidth, int frameHeight,
                                 int bitsPerPixel, int is565) {
    if (!frame || (bitsPerPixel != 16 && bitsPerPixel != 32) || drawnWidth <= 0 ||
        drawnHeight <= 0 || x < 0 || y < 0 || frameWidth > kQuilletMaxSide ||
        frameHeight > kQuilletMaxSide || int64_t{x} + drawnWidth > frameWidth ||
        int64_t{y} + drawnHeight > frameHeight) {
        return kQuilletBadArgument;
    }
    std::vector<unsigned char> bytes;
    if (int r = ReadFile(path, &bytes); r != 0) {
        return r;
    }
    TjHandle tj(tjInitDecompress());
    int width = 0, height = 0;
    if (!tj) {
        return kQuilletNotJpeg;
    }
    if (int r = ReadHeader(tj.get(), bytes, &width, &height); r != 0) {
        return r;
    }
    // Decode at the smallest of TurboJPEG's built-in scales that still
    // covers the drawn size: a 3000 x 2000 photo shown at 1080 x 720 is
    // decoded at half size, which is about four times less work.
    int decodedWidth = width, decodedHeight = height;
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        const int w = TJSCALED(width, factors[i]);
        const int h = TJSCALED(height, factors[i]);
        if (w >= drawnWidth && h >= drawnHeight &&
            w * int64_t{h} < decodedWidth * int64_t{decodedHeight}) {
            decodedWidth = w;
            decodedHeight = h;
        }
    }
    std::vector<unsigned char> decoded(static_cast<size_t>(decodedWidth) * decodedHeight * 4);
    if (tjDecompress2(tj.get(), bytes.data(), static_cast<unsigned long>(bytes.size()),
                      decoded.data(), decodedWidth, decodedWidth * 4, decodedHeight, TJPF_BGRX,
                      TJFLAG_ACCURATEDCT) != 0 &&
        tjGetErrorCode(tj.get()) == TJERR_FATAL) {
        return kQuilletNotJpeg;  // a warning (a damaged tail) still leaves a picture
    }
    std::vector<unsigned char> drawn;
    const unsigned char* picture = decoded.data();
    if (decodedWidth != drawnWidth || decodedHeight != drawnHeight) {
        drawn.resize(static_cast<size_t>(drawnWidth) * drawnHeight * 4);
        libyuv::ARGBScale(decoded.data(), decodedWidth * 4, decodedWidth, decodedHeight,
                          drawn.data(), drawnWidth * 4, drawnWidth, drawnHeight,
                          libyuv::kFilterBox);
        picture = drawn.data();
    }
    const int pitch = (frameWidth * bitsPerPixel / 8 + 3) & ~3;
    const int bytesPerPixel = bitsPerPixel / 8;
    unsigned char* target =
        frame + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytesPerPixel;
    if (bitsPerPixel == 32) {
        for (int row = 0; row < drawnHeight; ++row) {
            std::copy_n(picture + static_cast<size_t>(row) * drawnWidth * 4, drawnWidth * 4,
                        target + static_cast<size_t>(row) * pitch);
        }
    } else if (is565) {
        libyuv::ARGBToRGB565(picture, drawnWidth * 4, target, pitch, drawnWidth, drawnHeight);
    } else {
        libyuv::ARGBToARGB1555(picture, drawnWidth * 4, target, pitch, drawnWidth, drawnHeight);
    }
    return 0;
}

static_assert(std::is_same_v<decltype(&GetJpegHeader), GetJpegHeaderFn>);
static_assert(std::is_same_v<decltype(&LoadJpegFileZ), LoadJpegFileZFn>);
