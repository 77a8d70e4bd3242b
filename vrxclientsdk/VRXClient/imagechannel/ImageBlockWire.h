// Constants of the image channel's wire format: the frames the receiver
// sends (acknowledgement and handshake) and the image-block message the
// sender writes. All integers on the wire are big-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ibwire {

// Frame prefix of the receiver's frames: "vrpib", 0, 0.
constexpr uint8_t kPrefix[7] = {'v', 'r', 'p', 'i', 'b', 0, 0};
// Acknowledgement (and handshake, with serial 0): prefix, this code, u32 serial.
constexpr uint8_t kAckCode = 0x10;
constexpr size_t kAckPayloadBytes = 4;
constexpr size_t kHandshakeBytes = 12;

// Image codings as sent in byte 8 of a message; any other coding is sent as kLzo.
constexpr int kEncodingLzo = 2;
constexpr int kEncodingJpeg = 4;
constexpr int kEncodingH264 = 7;

// Message layout: 46-byte header, L bytes of encoded data, 42-byte trailer.
constexpr uint8_t kMagic[7] = {'K', 'I', 'R', 'S', 'O', 'I', 'B'};
constexpr uint8_t kBodyMark[4] = {'V', 'S', 'M', 'K'};
constexpr uint32_t kVersionStamp = 0x0132419A;  // 20070810
constexpr uint8_t kTail[6] = {'I', 'B', 'T', 'A', 'I', 'L'};
constexpr size_t kHeaderBytes = 46;
constexpr size_t kTrailerZeroBytes = 27;
constexpr size_t kTrailerBytes = 4 + 1 + 2 + 2 + kTrailerZeroBytes + 6;  // 42
constexpr size_t kOverheadBytes = kHeaderBytes + kTrailerBytes;          // 88

// A message longer than this counts as a "big send" for flow control.
constexpr size_t kBigSendBytes = 8192;
// Send buffer of the image socket.
constexpr int kSendBufferBytes = 0x300000;

}  // namespace ibwire
