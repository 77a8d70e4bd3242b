// ReplySenderDiscovery: the sender's answer to receivers that look for
// senders ("VRPC" on UDP 11047 to 11049), and AnnounceType, the record from
// which that answer is built.
//
// This header holds the record; the responder itself comes with the sender
// server.
#pragma once

#include <cstddef>
#include <cstdint>

class ReplySenderDiscovery {
public:
    // The sender's announce record, 632 bytes in memory, integers in host
    // order. The login code is never part of it.
    struct AnnounceType {
        // Fills the three TCP ports, the texts and the version bytes, and
        // clears the flags and the reserved block.
        AnnounceType();

        uint32_t announceWord;     // 0, not set by the constructor
        uint16_t commandPort;      // 4
        uint16_t imagePort;        // 6
        uint16_t thirdPort;        // 8
        char senderName[40];       // 10, zero-padded
        char maker[7];             // 50
        char platform[40];         // 57
        uint8_t version[2];        // 97
        uint8_t reserved1[16];     // 99, not set by the constructor
        uint8_t noLoginCode;       // 115: 1 when the server has no login code
        uint8_t clientState;       // 116: low byte of the client's status
        uint8_t reserved2;         // 117
        uint32_t receiverAddress;  // 120, not set by the constructor
        uint8_t reserved3[505];    // 124
    };
};

static_assert(sizeof(ReplySenderDiscovery::AnnounceType) == 632);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, senderName) == 10);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, version) == 97);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, noLoginCode) == 115);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, receiverAddress) == 120);
static_assert(offsetof(ReplySenderDiscovery::AnnounceType, reserved3) == 124);
