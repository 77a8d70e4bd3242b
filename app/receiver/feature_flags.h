// The receiver's feature flags: 23 yes/no values decoded from the option
// block of its announce record (record bytes 63 to 79), which decide what
// the main window offers for that receiver.
//
//   flags 0 to 14   record bytes 63 to 77: 1 when the byte is the character '1'
//   flags 15 to 21  record byte 78, bits 0x01 to 0x40
//   flag 22         record byte 79, bit 0x01
// Pure functions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pemuapp {

inline constexpr size_t kFeatureFlagCount = 23;
using ReceiverFeatureFlags = std::array<uint8_t, kFeatureFlagCount>;

// Where the option block starts in the record, and how much of it the flags
// need (through record byte 79).
inline constexpr size_t kOptionBlockOffset = 56;
inline constexpr size_t kOptionBlockNeeded = 80 - kOptionBlockOffset;

void ClearFeatureFlags(ReceiverFeatureFlags* flags);

// Clears the flags, then decodes them from `block` (the record from byte 56
// on, e.g. DevAnnounce::GetOptionBlock()). 0 when there is no block (or it
// is too short to hold byte 79), else 1.
int ParseFeatureFlags(ReceiverFeatureFlags* flags, std::span<const uint8_t> block);

}  // namespace pemuapp
