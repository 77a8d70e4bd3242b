#include "platform/input/pc_key_codes.h"

#include <iterator>

#include "platform/input/input_injector.h"

namespace platform {

namespace {

struct CodePair {
    uint16_t from;
    uint16_t code;
};

// Set-1 scan codes below 0x80 are the key codes themselves, except for the
// Japanese keys that the scan-code set moved.
constexpr CodePair kMovedScanCodes[] = {
    {0x70, 93},   // KEY_KATAKANAHIRAGANA
    {0x73, 89},   // KEY_RO
    {0x79, 92},   // KEY_HENKAN
    {0x7B, 94},   // KEY_MUHENKAN
    {0x7D, 124},  // KEY_YEN
};

// The 0xE0-prefixed scan codes.
constexpr CodePair kExtendedScanCodes[] = {
    {0x1C, 96},   // KEY_KPENTER
    {0x1D, 97},   // KEY_RIGHTCTRL
    {0x35, 98},   // KEY_KPSLASH
    {0x37, 99},   // KEY_SYSRQ
    {0x38, 100},  // KEY_RIGHTALT
    {0x47, 102},  // KEY_HOME
    {0x48, 103},  // KEY_UP
    {0x49, 104},  // KEY_PAGEUP
    {0x4B, 105},  // KEY_LEFT
    {0x4D, 106},  // KEY_RIGHT
    {0x4F, 107},  // KEY_END
    {0x50, 108},  // KEY_DOWN
    {0x51, 109},  // KEY_PAGEDOWN
    {0x52, 110},  // KEY_INSERT
    {0x53, 111},  // KEY_DELETE
    {0x5B, 125},  // KEY_LEFTMETA
    {0x5C, 126},  // KEY_RIGHTMETA
    {0x5D, 127},  // KEY_COMPOSE
};

constexpr CodePair kVirtualKeys[] = {
    {kVkPause, 119},
    {kVkVolumeMute, 113},
    {kVkVolumeDown, 114},
    {kVkVolumeUp, 115},
    {kVkBrowserSearch, 136},
    {kVkLaunchMail, 155},
    {kVkBrowserFavorites, 156},
    {kVkBrowserBack, 158},
    {kVkBrowserForward, 159},
    {kVkMediaNextTrack, 163},
    {kVkMediaPlayPause, 164},
    {kVkMediaPrevTrack, 165},
    {kVkMediaStop, 166},
    {kVkLaunchMediaSelect, 171},
    {kVkBrowserHome, 172},
    {kVkBrowserRefresh, 173},
};

template <size_t N>
uint16_t Find(const CodePair (&table)[N], uint16_t from) {
    for (const CodePair& pair : table) {
        if (pair.from == from) {
            return pair.code;
        }
    }
    return 0;
}

}  // namespace

uint16_t KeyCodeOfScanCode(uint16_t scan, bool extended) {
    if (extended) {
        return Find(kExtendedScanCodes, scan);
    }
    if (const uint16_t moved = Find(kMovedScanCodes, scan); moved != 0) {
        return moved;
    }
    // Key codes past the table travel as they are.
    return scan;
}

uint16_t KeyCodeOfVirtualKey(uint16_t virtualKey) {
    return Find(kVirtualKeys, virtualKey);
}

}  // namespace platform
