#include "usbshare/ZampFraming.h"

#include <cstdio>

#include "usbshare/ByteOrder.h"

namespace zamp {
namespace {

FrameSize Known(size_t size) {
    FrameSize f;
    f.kind = FrameSize::Kind::kKnown;
    f.size = size;
    return f;
}

FrameSize Refused(uint16_t code, const char* what, unsigned long long a = 0,
                  unsigned long long b = 0) {
    char text[160];
    const int n = std::snprintf(text, sizeof text, "message 0x%04x: ", code);
    std::snprintf(text + n, sizeof text - static_cast<size_t>(n), what, a, b);
    FrameSize f;
    f.kind = FrameSize::Kind::kRefused;
    f.why = text;
    return f;
}

// The structure says the message is `size` bytes: its length field must
// count everything after the header, or everything after the leading word.
FrameSize Settle(const ZampHeader& h, size_t size) {
    if (h.length == size - kHeaderSize || h.length == size - kHeaderSize - kLeadingWordSize) {
        return Known(size);
    }
    return Refused(h.code, "length field %llu fits neither reading of its %llu bytes", h.length,
                   size);
}

FrameSize MeasureDeviceList(const ZampHeader& h, std::span<const uint8_t> present) {
    // No honest list is longer than this.
    const uint64_t bound = uint64_t{h.length} + kHeaderSize + kLeadingWordSize;
    size_t size = kHeaderSize + kLeadingWordSize;
    if (present.size() < size) {
        return {};
    }
    const uint32_t count = LoadLe32(present.data() + kHeaderSize);
    if (count > kMaxDevices) {
        return Refused(h.code, "device count %llu over the limit %llu", count, kMaxDevices);
    }
    for (uint32_t d = 0; d < count; ++d) {
        const size_t interfacesAt = size + kDeviceRecordSize;
        if (interfacesAt + 4 > bound) {
            return Refused(h.code, "device %llu of %llu lies past the length field", d, count);
        }
        if (present.size() < interfacesAt + 4) {
            return {};
        }
        const uint32_t interfaces = LoadLe32(present.data() + interfacesAt);
        if (interfaces > kMaxInterfaces) {
            return Refused(h.code, "interface count %llu over the limit %llu", interfaces,
                           kMaxInterfaces);
        }
        size = interfacesAt + 4 + interfaces * kInterfaceEntrySize;
        if (size > bound) {
            return Refused(h.code, "interfaces of device %llu lie past the length field", d);
        }
    }
    return Settle(h, size);
}

FrameSize MeasureExportRequest(const ZampHeader& h, std::span<const uint8_t> present) {
    const uint64_t bound = uint64_t{h.length} + kHeaderSize + kLeadingWordSize;
    if (bound < kExportInterfacesOffset) {
        return Refused(h.code, "length field %llu leaves no room for the device record", h.length);
    }
    if (present.size() <= kExportNumInterfacesOffset) {
        return {};
    }
    const uint32_t interfaces = present[kExportNumInterfacesOffset];
    if (interfaces > kMaxInterfaces) {
        return Refused(h.code, "interface count %llu over the limit %llu", interfaces,
                       kMaxInterfaces);
    }
    return Settle(h, kExportInterfacesOffset + interfaces * kInterfaceEntrySize);
}

}  // namespace

FrameSize MeasureMessage(const ZampHeader& header, std::span<const uint8_t> present) {
    if (header.length > kMaxMessageSize - kHeaderSize) {
        return Refused(header.code, "length field %llu over the limit %llu", header.length,
                       kMaxMessageSize - kHeaderSize);
    }
    switch (header.code) {
        case kRepDevList:
            return MeasureDeviceList(header, present);
        case kReqExportUsb:
            return MeasureExportRequest(header, present);
        default:
            return Known(kHeaderSize + header.length);
    }
}

}  // namespace zamp
