#include "usbshare/ZampMessageParser.h"

#include <gtest/gtest.h>

#include "tests/receiver/usb/ZampWire.h"
#include "tests/usbshare/hex.h"

namespace wire = receiver_sim::zampwire;
using receiver_sim::SimUsbDevice;

namespace {

void PutLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t v) {
    ASSERT_LE(offset + 4, bytes.size());
    for (size_t i = 0; i < 4; ++i) {
        bytes.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
    }
}

}  // namespace

TEST(ZampMessageParserTest, DeviceListIsDecodedFieldByField) {
    SimUsbDevice a;
    a.busId = "3-4.1";
    a.path = "/sys/bus/usb/3-4.1";
    a.busnum = 3;
    a.devnum = 7;
    a.speed = 2;
    a.idVendor = 0x046d;
    a.idProduct = 0xc52b;
    a.bcdDevice = 0x1201;
    a.bDeviceClass = 0xef;
    a.bDeviceSubClass = 2;
    a.bDeviceProtocol = 1;
    a.bConfigurationValue = 1;
    a.bNumConfigurations = 1;
    a.interfaces = {{3, 1, 1}, {3, 1, 2}, {3, 0, 0}};
    SimUsbDevice b;
    b.busId = "1-2";
    b.interfaces = {};

    std::vector<zamp::ZampDeviceEntry> devices;
    std::string why;
    ASSERT_TRUE(zamp::ParseDeviceList(wire::DeviceListReply({a, b}), &devices, &why)) << why;
    ASSERT_EQ(devices.size(), 2u);
    const zamp::UsbDeviceRecord& r = devices[0].record;
    EXPECT_EQ(r.busId, "3-4.1");
    EXPECT_EQ(r.path, "/sys/bus/usb/3-4.1");
    EXPECT_EQ(r.busnum, 3u);
    EXPECT_EQ(r.devnum, 7u);
    EXPECT_EQ(r.speed, 2u);
    EXPECT_EQ(r.idVendor, 0x046d);
    EXPECT_EQ(r.idProduct, 0xc52b);
    EXPECT_EQ(r.bcdDevice, 0x1201);
    EXPECT_EQ(r.bDeviceClass, 0xef);
    EXPECT_EQ(r.bDeviceSubClass, 2);
    EXPECT_EQ(r.bDeviceProtocol, 1);
    EXPECT_EQ(r.bNumInterfaces, 3);
    ASSERT_EQ(devices[0].interfaces.size(), 3u);
    EXPECT_EQ(devices[0].interfaces[1].interfaceProtocol, 2);
    EXPECT_EQ(devices[1].record.busId, "1-2");
    EXPECT_TRUE(devices[1].interfaces.empty());

    ASSERT_TRUE(zamp::ParseDeviceList(wire::DeviceListReply({}), &devices, &why));
    EXPECT_TRUE(devices.empty());
}

TEST(ZampMessageParserTest, UnterminatedTextsAreCutAtTheirField) {
    SimUsbDevice d;
    d.busId = std::string(40, 'b');  // fills all 32 bytes, no terminator
    d.path = std::string(300, 'p');
    std::vector<zamp::ZampDeviceEntry> devices;
    std::string why;
    ASSERT_TRUE(zamp::ParseDeviceList(wire::DeviceListReply({d}), &devices, &why));
    EXPECT_EQ(devices[0].record.busId, std::string(31, 'b'));
    EXPECT_EQ(devices[0].record.path, std::string(255, 'p'));
}

TEST(ZampMessageParserTest, HostileDeviceListsAreRejected) {
    SimUsbDevice one;
    one.interfaces = {{3, 0, 0}, {3, 0, 0}};
    const std::vector<uint8_t> good = wire::DeviceListReply({one});
    // Offsets in the message: count at 20, record at 24, interface count at
    // 336, entries from 340.
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Row> rows;
    {
        auto b = good;
        PutLe32(b, 20, 128);
        rows.push_back({"device count over the limit", b});
    }
    {
        auto b = good;
        PutLe32(b, 20, 0xffffffff);
        rows.push_back({"huge device count", b});
    }
    {
        auto b = good;
        PutLe32(b, 20, 2);
        rows.push_back({"count larger than the devices sent", b});
    }
    {
        auto b = good;
        PutLe32(b, 336, 33);
        rows.push_back({"interface count over the limit", b});
    }
    {
        auto b = good;
        PutLe32(b, 336, 3);
        rows.push_back({"interface entries cut short", b});
    }
    rows.push_back({"no count", std::vector<uint8_t>(good.begin(), good.begin() + 22)});
    rows.push_back({"record cut short", std::vector<uint8_t>(good.begin(), good.begin() + 200)});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<zamp::ZampDeviceEntry> devices(1);
        std::string why;
        EXPECT_FALSE(zamp::ParseDeviceList(row.bytes, &devices, &why));
        EXPECT_FALSE(why.empty());
        EXPECT_TRUE(devices.empty());
    }
}

