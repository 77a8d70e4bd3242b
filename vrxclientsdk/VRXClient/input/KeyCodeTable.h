// The receiver's key codes (Linux input-event codes, KEY_ESC = 1 ...
// KEY_REFRESH = 173) as PC keys: an entry below 0xE000 is a set-1 scan code,
// 0xE0nn the extended scan code nn, 0xF0nn the virtual key nn (media and
// browser keys, Pause). Every entry equals its index except the 39 below.
#pragma once

#include <array>
#include <cstdint>

namespace keycodes {

constexpr uint16_t kTableSize = 174;
constexpr uint16_t kExtendedScan = 0xE000;
constexpr uint16_t kVirtualKey = 0xF000;

constexpr std::array<uint16_t, kTableSize> MakeKeyCodeTable() {
    std::array<uint16_t, kTableSize> table{};
    for (uint16_t i = 0; i < kTableSize; ++i) {
        table[i] = i;
    }
    constexpr uint16_t kMoved[][2] = {
        {89, 0x0073},  {92, 0x0079},  {93, 0x0070},  {94, 0x007B},  {96, 0xE01C},  {97, 0xE01D},
        {98, 0xE035},  {99, 0xE037},  {100, 0xE038}, {102, 0xE047}, {103, 0xE048}, {104, 0xE049},
        {105, 0xE04B}, {106, 0xE04D}, {107, 0xE04F}, {108, 0xE050}, {109, 0xE051}, {110, 0xE052},
        {111, 0xE053}, {113, 0xF0AD}, {114, 0xF0AE}, {115, 0xF0AF}, {119, 0xF013}, {124, 0x007D},
        {125, 0xE05B}, {126, 0xE05C}, {127, 0xE05D}, {136, 0xF0AA}, {155, 0xF0B4}, {156, 0xF0AB},
        {158, 0xF0A6}, {159, 0xF0A7}, {163, 0xF0B0}, {164, 0xF0B3}, {165, 0xF0B1}, {166, 0xF0B2},
        {171, 0xF0B5}, {172, 0xF0AC}, {173, 0xF0A8},
    };
    for (const auto& moved : kMoved) {
        table[moved[0]] = moved[1];
    }
    return table;
}

inline constexpr std::array<uint16_t, kTableSize> kKeyCodeTable = MakeKeyCodeTable();

}  // namespace keycodes
