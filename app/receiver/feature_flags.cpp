#include "app/receiver/feature_flags.h"

namespace pemuapp {

void ClearFeatureFlags(ReceiverFeatureFlags* flags) {
    flags->fill(0);
}

int ParseFeatureFlags(ReceiverFeatureFlags* flags, std::span<const uint8_t> block) {
    ClearFeatureFlags(flags);
    if (block.size() < kOptionBlockNeeded) {
        return 0;
    }
    constexpr size_t kTextFlags = 15;  // block bytes 7 to 21
    constexpr size_t kBitByte = 22;    // record byte 78
    constexpr size_t kLastByte = 23;   // record byte 79
    for (size_t n = 0; n < kTextFlags; ++n) {
        (*flags)[n] = block[7 + n] == '1' ? 1 : 0;
    }
    for (size_t bit = 0; bit < 7; ++bit) {
        (*flags)[kTextFlags + bit] = (block[kBitByte] >> bit) & 1;
    }
    (*flags)[22] = block[kLastByte] & 0x01;
    return 1;
}

}  // namespace pemuapp
