// Device events from the simulated receiver: the callback each reaches with
// its arguments, the exact acknowledgement (or none), and malformed events
// that must be rejected without over-read, large allocation or hang.
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/vrxclientsdk/VRPClient/CmdClientFixture.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using cmdtest::Bytes;
using cmdtest::CmdClientTest;
using cmdtest::Hex;
using cmdtest::ToBytes;
using receiver_sim::Reply;

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

Bytes StopVideoPayload(uint8_t reason, uint16_t claimedLength, const std::string& url) {
    Bytes p(263, 0);
    p[0] = reason;
    p[1] = static_cast<uint8_t>(claimedLength);
    p[2] = static_cast<uint8_t>(claimedLength >> 8);
    std::copy_n(url.begin(), std::min<size_t>(url.size(), 256), p.begin() + 3);
    p[259] = 1;
    p[260] = 2;
    p[261] = 3;
    p[262] = 4;
    return p;
}

Bytes ForwardPayload(uint32_t id, uint32_t size, uint8_t dontrep, const std::string& data) {
    Bytes p(32 + data.size(), 0);
    p[0] = static_cast<uint8_t>(id >> 24);
    p[1] = static_cast<uint8_t>(id >> 16);
    p[2] = static_cast<uint8_t>(id >> 8);
    p[3] = static_cast<uint8_t>(id);
    p[4] = static_cast<uint8_t>(size >> 24);
    p[5] = static_cast<uint8_t>(size >> 16);
    p[6] = static_cast<uint8_t>(size >> 8);
    p[7] = static_cast<uint8_t>(size);
    p[8] = dontrep;
    std::copy(data.begin(), data.end(), p.begin() + 32);
    return p;
}

// A notice whose callback and acknowledgement mark the end of a row: every
// frame of the row has been handled before it.
constexpr uint8_t kSentinel = 0x77;

struct EventRow {
    const char* name;
    uint8_t code;
    Bytes payload;
    const char* call;  // the callback line, or "" for none
    uint8_t ackCode;   // 0: no acknowledgement
    Bytes ack;
};