TEST(ZampMessageParserTest, ExportAndUnexportRequests) {
    SimUsbDevice d;
    d.busId = "5-1";
    d.interfaces = {{8, 6, 80}, {1, 1, 0}};
    zamp::ZampDeviceEntry entry;
    std::string why;
    ASSERT_TRUE(zamp::ParseExportRequest(wire::ExportRequest(d), &entry, &why)) << why;
    EXPECT_EQ(entry.record.busId, "5-1");
    ASSERT_EQ(entry.interfaces.size(), 2u);
    EXPECT_EQ(entry.interfaces[0].interfaceClass, 8);
    EXPECT_TRUE(entry.HasUnsupportedInterface());

    zamp::UsbDeviceRecord record;
    ASSERT_TRUE(zamp::ParseUnexportRequest(wire::UnexportRequest(d), &record, &why));
    EXPECT_EQ(record.busId, "5-1");

    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        bool unexport;
    };
    SimUsbDevice lying = d;
    lying.numInterfacesOverride = 5;  // says 5, carries 2
    SimUsbDevice tooMany = d;
    tooMany.numInterfacesOverride = 200;
    const auto full = wire::ExportRequest(d);
    const Row rows[] = {
        {"export claims more interfaces than it carries", wire::ExportRequest(lying), false},
        {"export interface count over the limit", wire::ExportRequest(tooMany), false},
        {"export without its record", std::vector<uint8_t>(full.begin(), full.begin() + 300),
         false},
        {"unexport without its record", std::vector<uint8_t>(full.begin(), full.begin() + 331),
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const bool ok = row.unexport ? zamp::ParseUnexportRequest(row.bytes, &record, &why)
                                     : zamp::ParseExportRequest(row.bytes, &entry, &why);
        EXPECT_FALSE(ok);
    }
}

TEST(ZampMessageParserTest, HexFixturesOfTheReceiverMessages) {
    // A record: path "/p", bus id "1-2", busnum 1, devnum 5, speed 3,
    // 046d:c077 bcd 0100, class triple 0, configuration 1 of 1, 1 interface.
    auto record = [] {
        std::vector<uint8_t> r = porvane_test::Hex("2f70");
        r.resize(256, 0);
        auto bus = porvane_test::Hex("312d32");
        bus.resize(32, 0);
        r.insert(r.end(), bus.begin(), bus.end());
        const auto tail =
            porvane_test::Hex("01000000 05000000 03000000 6d04 77c0 0001 00 00 00 01 01 01");
        r.insert(r.end(), tail.begin(), tail.end());
        return r;
    }();
    ASSERT_EQ(record.size(), 312u);
    auto join = [](std::initializer_list<std::vector<uint8_t>> parts) {
        std::vector<uint8_t> out;
        for (const auto& p : parts) {
            out.insert(out.end(), p.begin(), p.end());
        }
        return out;
    };
    using porvane_test::Hex;
    // Device list: length 0x140 = 312 + 4 + 4 (the count word is not counted).
    const auto list = join({Hex("7a616d70 0601 0500 00000000 00000000 40010000 01000000"), record,
                            Hex("01000000 03010200")});
    // Export: length 0x13c = 312 + 4; an unread word, then one entry.
    const auto exportReq = join(
        {Hex("7a616d70 0601 0880 00000000 00000000 3c010000"), record, Hex("00000000 03010200")});
    const auto unexportReq = join({Hex("7a616d70 0601 0980 00000000 00000000 38010000"), record});

    std::vector<zamp::ZampDeviceEntry> devices;
    std::string why;
    ASSERT_TRUE(zamp::ParseDeviceList(list, &devices, &why)) << why;
    ASSERT_EQ(devices.size(), 1u);
    zamp::ZampDeviceEntry entry;
    ASSERT_TRUE(zamp::ParseExportRequest(exportReq, &entry, &why)) << why;
    zamp::UsbDeviceRecord unexported;
    ASSERT_TRUE(zamp::ParseUnexportRequest(unexportReq, &unexported, &why)) << why;
    for (const zamp::UsbDeviceRecord* r : {&devices[0].record, &entry.record, &unexported}) {
        EXPECT_EQ(r->path, "/p");
        EXPECT_EQ(r->busId, "1-2");
        EXPECT_EQ(r->busnum, 1u);
        EXPECT_EQ(r->devnum, 5u);
        EXPECT_EQ(r->speed, 3u);
        EXPECT_EQ(r->idVendor, 0x046d);
        EXPECT_EQ(r->idProduct, 0xc077);
        EXPECT_EQ(r->bcdDevice, 0x0100);
        EXPECT_EQ(r->bNumInterfaces, 1);
    }
    for (const auto* e : {&devices[0], &entry}) {
        ASSERT_EQ(e->interfaces.size(), 1u);
        EXPECT_EQ(e->interfaces[0].interfaceClass, 3);
        EXPECT_EQ(e->interfaces[0].interfaceSubClass, 1);
        EXPECT_EQ(e->interfaces[0].interfaceProtocol, 2);
    }
    // The simulator's own encoder agrees byte for byte.
    receiver_sim::SimUsbDevice d;
    d.path = "/p";
    d.busId = "1-2";
    d.busnum = 1;
    d.devnum = 5;
    d.speed = 3;
    d.idVendor = 0x046d;
    d.idProduct = 0xc077;
    d.bcdDevice = 0x0100;
    d.interfaces = {{3, 1, 2}};
    EXPECT_EQ(wire::DeviceListReply({d}), list);
    EXPECT_EQ(wire::ExportRequest(d), exportReq);
    EXPECT_EQ(wire::UnexportRequest(d), unexportReq);
}
