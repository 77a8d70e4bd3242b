// One image-block message written out by hand from the wire format: the
// block (0,0)-(1279,719) at 32 bits per pixel (raw size 3686400, check
// value 3688398), JPEG, et 0x01020304, three data bytes "abc", serial 1,
// split 128, fragment 1 of 1.
#pragma once

#include <cstdint>
#include <vector>

inline std::vector<uint8_t> GoldenImageMessage() {
    std::vector<uint8_t> m = {
        'K',  'I',  'R',  'S',  'O', 'I', 'B',  // magic
        32,   4,    0,                          // bits, coding, zero
        0x01, 0x02, 0x03, 0x04,                 // et
        0x00, 0x00, 0x00, 0x00,                 // x1, y1
        0x04, 0xFF, 0x02, 0xCF,                 // x2 = 1279, y2 = 719
        0x00, 0x38, 0x40, 0x00,                 // raw size 3686400
        0x00, 0x38, 0x47, 0xCE,                 // check 3688398
        0x00, 0x38, 0x40, 0x00,                 // raw size again
        0x00, 0x00, 0x00, 0x03,                 // L
        'V',  'S',  'M',  'K',                  //
        0x01, 0x32, 0x41, 0x9A,                 // 20070810
        'a',  'b',  'c',                        // data
        0x00, 0x00, 0x00, 0x01,                 // serial
        0x80,                                   // split
        0x00, 0x01, 0x00, 0x01,                 // fsn, ftot
    };
    m.insert(m.end(), 27, 0);
    for (char c : {'I', 'B', 'T', 'A', 'I', 'L'}) {
        m.push_back(static_cast<uint8_t>(c));
    }
    return m;
}
