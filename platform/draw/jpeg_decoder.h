// JPEG picture files through libjpeg-turbo (TurboJPEG).
//
// Runs on any thread (each call has its own decompressor) and never throws.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/draw/image.h"

namespace platform {

// Decodes a whole JPEG file held in `bytes`. A damaged or truncated file, or
// one beyond the image limits, gives nullptr with the reason in *reason (when
// not null); a file the library only warns about counts as damaged. The
// caller owns the image.
std::unique_ptr<Image> DecodeJpeg(std::span<const uint8_t> bytes, std::string* reason);

}  // namespace platform
