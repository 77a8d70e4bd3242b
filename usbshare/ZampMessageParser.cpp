#include "usbshare/ZampMessageParser.h"

#include <cstdio>

#include "usbshare/ByteOrder.h"

namespace zamp {
namespace {

// A cursor over one message that never reads past its end.
class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> data, size_t offset)
        : m_data(data), m_offset(offset) {}

    bool Has(size_t n) const { return m_offset <= m_data.size() && m_data.size() - m_offset >= n; }

    uint32_t U32() {
        const uint32_t v = LoadLe32(m_data.data() + m_offset);
        m_offset += 4;
        return v;
    }

    UsbDeviceRecord Record() {
        auto field = m_data.subspan(m_offset).first<kDeviceRecordSize>();
        m_offset += kDeviceRecordSize;
        return UsbDeviceRecord::Decode(field);
    }

    bool Interfaces(uint32_t count, std::vector<UsbInterfaceEntry>* out) {
        if (!Has(static_cast<size_t>(count) * kInterfaceEntrySize)) {
            return false;
        }
        out->reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            out->push_back(
                DecodeInterfaceEntry(m_data.subspan(m_offset).first<kInterfaceEntrySize>()));
            m_offset += kInterfaceEntrySize;
        }
        return true;
    }

private:
    std::span<const uint8_t> m_data;
    size_t m_offset;
};

bool Reject(std::string* why, const char* format, unsigned a = 0, unsigned b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    *why = text;
    return false;
}

}  // namespace

bool ParseDeviceList(std::span<const uint8_t> message, std::vector<ZampDeviceEntry>* devices,
                     std::string* why) {
    devices->clear();
    Cursor in(message, kHeaderSize);
    if (!in.Has(4)) {
        return Reject(why, "device list without a count");
    }
    const uint32_t count = in.U32();
    if (count > kMaxDevices) {
        return Reject(why, "device count %u over the limit %u", count, kMaxDevices);
    }
    std::vector<ZampDeviceEntry> list;
    list.reserve(count);
    for (uint32_t d = 0; d < count; ++d) {
        if (!in.Has(kDeviceRecordSize + 4)) {
            return Reject(why, "device %u of %u cut short", d, count);
        }
        ZampDeviceEntry entry;
        entry.record = in.Record();
        const uint32_t interfaces = in.U32();
        if (interfaces > kMaxInterfaces) {
            return Reject(why, "interface count %u over the limit %u", interfaces, kMaxInterfaces);
        }
        if (!in.Interfaces(interfaces, &entry.interfaces)) {
            return Reject(why, "interfaces of device %u cut short", d);
        }
        list.push_back(std::move(entry));
    }
    *devices = std::move(list);
    return true;
}

bool ParseExportRequest(std::span<const uint8_t> message, ZampDeviceEntry* device,
                        std::string* why) {
    Cursor in(message, kExportRecordOffset);
    if (!in.Has(kDeviceRecordSize + 4)) {
        return Reject(why, "export request of %u bytes is too short",
                      static_cast<unsigned>(message.size()));
    }
    ZampDeviceEntry entry;
    entry.record = in.Record();
    in.U32();  // not used by the sender
    const uint32_t interfaces = entry.record.bNumInterfaces;
    if (interfaces > kMaxInterfaces) {
        return Reject(why, "interface count %u over the limit %u", interfaces, kMaxInterfaces);
    }
    if (!in.Interfaces(interfaces, &entry.interfaces)) {
        return Reject(why, "interfaces of the export request cut short");
    }
    *device = std::move(entry);
    return true;
}

bool ParseUnexportRequest(std::span<const uint8_t> message, UsbDeviceRecord* record,
                          std::string* why) {
    Cursor in(message, kHeaderSize);
    if (!in.Has(kDeviceRecordSize)) {
        return Reject(why, "unexport request of %u bytes is too short",
                      static_cast<unsigned>(message.size()));
    }
    *record = in.Record();
    return true;
}

}  // namespace zamp
