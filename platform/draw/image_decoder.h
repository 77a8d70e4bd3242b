// Picture files of any kind the program shows: PNG, BMP or JPEG, told apart
// by their first bytes.
//
// Runs on any thread and never throws. Reasons are returned, not logged:
// the ImageLoader logs them for the program.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/draw/image.h"

namespace platform {

// The format the first bytes announce, or false when they are none of ours.
bool SniffImageFormat(std::span<const uint8_t> bytes, ImageFormat* format);

// Decodes a PNG, BMP or JPEG file held in `bytes`; nullptr with the reason in
// *reason (when not null) otherwise. The caller owns the image.
std::unique_ptr<Image> DecodeImage(std::span<const uint8_t> bytes, std::string* reason);

// Reads a whole file of at most kMaxImageFileBytes into *out; false with the
// reason when it cannot be opened or read, or is larger.
bool ReadImageFile(const std::string& path, std::vector<uint8_t>* out, std::string* reason);

}  // namespace platform
