// DeviceCapRecord: the receiver's capabilities as the GetDeviceCap answer
// (0x81) reports them: screen and picture sizes, bit depths, the colour-format
// text, frame rate, volume range, the capability bytes fbf, fbf2 and fbf3, the
// list of image codings the receiver accepts, and blocks kept as received.
//
// Plain data; filled by CmdClient, read by the facade.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/byte_order.h"

struct DeviceCapRecord {
    // Wire bytes 0 to 40 as received (u16 fields still big-endian); the bytes
    // without a named field below are carried here.
    std::array<uint8_t, 41> head{};

    // Decoded fields (host order).
    uint16_t w = 0;       // 0
    uint16_t h = 0;       // 2
    uint8_t bpp = 0;      // 4
    uint16_t iw = 0;      // 8
    uint16_t ih = 0;      // 10
    uint8_t iabpp = 0;    // 12
    uint8_t fbf = 0;      // 13
    uint8_t abpp = 0;     // 14
    uint8_t byte15 = 0;   // 15
    uint8_t fbf2 = 0;     // 16
    uint8_t fps = 0;      // 17
    uint8_t fbf3 = 0;     // 18
    uint8_t max_vol = 0;  // 37
    uint8_t cur_vol = 0;  // 38

    // The image codings the receiver accepts (2 raw, 4 JPEG, 7 H.264).
    std::vector<uint8_t> codings;
    // The first byte of the two-byte group behind the codings.
    uint8_t groupByte = 0;
    // Entries kept as received.
    std::vector<std::array<uint8_t, 20>> entries;
    std::array<uint8_t, 256> trailer{};

    // The colour-format bytes at offsets 5 to 7.
    const uint8_t* ColourFormat() const { return head.data() + 5; }
    // True when the colour format is the text "565" (a 5-6-5 receiver).
    bool IsFormat565() const {
        const uint8_t* f = ColourFormat();
        return f[0] == '5' && f[1] == '6' && f[2] == '5';
    }

    // Fills `head` and the decoded fields from wire bytes 0 to 40.
    void SetHead(const uint8_t* wire) {
        for (size_t i = 0; i < head.size(); ++i) {
            head[i] = wire[i];
        }
        auto u16 = [wire](size_t at) { return platform::GetU16BE(wire + at); };
        w = u16(0);
        h = u16(2);
        bpp = wire[4];
        iw = u16(8);
        ih = u16(10);
        iabpp = wire[12];
        fbf = wire[13];
        abpp = wire[14];
        byte15 = wire[15];
        fbf2 = wire[16];
        fps = wire[17];
        fbf3 = wire[18];
        max_vol = wire[37];
        cur_vol = wire[38];
    }
};
