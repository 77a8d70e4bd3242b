#include "usbshare/ZampHeader.h"

#include <cstring>

#include "usbshare/ByteOrder.h"

namespace zamp {

void ZampHeader::Encode(std::span<uint8_t, kHeaderSize> out) const {
    uint8_t* p = out.data();
    std::memcpy(p, kMagic, sizeof kMagic);
    StoreLe16(p + 4, version);
    StoreLe16(p + 6, code);
    StoreLe32(p + 8, status);
    StoreLe32(p + 12, reserved);
    StoreLe32(p + 16, length);
}

std::array<uint8_t, kHeaderSize> ZampHeader::Encode() const {
    std::array<uint8_t, kHeaderSize> bytes{};
    Encode(std::span<uint8_t, kHeaderSize>(bytes));
    return bytes;
}

bool ZampHeader::Decode(std::span<const uint8_t, kHeaderSize> in, ZampHeader* out) {
    const uint8_t* p = in.data();
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0) {
        return false;
    }
    out->version = LoadLe16(p + 4);
    out->code = LoadLe16(p + 6);
    out->status = LoadLe32(p + 8);
    out->reserved = LoadLe32(p + 12);
    out->length = LoadLe32(p + 16);
    return true;
}

const char* CodeLogName(uint16_t code) {
    switch (code) {
        case kReqUsbIpInfo:
            return "Send zamp_command_USBIPINFO";
        case kRepUsbIpInfo:
            return "********* usbip_recv OP_REP_USBIPINFO";
        case kReqUsbBind:
            return "Send OP_REQ_USBBIND";
        case kRepUsbBind:
            return "********* usbip_recv OP_REP_USBBIND";
        case kReqUsbUnbind:
            return "Send OP_REQ_USBUNBIND";
        case kRepUsbUnbind:
            return "********* usbip_recv OP_REP_USBUNBIND";
        case kReqDevList:
            return "Send OP_REQ_DEVLIST";
        case kRepDevList:
            return "********* usbip_recv OP_REP_DEVLIST";
        case kReqExportUsb:
            return "********* usbip_recv OP_REQ_EXPORTUSB";
        case kReqUnexportUsb:
            return "********* usbip_recv OP_REQ_UNEXPORTUSB";
        case kReqKeepAlive:
            return "********* usbip_recv OP_REQ_USBIPKEEPALIVE";
        case kRepKeepAlive:
            return "Send OP_REP_USBIPKEEPALIVE";
        default:
            return nullptr;
    }
}

}  // namespace zamp
