#include "tests/receiver/usb/ZampWire.h"

namespace receiver_sim {

namespace zampwire {

void WireBuffer::Text(const std::string& text, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
    }
}

std::vector<uint8_t> Header(uint16_t code, uint32_t status, uint32_t length, uint16_t version) {
    WireBuffer b;
    b.Text("zamp", 4);
    b.U16(version);
    b.U16(code);
    b.U32(status);
    b.U32(0);
    b.U32(length);
    return b.Data();
}

std::vector<uint8_t> Record(const SimUsbDevice& d) {
    WireBuffer b;
    b.Text(d.path, 256);
    b.Text(d.busId, 32);
    b.U32(d.busnum);
    b.U32(d.devnum);
    b.U32(d.speed);
    b.U16(d.idVendor);
    b.U16(d.idProduct);
    b.U16(d.bcdDevice);
    b.U8(d.bDeviceClass);
    b.U8(d.bDeviceSubClass);
    b.U8(d.bDeviceProtocol);
    b.U8(d.bConfigurationValue);
    b.U8(d.bNumConfigurations);
    b.U8(static_cast<uint8_t>(d.numInterfacesOverride >= 0
                                  ? d.numInterfacesOverride
                                  : static_cast<int>(d.interfaces.size())));
    return b.Data();
}

namespace {

void Interfaces(WireBuffer& b, const SimUsbDevice& d) {
    for (const auto& i : d.interfaces) {
        b.U8(i.cls);
        b.U8(i.subclass);
        b.U8(i.protocol);
        b.U8(0);
    }
}

// The length field of a message of `size` bytes read as `reading` says.
uint32_t LengthField(size_t size, LengthReading reading) {
    const size_t counted = reading == LengthReading::kCountsWholeBody ? kHeader : kHeader + 4;
    return static_cast<uint32_t>(size - counted);
}

// Sets the length field of a whole message.
std::vector<uint8_t> WithLength(std::vector<uint8_t> message, LengthReading reading) {
    const uint32_t length = LengthField(message.size(), reading);
    for (size_t i = 0; i < 4; ++i) {
        message[16 + i] = static_cast<uint8_t>(length >> (8 * i));
    }
    return message;
}

}  // namespace

std::vector<uint8_t> DeviceListReply(const std::vector<SimUsbDevice>& devices,
                                     LengthReading reading) {
    WireBuffer body;
    for (const SimUsbDevice& d : devices) {
        body.Bytes(Record(d));
        body.U32(static_cast<uint32_t>(d.interfaces.size()));
        Interfaces(body, d);
    }
    WireBuffer b;
    b.Bytes(Header(kDevListRep, 0, 0));
    b.U32(static_cast<uint32_t>(devices.size()));
    b.Bytes(body.Data());
    return WithLength(b.Data(), reading);
}

std::vector<uint8_t> ExportRequest(const SimUsbDevice& d, LengthReading reading) {
    WireBuffer b;
    b.Bytes(Header(kExportReq, 0, 0));
    b.Bytes(Record(d));
    b.U32(0);
    Interfaces(b, d);
    return WithLength(b.Data(), reading);
}

std::vector<uint8_t> UnexportRequest(const SimUsbDevice& d) {
    WireBuffer b;
    b.Bytes(Header(kUnexportReq, 0, 312));
    b.Bytes(Record(d));
    return b.Data();
}

}  // namespace zampwire
}  // namespace receiver_sim
