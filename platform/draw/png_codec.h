// PNG pictures through libpng: decoding skin images and picture files, and
// encoding the images the resource generator draws.
//
// Both functions run on any thread (no shared state) and never throw.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/draw/image.h"

namespace platform {

// Decodes a whole PNG file held in `bytes`. Returns nullptr, with the reason
// in *reason when reason is not null, for a damaged or truncated file or one
// whose size is beyond the image limits. The caller owns the image.
std::unique_ptr<Image> DecodePng(std::span<const uint8_t> bytes, std::string* reason);

// Encodes the surface as an 8-bit RGBA PNG. Returns false, with the reason,
// when libpng fails; `out` is then left empty.
bool EncodePng(const Surface& surface, std::vector<uint8_t>* out, std::string* reason);

}  // namespace platform
