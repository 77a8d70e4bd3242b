// Keeps the USB/IP requests of one device that went to the receiver and have
// no reply yet, so that replies find their endpoint and body size, and so
// that every request still open when the device goes can be completed.
//
// 512 pending slots hold the headers; a separate table of 256 remembers the
// OUT requests, whose replies carry no data. An unlink remembers the request
// it unlinks: the receiver answers the unlink, not that request, so the
// unlink's reply frees both. A request that can't be tracked is refused (it
// must not be sent). Used by one forwarding thread; not thread-safe.
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
    // request can't be tracked: every pending slot is taken, or it is an OUT
    // request and all 256 OUT slots are taken. Nothing is recorded then.
    bool OnRequest(const UsbIpHeader& request);

    struct Match {
        bool found = false;    // a pending slot held this seqnum
        uint8_t endpoint = 0;  // endpoint address of that request (0x80 set for IN)
        bool hasBody = true;   // false for the reply to an OUT request
    };
    // Matches a reply from the receiver and frees what its request held (for
    // the reply to an unlink, also what the unlinked request held).
    Match OnReply(const UsbIpHeader& reply);

    // Reply headers (status -108) for every request still pending, and
    // forgets them all.
    std::vector<UsbIpHeader> CompleteAll();

    size_t PendingCount() const;
    size_t OutCount() const;

private:
    struct Slot {
        bool used = false;
        UsbIpHeader header;   // with the command of its reply
        uint32_t victim = 0;  // for an unlink: the seqnum it unlinks
    };
    Slot* FindPending(uint32_t seqnum);
    // Frees the slot and OUT entry of `seqnum`; false when it had none.
    bool Forget(uint32_t seqnum, bool* wasOut);

    std::array<Slot, kPendingSlots> m_pending{};
    std::array<uint32_t, kOutSlots> m_outSeq{};  // 0 = free
};

}  // namespace usbip
