// Fuzz target: what a receiver sends to the sender, through the code that
// reads it.
//
// The first byte of the input picks the path (its value modulo 3):
//   0  the command connection: the byte after it picks the read size (1 to
//      256), the rest is the stream, cut into reads of that size, through
//      frame reassembly and every body decoder;
//   1  the import reply on a device's data connection: the byte after it
//      gives the bus id's length (up to 31), then the bus id, then the
//      336-byte reply (padded with zeros), through the reply's decoder and
//      the bus plug-in record made from it;
//   2  one device's USB/IP traffic: records of [kind][length (2 bytes,
//      little-endian)][bytes]; an even kind is a request read from the bus,
//      an odd kind a reply header from the receiver followed by its body,
//      through the relay's request and reply rules, the request tracker and
//      the report filter.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbshare/UsbIpImport.h"
#include "usbshare/UsbIpMessageRules.h"
#include "usbshare/UsbReportFilter.h"
#include "usbshare/VbusControl.h"
#include "usbshare/ZampFrameReader.h"
#include "usbshare/ZampMessageParser.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void CommandStream(std::span<const uint8_t> data) {
    if (data.empty()) {
        return;
    }
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    std::span<const uint8_t> stream = data.subspan(1);
    zamp::ZampFrameReader reader;
    std::vector<zamp::ZampDeviceEntry> devices;
    zamp::ZampDeviceEntry device;
    zamp::UsbDeviceRecord record;
    std::string why;
    for (size_t off = 0; off < stream.size(); off += piece) {
        reader.Feed(stream.subspan(off, std::min(piece, stream.size() - off)));
        for (;;) {
            zamp::ZampHeader header;
            std::span<const uint8_t> message;
            if (reader.Next(&header, &message) != zamp::ZampFrameReader::Result::kMessage) {
                break;
            }
            Check(message.size() <= zamp::kMaxMessageSize);
            switch (header.code) {
                case zamp::kRepDevList:
                    // Framed by its structure: it always decodes.
                    Check(zamp::ParseDeviceList(message, &devices, &why));
                    break;
                case zamp::kReqExportUsb:
                    Check(zamp::ParseExportRequest(message, &device, &why));
                    Check(device.interfaces.size() == device.record.bNumInterfaces);
                    break;
                case zamp::kReqUnexportUsb:
                    zamp::ParseUnexportRequest(message, &record, &why);
                    break;
                default:
                    break;
            }
        }
    }
}

void ImportReply(std::span<const uint8_t> data) {
    if (data.empty()) {
        return;
    }
    const size_t busLength = std::min<size_t>(data[0] % 32, data.size() - 1);
    const std::string bus(reinterpret_cast<const char*>(data.data() + 1), busLength);
    std::array<uint8_t, usbip::kImportReplySize> reply{};
    const auto rest = data.subspan(1 + busLength);
    std::copy_n(rest.begin(), std::min(rest.size(), reply.size()), reply.begin());

    const auto request = usbip::BuildImportRequest(bus);
    Check(request[request.size() - 1] == 0);
    zamp::UsbDeviceRecord record;
    std::string why;
    if (usbip::ParseImportReply(reply, bus.c_str(), &record, &why)) {
        Check(record.busId.size() < zamp::kBusIdSize && record.path.size() < zamp::kPathSize);
        const auto plugIn = usbip::MakePlugInRecord(record, zamp::UsbInterfaceEntry{}, 1);
        Check(plugIn.Encode().size() == 16);
    }
}

void DeviceTraffic(std::span<const uint8_t> data) {
    usbip::UsbIpRequestTracker tracker;
    usbip::UsbReportFilter filter;
    std::vector<uint8_t> body;
    size_t off = 0;
    while (off + 3 <= data.size()) {
        const uint8_t kind = data[off];
        const size_t length =
            std::min<size_t>(data[off + 1] | (data[off + 2] << 8), data.size() - off - 3);
        const auto bytes = data.subspan(off + 3, length);
        off += 3 + length;
        if (kind % 2 == 0) {
            usbip::UsbIpHeader header;
            usbip::AcceptRequest(bytes, tracker, &header);
        } else {
            std::array<uint8_t, usbip::kHeaderSize> header{};
            std::copy_n(bytes.begin(), std::min(bytes.size(), header.size()), header.begin());
            const usbip::ReplyRoute route = usbip::RouteReply(header, tracker);
            if (route.kind == usbip::ReplyRoute::Kind::kRefuse) {
                continue;
            }
            Check(usbip::kHeaderSize + route.bodyLength <= usbip::kMaxMessageSize);
            // The body as far as the input carries it.
            const size_t carried = std::min(route.bodyLength, data.size() - off);
            body.assign(data.begin() + static_cast<ptrdiff_t>(off),
                        data.begin() + static_cast<ptrdiff_t>(off + carried));
            off += carried;
            if (route.kind == usbip::ReplyRoute::Kind::kForward) {
                filter.Filter(route.header, route.endpoint, body);
            }
        }
        Check(tracker.PendingCount() <= usbip::UsbIpRequestTracker::kPendingSlots);
        Check(tracker.OutCount() <= usbip::UsbIpRequestTracker::kOutSlots);
    }
    const size_t pending = tracker.PendingCount();
    Check(tracker.CompleteAll().size() == pending);
    Check(tracker.PendingCount() == 0 && tracker.OutCount() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const uint8_t> rest(data + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            CommandStream(rest);
            break;
        case 1:
            ImportReply(rest);
            break;
        default:
            DeviceTraffic(rest);
            break;
    }
    return 0;
}
