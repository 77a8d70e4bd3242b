// CapabilityBlock: what the simulated receiver reports in its GetDeviceCap
// answer (0x81), and its wire image.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace receiver_sim {

struct CapabilityBlock {
    uint16_t width = 1920;   // w
    uint16_t height = 1080;  // h
    uint8_t bpp = 32;
    std::array<uint8_t, 3> colourFormat = {'R', 'G', 'B'};  // bytes 5 to 7
    uint16_t imageWidth = 1920;                             // iw
    uint16_t imageHeight = 1080;                            // ih
    uint8_t iabpp = 32;
    uint8_t fbf = 0;
    uint8_t abpp = 32;
    uint8_t byte15 = 0;
    uint8_t fbf2 = 0;
    uint8_t fps = 30;
    uint8_t fbf3 = 0;
    uint8_t maxVolume = 100;
    uint8_t currentVolume = 50;
    // The image codings the receiver accepts: 2 raw LZO, 4 JPEG, 7 H.264.
    std::vector<uint8_t> codings = AllCodings();
    uint8_t groupByte = 0;
    std::vector<std::array<uint8_t, 20>> entries;
    std::array<uint8_t, 256> trailer{};

    // 42 bytes (fields, the coding count at 41), the codings, the group byte
    // and the entry count, the entries, and the 256-byte block. At most 255
    // codings and 255 entries are encoded.
    std::vector<uint8_t> Encode() const;

    static std::vector<uint8_t> AllCodings();
};

}  // namespace receiver_sim
