#include "vrxclientsdk/VRXClient/media/k7rm/AsfStreamReader.h"

#include <gtest/gtest.h>

#include <string>

#include "vrxclientsdk/VRXClient/media/k7rm/MmshChunk.h"

namespace {

void PutLe(std::string& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

const std::string kHeaderGuid("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C",
                              16);
const std::string kDataGuid("\x36\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
const std::string kFileGuid("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65", 16);
const std::string kOtherGuid(16, '\x42');

// An ASF stream start: Header Object with an unrelated object and a File
// Properties Object naming the packet sizes, then the Data Object's start.
std::string AsfStart(uint32_t minPacket, uint32_t maxPacket) {
    std::string other = kOtherGuid;
    PutLe(other, 24 + 6, 8);
    other.append(6, 'o');
    std::string file = kFileGuid;
    PutLe(file, 104, 8);
    file.append(92 - 24, 'f');
    PutLe(file, minPacket, 4);
    PutLe(file, maxPacket, 4);
    PutLe(file, 0, 4);  // max bit rate
    std::string header = kHeaderGuid;
    PutLe(header, 30 + other.size() + file.size(), 8);
    PutLe(header, 2, 4);
    header.append("\x01\x02", 2);
    header += other + file;
    std::string data = kDataGuid;
    PutLe(data, 50, 8);
    data.append(16 + 8 + 2, 'd');
    return header + data;
}

TEST(AsfStreamReaderTest, SplitsHeaderAndPacketsWhateverTheSlices) {
    const std::string start = AsfStart(100, 100);
    std::string stream = start;
    for (char p = 'A'; p < 'D'; ++p) {
        stream.append(100, p);
    }
    stream.append(40, 'Z');  // an incomplete packet stays back
    for (size_t slice : {size_t{1}, size_t{7}, size_t{99}, stream.size()}) {
        SCOPED_TRACE(slice);
        AsfStreamReader reader;
        std::string packets;
        std::string packet;
        for (size_t at = 0; at < stream.size(); at += slice) {
            reader.Feed(std::string_view(stream).substr(at, slice));
            while (reader.NextPacket(packet)) {
                ASSERT_EQ(packet.size(), 100u);
                packets.push_back(packet[0]);
            }
        }
        EXPECT_FALSE(reader.Failed()) << reader.Failure();
        EXPECT_EQ(reader.Header(), start);
        EXPECT_EQ(reader.PacketSize(), 100u);
        EXPECT_EQ(packets, "ABC");
    }
}

TEST(AsfStreamReaderTest, RejectsStreamsOutsideItsLimits) {
    std::string notAsf = AsfStart(100, 100);
    notAsf[0] = 'X';
    std::string hugeHeader = AsfStart(100, 100);
    hugeHeader[16 + 2] = '\x01';  // header size + 65536
    std::string badObject = AsfStart(100, 100);
    badObject[30 + 16 + 1] = '\x7F';  // an inner object larger than the header
    std::string noData = AsfStart(100, 100);
    noData[noData.size() - 50] = 'X';
    struct Case {
        const char* name;
        std::string stream;
    } cases[] = {
        {"not ASF", notAsf},
        {"header larger than a chunk", hugeHeader},
        {"inner object out of bounds", badObject},
        {"no data object", noData},
        {"varying packet size", AsfStart(100, 200)},
        {"no packet size", AsfStart(0, 0)},
        {"packet larger than a chunk", AsfStart(70000, 70000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AsfStreamReader reader;
        reader.Feed(c.stream + std::string(300, 'P'));
        std::string packet;
        EXPECT_TRUE(reader.Failed());
        EXPECT_FALSE(reader.HasHeader());
        EXPECT_FALSE(reader.NextPacket(packet));
    }
}

TEST(MmshChunkTest, FramesAPayloadAsPlayersReadIt) {
    std::string out;
    AppendMmshChunk(out, kMmshDataChunk, 0x01020304, 0, "abc");
    EXPECT_EQ(out, std::string("$D\x0B\x00\x04\x03\x02\x01\x00\x00\x0B\x00"
                               "abc",
                               15));
    out.clear();
    AppendMmshChunk(out, kMmshHeaderChunk, 0, kMmshHeaderFlags, std::string(300, 'h'));
    EXPECT_EQ(out.substr(0, 12), std::string("$H\x34\x01\x00\x00\x00\x00\x00\x0C\x34\x01", 12));
}

}  // namespace