TEST_F(CmdClientTest, EveryEventReachesItsCallbackAndIsAcknowledgedAsDefined) {
    Connect();
    client->forwardReply = "ok";
    Bytes login(80, 0);
    std::copy_n("6049", 4, login.begin() + 52);
    Bytes loginUnterminated(80, 0);
    std::fill(loginUnterminated.begin() + 52, loginUnterminated.end(), 'A');
    const Bytes key = cmdtest::ToBytes(std::string("volume") + std::string(26, '\0'));
    const Bytes value = cmdtest::ToBytes(std::string("42") + std::string(30, '\0'));
    const std::string longUrl(256, 'u');
    Bytes stringInput = {0x00, 0x02, 0x00, 0x04};
    stringInput.resize(16, 0);
    stringInput.insert(stringInput.end(), {'a', 0, 'b', 0});

    const EventRow rows[] = {
        {"refresh screen", 0x70, Bytes(15, 9), "refresh:090909090909090909090909090909", 0x71,
         Cat({{1}, Bytes(14, 0)})},
        {"login", 0x84, login, "login:6049", 0x85, {1}},
        {"login code without terminator",
         0x84,
         loginUnterminated,
         "login:AAAAAAAAAAAAAAAAAAAAAAAAAAAA",
         0x85,
         {1}},
        {"start play image", 0x86, {0x80}, "start:80", 0x87, {0x80}},
        {"pause play image", 0x94, {0x02}, "pause:02", 0x95, {0x02}},
        {"stop play image", 0x88, {0x01}, "stop:01", 0x89, {1}},
        {"change value", 0x96, Cat({key, value}), "", 0x97, {1}},
        {"device notice", 0x9a, {0x10}, "notice:10", 0x9b, {1}},
        {"stop video",
         0xa2,
         StopVideoPayload(2, 5, "abcde"),
         "stopvideo:2:abcde:01020304",
         0xa3,
         {1}},
        {"stop video, URL length beyond its field",
         0xa2,
         StopVideoPayload(0, 0xFFFF, longUrl),
         "",
         0xa3,
         {1}},
        {"forward message answered", 0xc0, ForwardPayload(9, 3, 0, "xyz"), "forward:9:3:xyz", 0xc1,
         Cat({{0, 0, 0, 2}, Bytes(12, 0), ToBytes("ok")})},
        {"forward message, no reply wanted",
         0xc0,
         ForwardPayload(9, 3, 1, "xyz"),
         "forward:9:3:xyz",
         0,
         {}},
        {"forward message without data", 0xc0, ForwardPayload(10, 0, 0, ""), "forward:10:0:", 0xc1,
         Cat({{0, 0, 0, 2}, Bytes(12, 0), ToBytes("ok")})},
        {"sidebar", 0xc3, {5}, "sidebar:05", 0, {}},
        {"relay", 0xf0, {1, 2, 3, 4, 5, 6, 7}, "relay:01020304050607", 0, {}},
        {"keyboard", 0xf1, Bytes(19, 1), "keyboard:01010101010101010101010101010101010101", 0, {}},
        {"mouse", 0xf2, {7, 6, 5, 4, 3, 2, 1}, "mouse:07060504030201", 0, {}},
        {"touch", 0xf3, {3, 0x01, 0x00, 0x02, 0x00, 1, 9}, "touch:3:256:512:1", 0, {}},
        {"string input", 0xf5, stringInput, "string:", 0, {}},
        {"string input without text", 0xf5, Bytes(16, 0), "", 0, {}},
        {"code without a handler", 0x72, {}, "", 0, {}},
    };
    for (const EventRow& row : rows) {
        SCOPED_TRACE(row.name);
        client->ClearCalls();
        sim->ClearFrames();
        ASSERT_TRUE(sim->SendEvent(row.code, row.payload));
        ASSERT_TRUE(sim->SendEvent(0x9a, {kSentinel}));
        ASSERT_TRUE(client->WaitCall("notice:77"));
        ASSERT_TRUE(cmdtest::WaitUntil([&] { return !sim->FramesWithCode(0x9b).empty(); }));
        sim->Settle();
        const auto calls = client->Calls();
        if (*row.call) {
            ASSERT_EQ(calls.size(), 2u);
            EXPECT_EQ(calls[0].substr(0, std::string(row.call).size()), row.call);
        }
        auto frames = sim->Frames();
        ASSERT_FALSE(frames.empty());
        if (row.ackCode != 0) {
            ASSERT_EQ(frames.size(), 2u);
            EXPECT_EQ(frames[0].frame.code, row.ackCode);
            EXPECT_EQ(Hex(frames[0].frame.payload), Hex(row.ack));
        } else {
            EXPECT_EQ(frames.size(), 1u);
        }
        EXPECT_EQ(frames.back().frame.code, 0x9b);
    }
    // The arguments that the table only checks by prefix.
    client->ClearCalls();
    ASSERT_TRUE(sim->SendEvent(0x96, Cat({key, value})));
    ASSERT_TRUE(client->WaitCall("change:" + Hex(key) + ":" + Hex(value)));
    ASSERT_TRUE(sim->SendEvent(0xa2, StopVideoPayload(0, 0xFFFF, longUrl)));
    ASSERT_TRUE(client->WaitCall("stopvideo:0:" + longUrl + ":01020304"));
    ASSERT_TRUE(sim->SendEvent(0xf5, stringInput));
    ASSERT_TRUE(client->WaitCall("string:" + Hex(Bytes{0x02, 0x00, 0x04, 0x00}) +
                                 Hex(Bytes(12, 0)) + "61006200"));
    ASSERT_TRUE(sim->SendEvent(0xf5, Bytes(16, 0)));
    ASSERT_TRUE(client->WaitCall("string:" + Hex(Bytes(16, 0))));
}

TEST_F(CmdClientTest, EventsKeepThePlayStateInStep) {
    Connect();
    struct Row {
        const char* name;
        uint32_t before;
        uint8_t code;
        Bytes payload;
        uint32_t after;
    };
    const Row rows[] = {
        {"start", kPlayIdle, 0x86, {1}, kPlayImage},
        {"pause while playing", kPlayImage, 0x94, {1}, kPlayImagePaused},
        {"pause while idle", kPlayIdle, 0x94, {1}, kPlayIdle},
        {"stop while paused", kPlayImagePaused, 0x88, {1}, kPlayIdle},
        {"stop while idle", kPlayIdle, 0x88, {1}, kPlayIdle},
        {"stop image while media plays", kPlayMedia, 0x88, {1}, kPlayMedia},
        {"stop video while media paused", kPlayMediaPaused, 0xa2, Bytes(263, 0), kPlayIdle},
        {"stop video while image plays", kPlayImage, 0xa2, Bytes(263, 0), kPlayImage},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        client->SetPlayState(row.before);
        client->ClearCalls();
        ASSERT_TRUE(sim->SendEvent(row.code, row.payload));
        ASSERT_TRUE(sim->SendEvent(0x9a, {kSentinel}));
        ASSERT_TRUE(client->WaitCall("notice:77"));
        EXPECT_EQ(client->GetPlayState(), row.after);
    }
}

