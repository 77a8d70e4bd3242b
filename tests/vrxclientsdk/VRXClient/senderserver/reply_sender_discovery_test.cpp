// The sender-discovery responder on its fixed UDP ports (11047 to 11049),
// asked by the receiver simulator's SenderQuery over loopback.
#include "vrxclientsdk/VRXClient/senderserver/ReplySenderDiscovery.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/receiver/sender/SenderAnnouncement.h"
#include "tests/receiver/sender/SenderQuery.h"

namespace {

using receiver_sim::SenderAnnouncement;
using receiver_sim::SenderQuery;
using Record = ReplySenderDiscovery::AnnounceType;

std::vector<uint8_t> Bytes(const ByteString& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

void Put(std::vector<uint8_t>& out, size_t at, const std::string& text) {
    std::memcpy(out.data() + at, text.data(), text.size());
}

TEST(AnnounceTypeTest, ConstructorZeroesEverythingItDoesNotFill) {
    // Built over a dirty buffer: no byte may keep the old contents.
    alignas(Record) unsigned char storage[sizeof(Record)];
    std::memset(storage, 0xA5, sizeof storage);
    Record* record = new (storage) Record();
    EXPECT_EQ(record->announceWord, 0u);
    EXPECT_EQ(record->receiverAddress, 0u);
    std::vector<uint8_t> expected(sizeof(Record), 0);
    const uint16_t ports[] = {16121, 16120, 16122};
    std::memcpy(expected.data() + 4, ports, sizeof ports);
    Put(expected, 10, "Quorvane Sender");
    Put(expected, 50, "KIRSO");
    Put(expected, 57, "Unknown Platform");
    expected[97] = 1;
    expected[98] = 45;
    EXPECT_EQ(std::vector<uint8_t>(storage, storage + sizeof storage), expected);
    record->~Record();
}

TEST(ReplySenderDiscoveryTest, GoldenReplyOf631Bytes) {
    Record record;
    record.announceWord = 0x01020304;
    record.noLoginCode = 1;
    record.clientState = 200;
    record.receiverAddress = 0x7F000001;

    std::vector<uint8_t> golden(631, 0);
    Put(golden, 0, "QKPS");
    const uint8_t head[] = {0x01, 0x02, 0x03, 0x04, 0x3E, 0xF9, 0x3E, 0xF8, 0x3E, 0xFA};
    std::memcpy(golden.data() + 4, head, sizeof head);
    Put(golden, 14, "Quorvane Sender");
    Put(golden, 54, "KIRSO");
    Put(golden, 61, "Unknown Platform");
    golden[101] = 1;
    golden[102] = 45;
    golden[119] = 1;
    golden[120] = 200;
    golden[122] = 0x7F;
    golden[125] = 0x01;

    ReplySenderDiscovery responder;
    EXPECT_EQ(Bytes(responder.BuildReply(record)), golden);
}

// The responder runs on the fixed ports for each test.
class ReplySenderDiscoveryPortsTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(query.Ok()); }

    // The next answer decoded; fails the test when none comes.
    SenderAnnouncement Decoded(const SenderQuery::Answer& answer) {
        SenderAnnouncement decoded;
        std::string error;
        EXPECT_TRUE(SenderAnnouncement::Decode(answer.bytes, &decoded, &error)) << error;
        return decoded;
    }

    Record record;
    ReplySenderDiscovery responder;
    SenderQuery query;
};

TEST_F(ReplySenderDiscoveryPortsTest, AnExactQueryGetsOneReplyFromItsPort) {
    ASSERT_EQ(responder.Start(11047, 11049, &record), 0);
    for (uint16_t port : {11047, 11048, 11049}) {
        SCOPED_TRACE(port);
        ASSERT_TRUE(query.SendQuery("127.0.0.1", port));
        auto answer = query.Receive();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->fromPort, port);
        EXPECT_EQ(answer->bytes.size(), 631u);
        const SenderAnnouncement decoded = Decoded(*answer);
        EXPECT_EQ(decoded.name, "Quorvane Sender");
        EXPECT_EQ(decoded.commandPort, 16121);
        EXPECT_TRUE(decoded.reservedZero);
    }
}

TEST_F(ReplySenderDiscoveryPortsTest, OtherDatagramsGetNoReply) {
    ASSERT_EQ(responder.Start(11047, 11049, &record), 0);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } rows[] = {
        {"VRPS", {'V', 'R', 'P', 'S'}},
        {"VRPC and more", {'V', 'R', 'P', 'C', 0}},
        {"VRPC twice", {'V', 'R', 'P', 'C', 'V', 'R', 'P', 'C'}},
        {"three bytes", {'V', 'R', 'P'}},
        {"empty", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // The responder reads one socket's datagrams in order: the exact
        // query sent behind the bad one is the first to be answered.
        ASSERT_TRUE(query.Send("127.0.0.1", 11048, row.bytes));
        ASSERT_TRUE(query.SendQuery("127.0.0.1", 11048));
        auto answer = query.Receive();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->bytes.size(), 631u);
        EXPECT_FALSE(query.Receive(0));
    }
}

TEST_F(ReplySenderDiscoveryPortsTest, APortHeldByAnotherProgramIsSkipped) {
    const int other = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(11047);
    ASSERT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);

    ASSERT_EQ(responder.Start(11047, 11049, &record), 0);
    for (uint16_t port : {11048, 11049}) {
        SCOPED_TRACE(port);
        ASSERT_TRUE(query.SendQuery("127.0.0.1", port));
        auto answer = query.Receive();
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->fromPort, port);
    }
    ::close(other);
}

TEST_F(ReplySenderDiscoveryPortsTest, StartAgainAnswersWithTheNewRecordAndStopEndsIt) {
    ASSERT_EQ(responder.Start(11047, 11049, &record), 0);
    Record second;
    std::strcpy(second.senderName, "second");
    ASSERT_EQ(responder.Start(11048, 11048, &second), 0);
    ASSERT_TRUE(query.SendQuery("127.0.0.1", 11048));
    auto answer = query.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(Decoded(*answer).name, "second");

    // Stopped: the ports are free again for anyone.
    responder.Stop();
    const int other = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(11048);
    EXPECT_EQ(::bind(other, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
    ::close(other);
}

}  // namespace
