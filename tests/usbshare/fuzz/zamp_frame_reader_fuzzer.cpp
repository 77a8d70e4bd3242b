// Fuzz target: a byte stream from the receiver, cut into reads at places the
// input chooses, through frame reassembly and every body decoder.
//
// Input layout: the first byte picks the read size (1 to 256); the rest is
// the stream.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbshare/ZampFrameReader.h"
#include "usbshare/ZampMessageParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t piece = static_cast<size_t>(data[0]) + 1;
    std::span<const uint8_t> stream(data + 1, size - 1);
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
            const auto result = reader.Next(&header, &message);
            if (result != zamp::ZampFrameReader::Result::kMessage) {
                break;
            }
            if (message.size() > zamp::kMaxMessageSize) {
                __builtin_trap();
            }
            switch (header.code) {
                case 0x0005:
                    zamp::ParseDeviceList(message, &devices, &why);
                    break;
                case 0x8008:
                    zamp::ParseExportRequest(message, &device, &why);
                    break;
                case 0x8009:
                    zamp::ParseUnexportRequest(message, &record, &why);
                    break;
                default:
                    break;
            }
        }
    }
    return 0;
}