// Frames from a broken or hostile receiver: each ends the connection with a
// clear error, once, and nothing is allocated for an absurd length.
TEST_F(CmdClientTest, OversizeLengthsFailTheConnection) {
    struct Row {
        const char* name;
        Bytes frame;  // after the prefix
    };
    const Row rows[] = {
        {"forward message event over the cap",
         Cat({{0xc0}, ForwardPayload(1, 1024 * 1024 + 1, 0, "")})},
        {"forward message event of 4 GiB", Cat({{0xc0}, ForwardPayload(1, 0xFFFFFFFF, 0, "")})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Connect();
        Bytes raw = ToBytes(std::string("vrpcmd\0\0", 8));
        raw.insert(raw.end(), row.frame.begin(), row.frame.end());
        ASSERT_TRUE(sim->SendRaw(raw));
        ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() == 1; }));
        EXPECT_EQ(client->errorAtClose.load(), -EMSGSIZE);
        EXPECT_TRUE(client->Calls().empty());
        EXPECT_TRUE(sim->WaitForNoOpenConnection());
        client.reset();
    }
}

TEST_F(CmdClientTest, ForwardMessageReplyOverTheCapFailsTheRequest) {
    Connect();
    sim->QueueReply(0xc0, Reply::Answer(Cat({{0xFF, 0xFF, 0xFF, 0xF0}, Bytes(12, 0)})));
    ByteString reply = "untouched";
    EXPECT_EQ(client->ForwardMessage(1, 2, "hi", &reply, false), -EMSGSIZE);
    EXPECT_EQ(reply, "untouched");
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() == 1; }));
}

TEST_F(CmdClientTest, ForwardMessageEventAtTheCapIsDelivered) {
    Connect();
    const std::string data(1024 * 1024, 'd');
    ASSERT_TRUE(sim->SendEvent(0xc0, ForwardPayload(3, 1024 * 1024, 1, data)));
    EXPECT_TRUE(client->WaitCall("forward:3:1048576:dddddddddddddddd"));
    EXPECT_EQ(client->closeCount.load(), 0);
}

TEST_F(CmdClientTest, HalfAnAnswerThenCloseFailsTheRequestOnce) {
    Connect();
    receiver_sim::CapabilityBlock caps;
    Bytes frame = ToBytes(std::string("vrpcmd\0\0", 8));
    frame.push_back(0x81);
    const Bytes block = caps.Encode();
    frame.insert(frame.end(), block.begin(), block.end());
    sim->QueueReply(0x80, Reply::HalfThenClose(frame));
    DeviceCapRecord record;
    record.w = 77;
    const int rc = client->GetDeviceCap(&record);
    EXPECT_LT(rc, 0);
    EXPECT_EQ(record.w, 77);
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() == 1; }));
    EXPECT_TRUE(cmdtest::WaitUntil([&] { return !client->IsConnected(); }));
    client->ShutdownConnection();
    EXPECT_EQ(client->closeCount.load(), 1);
}

TEST_F(CmdClientTest, ScriptedDisconnectEndsTheWaitingRequest) {
    Connect();
    sim->QueueReply(0x82, Reply::Disconnect());
    uint8_t status[2];
    EXPECT_EQ(client->GetDeviceStatus(status), qkerr::kGracefullyClosed);
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return client->closeCount.load() == 1; }));
    EXPECT_EQ(client->errorAtClose.load(), qkerr::kGracefullyClosed);
    client->ShutdownConnection();
    EXPECT_EQ(client->closeCount.load(), 1);
}

TEST_F(CmdClientTest, GarbageBeforeAPrefixIsSkipped) {
    Connect();
    ASSERT_TRUE(sim->SendRaw(ToBytes("garbage!vrpcm")));
    ASSERT_TRUE(sim->SendEvent(0x9a, {0x31}));
    EXPECT_TRUE(client->WaitCall("notice:31"));
    EXPECT_EQ(client->closeCount.load(), 0);
    uint8_t status[2];
    EXPECT_EQ(client->GetDeviceStatus(status), 0);
}

TEST_F(CmdClientTest, AFloodOfEventsIsHandledInOrder) {
    Connect();
    constexpr size_t kCount = 20000;
    ASSERT_TRUE(sim->FloodEvents(0x9a, {0x42}, kCount));
    ASSERT_TRUE(sim->SendEvent(0x9a, {kSentinel}));
    ASSERT_TRUE(client->WaitCall("notice:77", 60000));
    ASSERT_TRUE(
        cmdtest::WaitUntil([&] { return sim->FramesWithCode(0x9b).size() == kCount + 1; }, 60000));
    EXPECT_EQ(client->Calls().size(), kCount + 1);
    EXPECT_EQ(client->closeCount.load(), 0);
}

}  // namespace
