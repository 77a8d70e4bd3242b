// The command channel's reading of what the receiver sends: the layouts of
// its answers and events, decoded from payloads that CmdClient's payload
// readers have read whole off the connection (and bounded by the limits of
// CmdCodes.h before a byte was allocated).
//
// Pure: no socket, no state, no log. A payload that does not hold its layout
// gives nothing; texts in fixed fields stop at their first zero byte or at the
// field's end. CmdClient's event handlers hand the decoded values to its
// callbacks; tests feed these functions bytes directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "vrxclientsdk/VRPClient/DeviceCapRecord.h"

class CommandReader {
public:
    using Bytes = std::string;

    // --- answers -------------------------------------------------------------------
    // The capability block (answer 0x81): head, codings, the group, the
    // entries and the trailer, whose counts must match the payload's size.
    static std::optional<DeviceCapRecord> DeviceCap(const Bytes& answer);

    // The answer to SetFrameBuffer: the receiver's status (0 accepted) and,
    // when accepted, the values it granted.
    struct FrameBufferAnswer {
        uint8_t status = 0;
        uint16_t w = 0, h = 0;
        uint8_t abpp = 0, cs = 0;
        uint8_t cd = 0;  // 0: the coding asked for stays
    };
    static std::optional<FrameBufferAnswer> FrameBuffer(const Bytes& answer);

    // The size field at the front of a forwarded message's reply header.
    static uint32_t ForwardReplySize(const void* header);

    // --- events ----------------------------------------------------------------------
    // The login code of a login event (0x84): the text in its last 28 bytes.
    static std::string LoginCode(const Bytes& payload);

    struct StopVideoEvent {
        uint8_t reason = 0;
        std::string url;                  // cut to its field when the length claims more
        const uint8_t* status = nullptr;  // kStatusBytes bytes inside the payload
    };
    static std::optional<StopVideoEvent> StopVideo(const Bytes& payload);

    struct TouchEvent {
        uint8_t id = 0;
        uint16_t x = 0, y = 0;
        uint8_t state = 0;
    };
    static std::optional<TouchEvent> Touch(const Bytes& payload);

    // A forwarded message of the receiver: its header and data. The data
    // pointer points into the payload.
    struct ForwardEvent {
        uint32_t id = 0;
        uint32_t size = 0;
        bool wantsReply = false;
        const uint8_t* data = nullptr;
    };
    // The id and size from the header alone (the reader checks the size).
    static uint32_t ForwardSize(const Bytes& header);
    static std::optional<ForwardEvent> Forward(const Bytes& payload);

    // The two u16 fields of a text-input header, in the receiver's order.
    static uint16_t StringInputCount(const Bytes& header);
    static uint16_t StringInputLength(const Bytes& header);

    // Text of at most `size` bytes from `at`, up to its first zero byte.
    static std::string BoundedText(const Bytes& payload, size_t at, size_t size);
};
