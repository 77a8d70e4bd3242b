#include "tests/receiver/image/CanvasPng.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

#include "platform/draw/png_codec.h"
#include "platform/draw/surface.h"

namespace receiver {

bool WriteCanvasPng(const Canvas& canvas, const std::string& path, std::string* error) {
    std::unique_ptr<platform::Surface> surface =
        platform::Surface::Create(canvas.Width(), canvas.Height());
    if (!surface) {
        *error = "no surface for the picture";
        return false;
    }
    uint32_t* pixels = surface->MutablePixels();
    const int words = surface->Stride() / 4;
    for (int y = 0; y < canvas.Height(); ++y) {
        const uint8_t* row = canvas.Row(y);
        for (int x = 0; x < canvas.Width(); ++x) {
            const uint8_t* p = row + x * 4;
            pixels[static_cast<size_t>(y) * words + x] =
                0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
        }
    }
    surface->MarkDirty();
    std::vector<uint8_t> png;
    if (!platform::EncodePng(*surface, &png, error)) {
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (!out) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace receiver
