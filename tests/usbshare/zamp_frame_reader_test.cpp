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
            EXPECT_EQ(m.size(), zamp::MessageSize(h.code, h.length));
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

TEST(ZampFrameReaderTest, ReassemblesSplitAndCoalescedMessages) {
    receiver_sim::SimUsbDevice a;
    receiver_sim::SimUsbDevice b;
    b.busId = "2-1";
    b.interfaces = {{8, 6, 80}, {3, 0, 0}};
    const auto list = wire::DeviceListReply({a, b});
    const auto keepAlive = Hex("7a616d70 0601 9980 00000000 00000000 00000000");
    const auto bindOk = Hex("7a616d70 0601 5000 00000000 00000000 00000000");
    const auto exportReq = wire::ExportRequest(b);
    const auto stream = Concat({keepAlive, list, bindOk, exportReq, keepAlive});

    // A device list is 24 + length bytes: the count word is not counted.
    ASSERT_EQ(list.size(), 24u + 2 * 316 + 4 * 3);
    for (size_t piece : {stream.size(), size_t{1}, size_t{7}, size_t{20}, size_t{333}}) {
        SCOPED_TRACE(piece);
        const Taken t = FeedInPieces(stream, piece);
        EXPECT_FALSE(t.error);
        EXPECT_EQ(t.codes, (std::vector<uint16_t>{0x8099, 0x0005, 0x0050, 0x8008, 0x8099}));
        EXPECT_EQ(t.sizes, (std::vector<size_t>{20, list.size(), 20, exportReq.size(), 20}));
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
