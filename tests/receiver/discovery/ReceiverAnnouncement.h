// ReceiverAnnouncement: what a simulated receiver says about itself when a
// sender looks for receivers, and its 128-byte wire image.
//
// Written from the wire layout alone, apart from the sender's code, so that
// discovery tests check the sender against an independent peer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace receiver_sim {

constexpr size_t kAnnouncementSize = 128;
using AnnouncementBytes = std::array<uint8_t, kAnnouncementSize>;

struct ReceiverAnnouncement {
    std::string ipv4 = "0.0.0.0";  // dotted; the address the receiver reports
    uint16_t commandPort = 3268;
    uint16_t imagePort = 515;
    uint16_t videoPort = 8080;
    uint16_t fourthPort = 0;
    std::string name = "Simulated receiver";  // up to 40 bytes, cut without terminator
    std::string text;                         // up to 22 bytes at offset 56
    uint8_t flagByte = 0;                     // offset 78
    std::array<uint8_t, 9> flagTail{};        // offsets 79 to 87
    uint16_t protocolVersion = 0x0130;        // offset 88
    uint8_t codeMode = 0;                     // offset 97
    std::string description;                  // up to 20 bytes at offset 98
    uint8_t kind1 = 6;                        // offset 118
    uint8_t kind2 = 6;                        // offset 119

    // The record as a receiver sends it: "QKPP", integers big-endian, texts
    // zero-padded (a text that fills its field has no terminator).
    AnnouncementBytes Encode() const;
};

}  // namespace receiver_sim
