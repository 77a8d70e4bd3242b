// Constants of the ZAMP command channel between Porvane and a receiver.
//
// The channel is TCP (receiver port 6000). Every message starts with a 20-byte
// header whose integers are little-endian. This header only names the wire
// values and our limits; encoding lives in ZampWriter, decoding in
// ZampFrameReader and ZampMessageParser.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zamp {

// Header layout: magic(4) version(2) code(2) status(4) reserved(4) length(4).
constexpr size_t kHeaderSize = 20;
constexpr uint8_t kMagic[4] = {'z', 'a', 'm', 'p'};
constexpr uint16_t kVersion = 0x0106;

constexpr const char* kCommandService = "6000";

// Command codes.
enum Code : uint16_t {
    kReqUsbIpInfo = 0x8053,
    kRepUsbIpInfo = 0x0053,
    kReqUsbBind = 0x8050,
    kRepUsbBind = 0x0050,
    kReqUsbUnbind = 0x8051,
    kRepUsbUnbind = 0x0051,
    kReqDevList = 0x8005,
    kRepDevList = 0x0005,
    kReqExportUsb = 0x8008,
    kReqUnexportUsb = 0x8009,
    kReqKeepAlive = 0x8099,
    kRepKeepAlive = 0x0099,
};

// Status of an info reply that says sharing is not possible now.
constexpr uint32_t kInfoStatusBusy = 0x51;

// The device-list reply and the export request carry one 32-bit word after the
// header (the device count, or a word the sender does not read). Receivers
// differ on whether their length field counts it: such a message is 20 or 24
// bytes longer than its length field, and is framed by its structure
// (ZampFraming). Every other message is 20 + length bytes.
constexpr size_t kLeadingWordSize = 4;

// USB/IP device record: path(256) busid(32) busnum devnum speed (u32 each)
// idVendor idProduct bcdDevice (u16 each), then six bytes.
constexpr size_t kPathSize = 256;
constexpr size_t kBusIdSize = 32;
constexpr size_t kDeviceRecordSize = 312;
// Interface entry: class, subclass, protocol, one padding byte.
constexpr size_t kInterfaceEntrySize = 4;

// Offsets inside the export request (from the start of the message): the
// record, its bNumInterfaces byte (the record's last), and the entries.
constexpr size_t kExportRecordOffset = kHeaderSize;                                         // 20
constexpr size_t kExportNumInterfacesOffset = kExportRecordOffset + kDeviceRecordSize - 1;  // 331
constexpr size_t kExportInterfacesOffset = kHeaderSize + kDeviceRecordSize + 4;             // 336

// The keep-alive reply: header (length 1) and one byte of value 1.
constexpr size_t kKeepAliveReplySize = kHeaderSize + 1;

// Limits on what a receiver may send. The virtual bus has 127 ports, so no
// list can hold more devices; a USB configuration has at most 32 interfaces.
// The largest honest message, a device list of 127 devices of 32 interfaces,
// is 24 + 127 * (312 + 4 + 32 * 4) = 56,412 bytes.
constexpr uint32_t kMaxDevices = 127;
constexpr uint32_t kMaxInterfaces = 32;
constexpr uint32_t kMaxMessageSize = 64 * 1024;

// Interface classes that cannot be shared: audio and audio/video.
constexpr uint8_t kClassAudio = 0x01;
constexpr uint8_t kClassAudioVideo = 0x10;

}  // namespace zamp
