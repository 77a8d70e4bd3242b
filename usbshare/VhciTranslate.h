// Translation between the kernel's USB/IP byte order (big-endian words, as
// vhci-hcd speaks on its socket) and this channel's (little-endian words).
//
// Layout of the 48-byte header is the same on both sides: ten 32-bit words,
// then the 8-byte setup packet of a submit (raw bytes, never swapped). After
// the data of a message come its isochronous descriptors, four words each.
// Replies of this channel carry 0x58 in the command's high byte; the kernel
// knows only the plain reply codes 3 and 4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace usbip {

// Size of a request the kernel wrote, from its big-endian header: the
// header, OUT data and isochronous descriptors; 0 when the command is not a
// submit or unlink, or the size passes kMaxMessageSize.
uint64_t KernelRequestSize(std::span<const uint8_t, 48> header);

// Turns one whole kernel request (big-endian) into this channel's order, in
// place.
void RequestFromKernel(std::span<uint8_t> message);

// Turns one whole reply of this channel into the kernel's order, in place;
// the command becomes 3 or 4. False when the reply is too short for its
// header and isochronous descriptors (it is then left as it was).
bool ReplyToKernel(std::span<uint8_t> message);

}  // namespace usbip
