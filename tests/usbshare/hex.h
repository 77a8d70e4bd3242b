// Hex fixtures for wire tests: "7a616d70 0601" -> bytes (spaces ignored).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace porvane_test {

inline std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> out;
    int high = -1;
    for (char c : text) {
        int v;
        if (c >= '0' && c <= '9') {
            v = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            v = c - 'a' + 10;
        } else {
            continue;
        }
        if (high < 0) {
            high = v;
        } else {
            out.push_back(static_cast<uint8_t>(high * 16 + v));
            high = -1;
        }
    }
    return out;
}

}  // namespace porvane_test
