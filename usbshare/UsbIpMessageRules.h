// What a device's relay decides about each USB/IP message, apart from any
// I/O: whether a request read from the bus may go to the receiver, and what
// becomes of a reply header read from the receiver's connection (how many
// body bytes follow it, and whether the reply goes to the bus or is
// dropped). Both keep the device's request tracker up to date. Pure
// functions over the tracker; the relay owns both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "usbshare/UsbIpHeader.h"
#include "usbshare/UsbIpRequestTracker.h"

namespace usbip {

enum class RequestVerdict {
    kSend,       // whole and recorded: send it
    kMalformed,  // its size does not match its header, or not a submit or unlink
    kUntracked,  // no room to record it: it must not be sent
};

// Checks one request as read from the bus and records it in `tracker`.
// `*header` is its decoded header when it has one.
RequestVerdict AcceptRequest(std::span<const uint8_t> request, UsbIpRequestTracker& tracker,
                             UsbIpHeader* header);

struct ReplyRoute {
    enum class Kind {
        kForward,  // read the body, repair it, write header and body to the bus
        kDrop,     // read the body and drop the reply: no request waits for it
        kRefuse,   // the connection can't go on (`why`)
    };
    Kind kind = Kind::kRefuse;
    UsbIpHeader header;
    size_t bodyLength = 0;  // body bytes after the header; header + body fit kMaxMessageSize
    uint8_t endpoint = 0;   // the request's endpoint, for the report filter
    const char* why = "";
};

// Routes one reply header from the receiver, freeing its request in
// `tracker`.
ReplyRoute RouteReply(std::span<const uint8_t, kHeaderSize> header, UsbIpRequestTracker& tracker);

}  // namespace usbip
