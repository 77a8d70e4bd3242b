// Where one ZAMP message ends in the byte stream of the command connection.
//
// Most messages are 20 + length bytes. The device list (0x0005) and the
// export request (0x8008) are framed by their structure instead, because
// receivers disagree on what their length field counts: the list is
// 24 + (312 + 4 + 4 x interface count) per device, the export request
// 336 + 4 x bNumInterfaces, and the length field must then be the size less
// 20 or less 24. Every count is checked against its limit and against the
// largest size the length field allows before more bytes are awaited, so a
// message is refused as soon as it cannot be honest. Pure functions; no
// state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "usbshare/ZampHeader.h"

namespace zamp {

struct FrameSize {
    enum class Kind {
        kNeedMore,  // more bytes of the message must arrive first
        kKnown,     // the message is `size` bytes long
        kRefused,   // the message breaks a rule (`why`); the stream can't go on
    };
    Kind kind = Kind::kNeedMore;
    size_t size = 0;
    std::string why;
};

// Measures the message that starts with `header` (already decoded, magic and
// version checked) from the bytes of it present so far, header included.
FrameSize MeasureMessage(const ZampHeader& header, std::span<const uint8_t> present);

}  // namespace zamp
