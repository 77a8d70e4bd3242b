// DevAnnounce: the 128-byte record with which a receiver answers discovery
// and the connect-by-address request.
//
// The record is kept as received, byte for byte, except for the conversion
// that DevAnnounceToHost applies on receipt. Readers use the accessors below:
// every text accessor stops at its field's end even when the receiver sent no
// terminator. The record is plain data and may be copied with memcpy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

constexpr size_t kDevAnnounceSize = 128;

struct DevAnnounce {
    // Field offsets and sizes of the record.
    static constexpr size_t kMagicOffset = 0;  // "QKPP"
    static constexpr size_t kIPv4Offset = 4;   // network byte order
    static constexpr size_t kCommandPortOffset = 8;
    static constexpr size_t kImagePortOffset = 10;
    static constexpr size_t kVideoPortOffset = 12;
    static constexpr size_t kFourthPortOffset = 14;
    static constexpr size_t kNameOffset = 16;
    static constexpr size_t kNameSize = 40;
    static constexpr size_t kTextOffset = 56;
    static constexpr size_t kTextSize = 22;
    static constexpr size_t kFlagOffset = 78;
    static constexpr size_t kClearedOffset = 79;
    static constexpr size_t kClearedSize = 9;
    static constexpr size_t kVersionOffset = 88;  // big-endian, left so in memory
    static constexpr size_t kCodeModeOffset = 97;
    static constexpr size_t kDescriptionOffset = 98;
    static constexpr size_t kDescriptionSize = 20;
    static constexpr size_t kKindOffset1 = 118;
    static constexpr size_t kKindOffset2 = 119;
    static constexpr uint8_t kListedKind = 6;

    // True when the record starts with "QKPP".
    bool HasMagic() const;

    // The receiver's IPv4 address as stored: network byte order.
    uint32_t GetIPv4() const;
    void SetIPv4(uint32_t networkOrder);

    // The four port fields, in host order once DevAnnounceToHost has run.
    uint16_t GetCommandPort() const { return HostU16(kCommandPortOffset); }
    uint16_t GetImagePort() const { return HostU16(kImagePortOffset); }
    uint16_t GetVideoPort() const { return HostU16(kVideoPortOffset); }
    uint16_t GetFourthPort() const { return HostU16(kFourthPortOffset); }

    // The receiver's name (UTF-8), the text at offset 56 and the description
    // at offset 98, each up to its first zero byte or its field's end.
    std::string GetName() const { return BoundedText(kNameOffset, kNameSize); }
    std::string GetText() const { return BoundedText(kTextOffset, kTextSize); }
    std::string GetDescription() const { return BoundedText(kDescriptionOffset, kDescriptionSize); }

    // The option block from offset 56 up to the version field: the text, the
    // flag byte 78 and bytes 79 to 87 (the feature flags read bytes 63 to 79).
    std::span<const uint8_t> GetOptionBlock() const {
        return std::span<const uint8_t>(bytes + kTextOffset, kVersionOffset - kTextOffset);
    }

    // The device protocol version, read from its big-endian field.
    uint16_t GetProtocolVersion() const;

    // 0 when the receiver asks for a login code.
    uint8_t GetCodeMode() const { return bytes[kCodeModeOffset]; }

    uint8_t GetKind1() const { return bytes[kKindOffset1]; }
    uint8_t GetKind2() const { return bytes[kKindOffset2]; }
    // Receivers are listed to the user only when both kind bytes are 6.
    bool IsListable() const { return GetKind1() == kListedKind && GetKind2() == kListedKind; }

    uint8_t bytes[kDevAnnounceSize] = {};

private:
    uint16_t HostU16(size_t offset) const;
    std::string BoundedText(size_t offset, size_t size) const;
};

static_assert(sizeof(DevAnnounce) == kDevAnnounceSize, "DevAnnounce is the 128-byte wire record");

// Converts a record as received to its kept form, in place: the four port
// fields to host order, and for protocol versions 294 to 297 bit 7 of byte 78
// and bytes 79 to 87 cleared. The version field stays big-endian.
void DevAnnounceToHost(DevAnnounce& record);
