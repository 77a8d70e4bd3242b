// Windows bitmap files (BMP), read and written by our own code.
//
// The reader takes what the skin uses: uncompressed 24-bit and 32-bit
// pictures, bottom-up or top-down (a negative height), and 32-bit pictures
// with the standard bit-field masks. Every field is checked against the file
// length and the image limits before use; anything else is rejected with a
// reason. The alpha byte of a 32-bit bitmap is not used: bitmaps are opaque.
//
// The functions run on any thread (no shared state) and never throw.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/draw/image.h"

namespace platform {

// Decodes a whole BMP file held in `bytes`; nullptr with the reason in
// *reason (when not null) for a damaged, truncated or unsupported file. The
// caller owns the image.
std::unique_ptr<Image> DecodeBmp(std::span<const uint8_t> bytes, std::string* reason);

struct BmpLayout {
    int bitsPerPixel = 24;  // 24 or 32
    bool topDown = false;   // rows stored top row first (negative height)
};

// Encodes the surface's colours (alpha dropped) as an uncompressed bitmap
// with the given layout. The result replaces *out.
void EncodeBmp(const Surface& surface, BmpLayout layout, std::vector<uint8_t>* out);

}  // namespace platform
