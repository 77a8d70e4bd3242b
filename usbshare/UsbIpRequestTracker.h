// Keeps the USB/IP requests of one device that went to the receiver and have
// no reply yet, so that replies find their endpoint and body size, and so
// that every request still open when the device goes can be completed.
//
// 512 pending slots hold the headers; a separate table of 256 remembers the
// OUT requests, whose replies carry no data. Used by one forwarding thread;
// not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "usbshare/UsbIpHeader.h"

namespace usbip {

class UsbIpRequestTracker {
public:
    static constexpr size_t kPendingSlots = 512;
    static constexpr size_t kOutSlots = 256;

    // Records a request read from the bus (command 1 or 2). False when the
    // request can't be tracked: an OUT request with all 256 OUT slots taken.
    // A request that finds no free pending slot is sent untracked.
    bool OnRequest(const UsbIpHeader& request);

    struct Match {
        bool found = false;    // a pending slot held this seqnum
        uint8_t endpoint = 0;  // endpoint address of that request (0x80 set for IN)
        bool hasBody = true;   // false for the reply to an OUT request
    };
    // Matches a reply from the receiver and frees what its request held.
    Match OnReply(const UsbIpHeader& reply);

    // Reply headers (status -108) for every request still pending, and
    // forgets them all.
    std::vector<UsbIpHeader> CompleteAll();

    size_t PendingCount() const;

private:
    struct Slot {
        bool used = false;
        UsbIpHeader header;
    };
    std::array<Slot, kPendingSlots> m_pending{};
    std::array<uint32_t, kOutSlots> m_outSeq{};  // 0 = free
};

}  // namespace usbip
