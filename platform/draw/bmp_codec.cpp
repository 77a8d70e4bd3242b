#include "platform/draw/bmp_codec.h"

#include "platform/byte_order.h"
#include "platform/draw/image_limits.h"

namespace platform {
namespace {

// The file header is 14 bytes: "BM", file size, two reserved words and the
// offset of the pixel rows. The info header that follows is at least the
// 40-byte BITMAPINFOHEADER layout; later versions only add fields after it.
constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;

std::unique_ptr<Image> Reject(std::string* reason, std::string text) {
    if (reason)
        *reason = std::move(text);
    return nullptr;
}

}  // namespace

std::unique_ptr<Image> DecodeBmp(std::span<const uint8_t> bytes, std::string* reason) {
    if (bytes.size() < kFileHeaderBytes + kInfoHeaderBytes)
        return Reject(reason,
                      "BMP shorter than its headers (" + std::to_string(bytes.size()) + " bytes)");
    const uint8_t* p = bytes.data();
    if (p[0] != 'B' || p[1] != 'M')
        return Reject(reason, "not a BMP file (no \"BM\" signature)");
    const uint32_t dataOffset = GetU32LE(p + 10);
    const uint32_t infoSize = GetU32LE(p + 14);
    if (infoSize < kInfoHeaderBytes || infoSize > bytes.size() - kFileHeaderBytes)
        return Reject(reason, "BMP info header of " + std::to_string(infoSize) +
                                  " bytes does not fit the file");
    const int64_t width = static_cast<int32_t>(GetU32LE(p + 18));
    const int64_t rawHeight = static_cast<int32_t>(GetU32LE(p + 22));
    const uint16_t planes = GetU16LE(p + 26);
    const uint16_t bits = GetU16LE(p + 28);
    const uint32_t compression = GetU32LE(p + 30);

    const bool topDown = rawHeight < 0;
    const int64_t height = topDown ? -rawHeight : rawHeight;
    if (!ImageSizeAllowed(width, height))
        return Reject(reason, "BMP of " + std::to_string(width) + " x " +
                                  std::to_string(rawHeight) + " pixels is beyond the limits");
    if (planes != 1)
        return Reject(reason, "BMP with " + std::to_string(planes) + " planes");
    if (bits != 24 && bits != 32)
        return Reject(reason,
                      "BMP with " + std::to_string(bits) + " bits per pixel is not supported");
    if (compression == kCompressionBitFields) {
        // The masks follow a 40-byte header, or sit inside a longer one.
        const size_t masksAt = kFileHeaderBytes + kInfoHeaderBytes;
        if (bits != 32 || bytes.size() < masksAt + 12)
            return Reject(reason, "BMP bit fields without their masks");
        if (GetU32LE(p + masksAt) != 0x00FF0000 || GetU32LE(p + masksAt + 4) != 0x0000FF00 ||
            GetU32LE(p + masksAt + 8) != 0x000000FF)
            return Reject(reason, "BMP bit-field masks other than 8-8-8 are not supported");
    } else if (compression != kCompressionNone) {
        return Reject(
            reason, "compressed BMP (method " + std::to_string(compression) + ") is not supported");
    }

    // Rows are padded to four bytes.
    const int bytesPerPixel = bits / 8;
    const uint64_t rowBytes = (static_cast<uint64_t>(width) * bytesPerPixel + 3) & ~uint64_t{3};
    const uint64_t need = rowBytes * static_cast<uint64_t>(height);
    if (dataOffset < kFileHeaderBytes + infoSize || dataOffset > bytes.size() ||
        need > bytes.size() - dataOffset)
        return Reject(reason, "BMP pixel rows (" + std::to_string(need) + " bytes at offset " +
                                  std::to_string(dataOffset) + ") run past the end of the " +
                                  std::to_string(bytes.size()) + "-byte file");

    auto surface = Surface::Create(static_cast<int>(width), static_cast<int>(height));
    if (!surface)
        return Reject(reason, "out of memory for the BMP pixels");
    auto* base = reinterpret_cast<uint8_t*>(surface->MutablePixels());
    for (int64_t y = 0; y < height; ++y) {
        const int64_t fileRow = topDown ? y : height - 1 - y;
        const uint8_t* in = p + dataOffset + fileRow * rowBytes;
        auto* out = reinterpret_cast<uint32_t*>(base + y * surface->Stride());
        for (int64_t x = 0; x < width; ++x, in += bytesPerPixel)
            out[x] = 0xFF000000u | (uint32_t{in[2]} << 16) | (uint32_t{in[1]} << 8) | in[0];
    }
    surface->MarkDirty();
    return std::make_unique<Image>(std::move(surface), ImageFormat::kBmp);
}

void EncodeBmp(const Surface& surface, BmpLayout layout, std::vector<uint8_t>* out) {
    const int w = surface.Width();
    const int h = surface.Height();
    const int bytesPerPixel = layout.bitsPerPixel == 32 ? 4 : 3;
    const uint32_t rowBytes = (static_cast<uint32_t>(w) * bytesPerPixel + 3) & ~3u;
    const uint32_t dataOffset = kFileHeaderBytes + kInfoHeaderBytes;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(h);

    out->clear();
    out->reserve(dataOffset + dataBytes);
    out->push_back('B');
    out->push_back('M');
    AppendU32LE(*out, dataOffset + dataBytes);
    AppendU32LE(*out, 0);
    AppendU32LE(*out, dataOffset);
    AppendU32LE(*out, kInfoHeaderBytes);
    AppendU32LE(*out, static_cast<uint32_t>(w));
    AppendU32LE(*out, static_cast<uint32_t>(layout.topDown ? -h : h));
    AppendU16LE(*out, 1);
    AppendU16LE(*out, static_cast<uint16_t>(bytesPerPixel * 8));
    AppendU32LE(*out, kCompressionNone);
    AppendU32LE(*out, dataBytes);
    AppendU32LE(*out, 2835);  // 72 dpi, in pixels per metre
    AppendU32LE(*out, 2835);
    AppendU32LE(*out, 0);
    AppendU32LE(*out, 0);

    const auto* pixels = reinterpret_cast<const uint8_t*>(surface.ConstPixels());
    for (int i = 0; i < h; ++i) {
        const int y = layout.topDown ? i : h - 1 - i;
        const auto* row =
            reinterpret_cast<const uint32_t*>(pixels + static_cast<size_t>(y) * surface.Stride());
        const size_t rowStart = out->size();
        for (int x = 0; x < w; ++x) {
            const Argb c = UnpremultiplyPixel(row[x]);
            out->push_back(c.Blue());
            out->push_back(c.Green());
            out->push_back(c.Red());
            if (bytesPerPixel == 4)
                out->push_back(0xFF);
        }
        out->resize(rowStart + rowBytes, 0);
    }
}

}  // namespace platform
