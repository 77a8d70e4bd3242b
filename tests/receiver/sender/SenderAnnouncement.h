// The 631-byte "QKPS" reply with which a sender answers the "VRPC" query, as
// the simulated receiver reads it (written from the wire format,
// independently of the sender's code). Integers are big-endian on the wire.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace receiver_sim {

struct SenderAnnouncement {
    static constexpr size_t kSize = 631;

    uint32_t announceWord = 0;
    uint16_t commandPort = 0;
    uint16_t imagePort = 0;
    uint16_t thirdPort = 0;
    std::string name;      // 40 bytes on the wire, up to the first zero
    std::string maker;     // 7
    std::string platform;  // 40
    uint8_t version[2] = {};
    uint8_t noLoginCode = 0;
    uint8_t clientState = 0;
    uint32_t receiverAddress = 0;  // host order, as it travels
    // True when every reserved byte is zero.
    bool reservedZero = false;

    // False (with `*error` set) unless `bytes` is a whole reply.
    static bool Decode(const std::vector<uint8_t>& bytes, SenderAnnouncement* out,
                       std::string* error);
};

}  // namespace receiver_sim
