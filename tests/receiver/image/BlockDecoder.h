// Decoders of the three codings of the image channel, each writing the
// decoded block into a Canvas. All lengths come from the peer and are checked
// before use; a bad block is refused with a reason, never a crash.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/receiver/image/Canvas.h"
#include "tests/receiver/image/ImageMessageParser.h"

namespace receiver {

class BlockDecoder {
public:
    virtual ~BlockDecoder() = default;
    // Decodes one message's data into the canvas at the header's rectangle.
    // Returns an empty text on success, else the reason. *keyFrame tells
    // whether the block decodes on its own (always for LZO and JPEG).
    virtual std::string Decode(const ImageBlockHeader& header, const uint8_t* data, Canvas& canvas,
                               bool* keyFrame) = 0;

    // Raw pixels compressed with LZO1X; 16-bit pixels are 5-6-5 when rgb565, else 5-5-5.
    static std::unique_ptr<BlockDecoder> CreateLzo(bool rgb565);
    static std::unique_ptr<BlockDecoder> CreateJpeg();
    // nullptr when libavcodec has no H.264 decoder.
    static std::unique_ptr<BlockDecoder> CreateH264();
};

}  // namespace receiver
