#include "tests/receiver/command/CapabilityBlock.h"

#include "platform/byte_order.h"

#include <algorithm>

namespace receiver_sim {

std::vector<uint8_t> CapabilityBlock::AllCodings() {
    std::vector<uint8_t> codings(3);
    codings[0] = 2;
    codings[1] = 4;
    codings[2] = 7;
    return codings;
}

std::vector<uint8_t> CapabilityBlock::Encode() const {
    std::vector<uint8_t> out(42, 0);
    auto be16 = [&out](size_t at, uint16_t v) { platform::PutU16BE(&out[at], v); };
    be16(0, width);
    be16(2, height);
    out[4] = bpp;
    std::copy(colourFormat.begin(), colourFormat.end(), out.begin() + 5);
    be16(8, imageWidth);
    be16(10, imageHeight);
    out[12] = iabpp;
    out[13] = fbf;
    out[14] = abpp;
    out[15] = byte15;
    out[16] = fbf2;
    out[17] = fps;
    out[18] = fbf3;
    out[37] = maxVolume;
    out[38] = currentVolume;
    const size_t n = std::min<size_t>(codings.size(), 255);
    const size_t m = std::min<size_t>(entries.size(), 255);
    out[41] = static_cast<uint8_t>(n);
    out.resize(42 + n + 2 + m * 20 + trailer.size());
    size_t at = 42;
    for (size_t i = 0; i < n; ++i) {
        out[at++] = codings[i];
    }
    out[at++] = groupByte;
    out[at++] = static_cast<uint8_t>(m);
    for (size_t i = 0; i < m; ++i) {
        for (uint8_t b : entries[i]) {
            out[at++] = b;
        }
    }
    for (uint8_t b : trailer) {
        out[at++] = b;
    }
    return out;
}

}  // namespace receiver_sim
