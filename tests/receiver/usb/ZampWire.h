// The receiver simulator's own encoding of the ZAMP channel (USB side):
// the 20-byte little-endian header, the USB/IP device record, and the
// messages a receiver sends. Written from the wire format, independently of
// the sender's code, so that each side checks the other.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace receiver_sim {

// One interface as (class, subclass, protocol).
struct SimInterface {
    uint8_t cls = 0;
    uint8_t subclass = 0;
    uint8_t protocol = 0;
};

// A USB device as the simulated receiver offers it.
struct SimUsbDevice {
    // One HID interface by default.
    SimUsbDevice() { interfaces.push_back(SimInterface{0x03, 0x01, 0x02}); }

    std::string path = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1";
    std::string busId = "1-1";
    uint32_t busnum = 1;
    uint32_t devnum = 2;
    uint32_t speed = 3;
    uint16_t idVendor = 0x1234;
    uint16_t idProduct = 0x5678;
    uint16_t bcdDevice = 0x0100;
    uint8_t bDeviceClass = 0;
    uint8_t bDeviceSubClass = 0;
    uint8_t bDeviceProtocol = 0;
    uint8_t bConfigurationValue = 1;
    uint8_t bNumConfigurations = 1;
    // bNumInterfaces is their number unless numInterfacesOverride is set.
    std::vector<SimInterface> interfaces;
    int numInterfacesOverride = -1;
};

namespace zampwire {

// Little-endian byte appender.
class WireBuffer {
public:
    void U8(uint8_t v) { m_bytes.push_back(v); }
    void U16(uint16_t v) {
        U8(static_cast<uint8_t>(v & 0xff));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v) {
        U16(static_cast<uint16_t>(v & 0xffff));
        U16(static_cast<uint16_t>(v >> 16));
    }
    // A text in a field of `size` bytes, NUL-padded (cut to fill the field
    // exactly when too long, without a terminator).
    void Text(const std::string& text, size_t size);
    void Bytes(const std::vector<uint8_t>& b) { m_bytes.insert(m_bytes.end(), b.begin(), b.end()); }
    std::vector<uint8_t>& Data() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

constexpr uint16_t kVersion = 0x0106;
constexpr size_t kHeader = 20;

// Client requests and their replies.
constexpr uint16_t kInfoReq = 0x8053, kInfoRep = 0x0053;
constexpr uint16_t kBindReq = 0x8050, kBindRep = 0x0050;
constexpr uint16_t kUnbindReq = 0x8051, kUnbindRep = 0x0051;
constexpr uint16_t kDevListReq = 0x8005, kDevListRep = 0x0005;
// Receiver requests.
constexpr uint16_t kExportReq = 0x8008, kUnexportReq = 0x8009;
constexpr uint16_t kKeepAliveReq = 0x8099, kKeepAliveRep = 0x0099;

// What the length field of a device list or an export request counts.
// Receivers differ: some count everything after the header, others leave out
// the word that follows it (the device count, or the unused word).
enum class LengthReading {
    kLeavesOutLeadingWord,  // size - 24
    kCountsWholeBody,       // size - 20
};

// A header with "zamp" and version 0x0106 (or `version`).
std::vector<uint8_t> Header(uint16_t code, uint32_t status, uint32_t length,
                            uint16_t version = kVersion);
// The 312-byte record of a device.
std::vector<uint8_t> Record(const SimUsbDevice& device);
// Device-list reply: header, count, then record, interface count and entries
// per device.
std::vector<uint8_t> DeviceListReply(const std::vector<SimUsbDevice>& devices,
                                     LengthReading reading = LengthReading::kLeavesOutLeadingWord);
// Export request: header, record, one unused word, then the interface entries.
std::vector<uint8_t> ExportRequest(const SimUsbDevice& device,
                                   LengthReading reading = LengthReading::kLeavesOutLeadingWord);
// Unexport request: header and record.
std::vector<uint8_t> UnexportRequest(const SimUsbDevice& device);

}  // namespace zampwire
}  // namespace receiver_sim
