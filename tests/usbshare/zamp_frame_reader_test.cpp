#include "usbshare/ZampFrameReader.h"

#include <gtest/gtest.h>

#include "tests/receiver/usb/ZampWire.h"
#include "tests/usbshare/hex.h"

using porvane_test::Hex;
using zamp::ZampFrameReader;
namespace wire = receiver_sim::zampwire;

namespace {

struct Taken {
    std::vector<uint16_t> codes;
    std::vector<size_t> sizes;
    bool error = false;
};

// Feeds `stream` in pieces of `piece` bytes and takes every message.
Taken FeedInPieces(const std::vector<uint8_t>& stream, size_t piece) {
    ZampFrameReader reader;
    Taken t;
    for (size_t off = 0; off < stream.size() && !t.error; off += piece) {
        const size_t n = std::min(piece, stream.size() - off);
        reader.Feed(std::span<const uint8_t>(stream.data() + off, n));
        for (;;) {
            zamp::ZampHeader h;
            std::span<const uint8_t> m;
            const auto r = reader.Next(&h, &m);
            if (r == ZampFrameReader::Result::kNeedMore) {
                break;
            }
            if (r == ZampFrameReader::Result::kError) {
                t.error = true;
                break;
            }
            t.codes.push_back(h.code);
            t.sizes.push_back(m.size());
            // Either reading of the length field, for the two structured
            // messages; the plain one for every other.
            const bool structured = h.code == 0x0005 || h.code == 0x8008;
            EXPECT_TRUE(h.length == m.size() - 20 || (structured && h.length == m.size() - 24))
                << h.code;
        }
    }
    return t;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

}  // namespace

TEST(ZampFrameReaderTest, ReassemblesSplitAndCoalescedMessagesUnderEitherReading) {
    receiver_sim::SimUsbDevice a;
    receiver_sim::SimUsbDevice b;
    b.busId = "2-1";
    b.interfaces = {{8, 6, 80}, {3, 0, 0}};
    receiver_sim::SimUsbDevice bare;
    bare.busId = "2-2";
    bare.interfaces = {};
    const auto keepAlive = Hex("7a616d70 0601 9980 00000000 00000000 00000000");
    const auto bindOk = Hex("7a616d70 0601 5000 00000000 00000000 00000000");
    for (const auto reading :
         {wire::LengthReading::kLeavesOutLeadingWord, wire::LengthReading::kCountsWholeBody}) {
        SCOPED_TRACE(static_cast<int>(reading));
        const auto list = wire::DeviceListReply({a, b}, reading);
        const auto empty = wire::DeviceListReply({}, reading);
        const auto exportReq = wire::ExportRequest(b, reading);
        const auto exportBare = wire::ExportRequest(bare, reading);
        const auto stream =
            Concat({keepAlive, list, bindOk, exportReq, empty, exportBare, keepAlive});
        // A list is 24 bytes and then 316 + 4 per interface for each device.
        ASSERT_EQ(list.size(), 24u + 2 * 316 + 4 * 3);
        for (size_t piece : {stream.size(), size_t{1}, size_t{7}, size_t{20}, size_t{333}}) {
            SCOPED_TRACE(piece);
            const Taken t = FeedInPieces(stream, piece);
            EXPECT_FALSE(t.error);
            EXPECT_EQ(t.codes, (std::vector<uint16_t>{0x8099, 0x0005, 0x0050, 0x8008, 0x0005,
                                                      0x8008, 0x8099}));
            EXPECT_EQ(t.sizes, (std::vector<size_t>{20, list.size(), 20, 344, 24, 336, 20}));
        }
    }
}

TEST(ZampFrameReaderTest, StructuredMessagesWithAnyOtherLengthAreRefused) {
    receiver_sim::SimUsbDevice d;
    d.interfaces = {{3, 0, 0}, {3, 1, 1}};
    const auto list = wire::DeviceListReply({d});   // 348 bytes, length 324
    const auto exportReq = wire::ExportRequest(d);  // 344 bytes, length 320
    auto withLength = [](std::vector<uint8_t> m, uint32_t length) {
        for (size_t i = 0; i < 4; ++i) {
            m[16 + i] = static_cast<uint8_t>(length >> (8 * i));
        }
        return m;
    };
    auto withWord = [](std::vector<uint8_t> m, size_t at, uint32_t v) {
        for (size_t i = 0; i < 4; ++i) {
            m[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
        return m;
    };
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t refusedBy;  // the reader refuses once this many bytes are in
    };
    auto exportWith = [&](uint8_t interfaces) {
        auto m = exportReq;
        m[331] = interfaces;
        return m;
    };
    const Row rows[] = {
        // The interface count of the first device is in at 340 bytes.
        {"list, length 4 short of both readings", withLength(list, 320), 340},
        {"list, length 4 over both readings", withLength(list, 332), 340},
        {"list, length 0", withLength(list, 0), 24},
        {"list counts a device more than its length holds", withWord(list, 20, 2), 340},
        {"list, device count over the limit", withWord(list, 20, 128), 24},
        {"list, interface count over the limit", withWord(list, 336, 33), 340},
        {"list, interfaces past the length field", withWord(list, 336, 30), 340},
        {"export, length 4 short of both readings", withLength(exportReq, 316), 332},
        {"export, length 4 over both readings", withLength(exportReq, 328), 332},
        {"export, no room for the record", withLength(exportReq, 100), 20},
        {"export, interface count over the limit", exportWith(33), 332},
        {"export claims more interfaces than its length holds", exportWith(5), 332},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Byte by byte: nothing is handed out, and the refusal comes as soon
        // as the bytes show the message can't be honest, never later.
        ZampFrameReader reader;
        size_t fed = 0;
        ZampFrameReader::Result r = ZampFrameReader::Result::kNeedMore;
        zamp::ZampHeader h;
        std::span<const uint8_t> m;
        while (fed < row.bytes.size() && r == ZampFrameReader::Result::kNeedMore) {
            reader.Feed(std::span<const uint8_t>(&row.bytes[fed++], 1));
            r = reader.Next(&h, &m);
        }
        EXPECT_EQ(r, ZampFrameReader::Result::kError);
        EXPECT_EQ(fed, row.refusedBy);
        EXPECT_FALSE(reader.Error().empty());
    }
}

TEST(ZampFrameReaderTest, BrokenStreamsAreRejected) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"bad magic", Hex("7a616d71 0601 5000 00000000 00000000 00000000")},
        {"bad version", Hex("7a616d70 0701 5000 00000000 00000000 00000000")},
        // 64 KiB + 1 after the header: one byte over the limit.
        {"oversize", Hex("7a616d70 0601 5000 00000000 00000000 edff0000")},
        {"huge length", Hex("7a616d70 0601 0500 00000000 00000000 ffffffff")},
        {"garbage after a good message",
         Concat({Hex("7a616d70 0601 5000 00000000 00000000 00000000"), Hex("0102030405060708 "
                                                                           "090a0b0c0d0e0f10 "
                                                                           "11121314")})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ZampFrameReader reader;
        reader.Feed(row.bytes);
        zamp::ZampHeader h;
        std::span<const uint8_t> m;
        auto r = reader.Next(&h, &m);
        if (r == ZampFrameReader::Result::kMessage) {
            r = reader.Next(&h, &m);
        }
        EXPECT_EQ(r, ZampFrameReader::Result::kError);
        EXPECT_FALSE(reader.Error().empty());
        // The reader stays broken, buffers nothing more, until Reset.
        reader.Feed(Hex("7a616d70 0601 5000 00000000 00000000 00000000"));
        EXPECT_EQ(reader.Next(&h, &m), ZampFrameReader::Result::kError);
        EXPECT_EQ(reader.Buffered(), 0u);
        reader.Reset();
        reader.Feed(Hex("7a616d70 0601 5000 00000000 00000000 00000000"));
        EXPECT_EQ(reader.Next(&h, &m), ZampFrameReader::Result::kMessage);
    }
}

TEST(ZampFrameReaderTest, LargestAllowedMessageIsTaken) {
    // 20 + 65516 = 65536 bytes: exactly the limit.
    auto bytes = Hex("7a616d70 0601 7777 00000000 00000000 ecff0000");
    bytes.resize(zamp::kMaxMessageSize, 0xab);
    const Taken t = FeedInPieces(bytes, 2048);
    EXPECT_FALSE(t.error);
    EXPECT_EQ(t.sizes, (std::vector<size_t>{zamp::kMaxMessageSize}));
}
