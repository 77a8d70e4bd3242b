// Requests and fire-and-forget frames of the command channel against the
// simulated receiver: the exact bytes on the wire, the values returned for
// scripted answers, and the play-state rules around them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <sstream>

#include "tests/vrxclientsdk/VRPClient/CmdClientFixture.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

using cmdtest::Bytes;
using cmdtest::CmdClientTest;
using cmdtest::ToBytes;
using receiver_sim::Reply;

// `text` zero-padded (or cut) to `size` bytes.
Bytes Field(const std::string& text, size_t size) {
    Bytes b(size, 0);
    std::copy_n(text.begin(), std::min(size, text.size()), b.begin());
    return b;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

const std::string kUrl = "http://127.0.0.1:8080/a.mp4";

struct RequestRow {
    const char* name;
    std::function<int(CmdClient&)> call;
    uint8_t code;   // what the receiver must see
    Bytes payload;  // exactly
    bool scripted;  // `reply` replaces the receiver's default answer
    Reply reply;
    int expected;  // the call's result
};

TEST_F(CmdClientTest, EveryRequestAndInputFrameHasItsExactBytes) {
    Connect();
    DevAnnounce record;
    ASSERT_EQ(client->ConnectToDeviceThruIP(&record), 0);  // version 0x130: input frames allowed
    const Bytes self = {127, 0, 0, 1};
    const Bytes status = {1, 2, 3, 4};
    const Bytes url = ToBytes(kUrl);
    const Bytes urlLen = {static_cast<uint8_t>(kUrl.size()), 0};

    std::vector<RequestRow> rows = {
        {"GetDeviceCap",
         [](CmdClient& c) { return c.GetDeviceCap(nullptr); },
         0x80,
         {},
         false,
         {},
         0},
        {"GetDeviceStatus",
         [](CmdClient& c) {
             uint8_t b[2];
             return c.GetDeviceStatus(b);
         },
         0x82,
         {},
         true,
         Reply::Answer({0x12, 0x34}),
         0},
        {"Login accepted", [](CmdClient& c) { return c.Login("alice", "1234"); }, 0x84,
         Cat({Field("alice", 48), self, Field("1234", 8)}), true, Reply::Result(1), 1},
        {"Login refused", [](CmdClient& c) { return c.Login("alice", "1234"); }, 0x84,
         Cat({Field("alice", 48), self, Field("1234", 8)}), true, Reply::Result(0), 0},
        {"Login special refusal",
         [](CmdClient& c) { return c.Login(std::string(60, 'n'), "123456789"); }, 0x84,
         Cat({Field(std::string(48, 'n'), 48), self, Field("12345678", 8)}), true,
         Reply::Result(255), 255},
        {"LoginEx",
         [](CmdClient& c) { return c.LoginEx("bob", "6049", 1, 2, 3, 4, 140522, "PID1234567"); },
         0x92,
         Cat({Field("bob", 48),
              self,
              Field("6049", 8),
              {1, 2, 3, 4, 0x01, 0x00, 0x00, 0x02, 0x24, 0xEA},
              ToBytes("PID12345"),
              Bytes(50, 0)}),
         false,
         {},
         1},
        {"LoginEx short product id",
         [](CmdClient& c) { return c.LoginEx("bob", "6049", 0, 0, 0, 0, 1, "AB"); },
         0x92,
         Cat({Field("bob", 48),
              self,
              Field("6049", 8),
              {0, 0, 0, 0, 0x01, 0x00, 0, 0, 0, 1},
              Field("AB", 8),
              Bytes(50, 0)}),
         false,
         {},
         1},
        {"StartPlayImage",
         [](CmdClient& c) { return c.StartPlayImage(0x80); },
         0x86,
         {0x80},
         false,
         {},
         1},
        {"StopPlayImage forced",
         [](CmdClient& c) { return c.StopPlayImage(1, true); },
         0x88,
         {1},
         false,
         {},
         1},
        {"CheckNCC",
         [](CmdClient& c) { return c.CheckNCC(); },
         0x8a,
         {},
         true,
         Reply::Result(255),
         255},
        {"StartPlayAckImage",
         [](CmdClient& c) { return c.StartPlayAckImage(2); },
         0x8c,
         {2},
         false,
         {},
         1},
        {"SetPreBufTime",
         [](CmdClient& c) { return c.SetPreBufTime(1000, true, true); },
         0x8e,
         Cat({{0x03, 0xE8, 1, 1}, Bytes(14, 0)}),
         false,
         {},
         1},
        {"ConnectToDeviceThruIP",
         [](CmdClient& c) {
             DevAnnounce r;
             return c.ConnectToDeviceThruIP(&r);
         },
         0x90,
         {},
         false,
         {},
         0},
        {"PausePlayImage",
         [](CmdClient& c) { return c.PausePlayImage(3); },
         0x94,
         {3},
         true,
         Reply::Result(0),
         0},
        {"ChangeValue",
         [](CmdClient& c) { return c.ChangeValue("volume", "70", 5); },
         0x96,
         Cat({Field("volume", 32), Field("70", 32)}),
         false,
         {},
         1},
        {"GetValue",
         [](CmdClient& c) {
             std::string v;
             return c.GetValue("volume", &v, 5);
         },
         0x98, Field("volume", 32), true, Reply::Answer(Field("70", 32)), 0},
        {"HideScreen", [](CmdClient& c) { return c.HideScreen(1); }, 0x9c, {1}, false, {}, 1},
        {"TestPort",
         [](CmdClient& c) { return c.TestPort(515); },
         0x9e,
         {0xa0, 0x02, 0x03},
         true,
         Reply::Answer({9, 7}),
         7},
        {"PlayVideo", [](CmdClient& c) { return c.PlayVideo(0x40, 3, kUrl); }, 0xa0,
         Cat({{0x40, 3}, urlLen, url, Bytes(260 - 4 - kUrl.size(), 0)}), true, Reply::Result(0), 0},
        {"StopVideo",
         [](CmdClient& c) {
             c.SetPlayState(kPlayMedia);
             uint8_t s[4] = {1, 2, 3, 4};
             return c.StopVideo(5, kUrl, s);
         },
         0xa2,
         Cat({{5}, urlLen, url, status}),
         false,
         {},
         1},
        {"PauseVideo",
         [](CmdClient& c) {
             c.SetPlayState(kPlayMedia);
             return c.PauseVideo(6, kUrl);
         },
         0xa4,
         Cat({{6}, urlLen, url}),
         false,
         {},
         1},
        {"SetVideoVol",
         [](CmdClient& c) {
             c.SetPlayState(kPlayIdle);
             return c.SetVideoVol(50);
         },
         0xa8,
         {50},
         false,
         {},
         1},
        {"SeekVideo negative position", [](CmdClient& c) { return c.SeekVideo(7, -5, kUrl); }, 0xaa,
         Cat({{7, 0xFB, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, urlLen, url}), true, Reply::Result(0), 0},
        {"GetVideoPos",
         [](CmdClient& c) { return c.GetVideoPos(); },
         0xac,
         {},
         true,
         Reply::Answer({0, 0, 1, 0}),
         256},
        {"GetVideoPos negative",
         [](CmdClient& c) { return c.GetVideoPos(); },
         0xac,
         {},
         true,
         Reply::Answer({0xFF, 0xFF, 0xFF, 0xFE}),
         qkerr::kVideoPosition},
        {"PlayAudio", [](CmdClient& c) { return c.PlayAudio(kUrl, 0x01020304, 9); }, 0xae,
         Cat({{1, 2, 3, 4}, url, Bytes(256 - kUrl.size(), 0), {1}, Bytes(31, 0)}), true,
         Reply::Result(0), 0},
        {"SupervisorLogin", [](CmdClient& c) { return c.SupervisorLogin("secret"); }, 0xb0,
         Field("secret", 20), true, Reply::Result(1), 1},
        {"GetKey",
         [](CmdClient& c) {
             uint8_t k[4];
             return c.GetKey(k);
         },
         0xb2,
         {},
         false,
         {},
         0},
        {"ClearScreen", [](CmdClient& c) { return c.ClearScreen(2, 5); }, 0xb6, {2}, false, {}, 1},
        {"GetVideoDuration", [](CmdClient& c) { return c.GetVideoDuration(); }, 0xb8, Bytes(16, 0),
         true, Reply::Answer(Cat({{0, 1, 0, 0}, Bytes(16, 0xAA)})), 65536},
        {"GetVideoDuration negative", [](CmdClient& c) { return c.GetVideoDuration(); }, 0xb8,
         Bytes(16, 0), true, Reply::Answer(Cat({{0x80, 0, 0, 0}, Bytes(16, 0)})),
         qkerr::kVideoDuration},
        {"GetSenderCount",
         [](CmdClient& c) { return c.GetSenderCount(); },
         0xbc,
         {},
         true,
         Reply::Answer({0, 0, 0, 5}),
         5},
        {"SetPenAttribute",
         [](CmdClient& c) { return c.SetPenAttribute(0x00332211, 4); },
         0xbe,
         Cat({{0x11, 0x22, 0x33, 4}, Bytes(28, 0)}),
         false,
         {},
         1},
        {"ForwardMessage dontrep",
         [](CmdClient& c) {
             ByteString r = "kept";
             return c.ForwardMessage(7, 5, "hello", &r, true);
         },
         0xc0,
         Cat({{0, 0, 0, 7, 0, 0, 0, 5, 1}, Bytes(23, 0), ToBytes("hello")}),
         false,
         {},
         0},
        {"SendMouseEvent",
         [](CmdClient& c) { return c.SendMouseEvent(true, false, true, -3, 4, -1); },
         0xf2,
         {5, 0xFD, 4, 0xFF},
         false,
         {},
         13},
        {"SendTouchEvent",
         [](CmdClient& c) { return c.SendTouchEvent(2, 300, 400, 1); },
         0xf3,
         {2, 0x01, 0x2C, 0x01, 0x90, 1, 0},
         false,
         {},
         16},
        {"SendLockKeyState",
         [](CmdClient& c) { return c.SendLockKeyState(1, true); },
         0xf4,
         {0x11, 1, 1},
         false,
         {},
         12},
        {"SendInputEvent",
         [](CmdClient& c) { return c.SendInputEvent(1, 30, 0x01020304); },
         0xf6,
         {0, 1, 0, 30, 1, 2, 3, 4},
         false,
         {},
         17},
    };
    for (const RequestRow& row : rows) {
        SCOPED_TRACE(row.name);
        sim->ClearFrames();
        if (row.scripted) {
            sim->QueueReply(row.code, row.reply);
        }
        EXPECT_EQ(row.call(*client), row.expected);
        const receiver_sim::SenderFrame frame = OnlyFrame();
        EXPECT_EQ(frame.code, row.code);
        EXPECT_EQ(cmdtest::Hex(frame.payload), cmdtest::Hex(row.payload));
    }
}

TEST_F(CmdClientTest, AnswersReachTheCaller) {
    receiver_sim::CommandConfig config;
    config.capabilities.width = 1280;
    config.capabilities.imageHeight = 720;
    config.capabilities.fbf = 0x81;
    config.capabilities.codings = {4, 7};
    Connect(config);

    DeviceCapRecord caps;
    ASSERT_EQ(client->GetDeviceCap(&caps), 0);
    EXPECT_EQ(caps.w, 1280);
    EXPECT_EQ(caps.ih, 720);
    EXPECT_EQ(caps.fbf, 0x81);
    EXPECT_EQ(caps.codings, (std::vector<uint8_t>{4, 7}));

    uint8_t deviceStatus[2] = {};
    sim->QueueReply(0x82, Reply::Answer({0x12, 0x34}));
    ASSERT_EQ(client->GetDeviceStatus(deviceStatus), 0);
    EXPECT_EQ(deviceStatus[0], 0x12);
    EXPECT_EQ(deviceStatus[1], 0x34);

    uint8_t key[4] = {};
    ASSERT_EQ(client->GetKey(key), 0);
    EXPECT_EQ(key[3], 0x44);

    ASSERT_EQ(client->ChangeValue("name", "Room 5", 5), 1);
    std::string value;
    ASSERT_EQ(client->GetValue("name", &value, 5), 0);
    EXPECT_EQ(value, std::string("Room 5") + std::string(26, '\0'));

    DevAnnounce record;
    ASSERT_EQ(client->ConnectToDeviceThruIP(&record), 0);
    EXPECT_EQ(client->GetDeviceProtocolVersion(), 0x130);
    EXPECT_EQ(record.GetCommandPort(), 3268);
    EXPECT_EQ(record.GetIPv4(), htonl(INADDR_LOOPBACK));  // the connected address

    ByteString reply;
    sim->QueueReply(0xc0, Reply::Answer(Cat({{0, 0, 0, 3}, Bytes(12, 0), ToBytes("abc")})));
    ASSERT_EQ(client->ForwardMessage(1, 4, "GET_", &reply, false), 0);
    EXPECT_EQ(reply, "abc");
    sim->QueueReply(0xc0, Reply::Answer(Bytes(16, 0)));
    ASSERT_EQ(client->ForwardMessage(1, 0, nullptr, &reply, false), 0);
    EXPECT_EQ(reply, "");
}

TEST_F(CmdClientTest, SetFrameBufferTakesTheReceiversValuesOnlyWhenAccepted) {
    Connect();
    struct Row {
        const char* name;
        Bytes answer;
        int expected;
        uint16_t w, h;
        uint8_t abpp, cs, cd;
    };
    const Row rows[] = {
        {"accepted with changes",
         {0x05, 0x00, 0x02, 0xD0, 16, 1, 0, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         0,
         1280,
         720,
         16,
         1,
         7},
        {"accepted, coding kept",
         {0x05, 0x00, 0x02, 0xD0, 16, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         0,
         1280,
         720,
         16,
         1,
         4},
        {"refused",
         {0x05, 0x00, 0x02, 0xD0, 16, 1, 3, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
         3,
         1920,
         1080,
         32,
         2,
         4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim->ClearFrames();
        sim->QueueReply(0xba, Reply::Answer(row.answer));
        uint16_t w = 1920, h = 1080;
        uint8_t abpp = 32, cs = 2, cd = 4;
        EXPECT_EQ(client->SetFrameBuffer(w, h, abpp, cs, true, cd, 800, 600, 1), row.expected);
        EXPECT_EQ(w, row.w);
        EXPECT_EQ(h, row.h);
        EXPECT_EQ(abpp, row.abpp);
        EXPECT_EQ(cs, row.cs);
        EXPECT_EQ(cd, row.cd);
        EXPECT_EQ(cmdtest::Hex(OnlyFrame().payload),
                  cmdtest::Hex({0x07, 0x80, 0x04, 0x38, 32, 2, 1, 4, 0x03, 0x20, 0x02,
                                0x58, 1,    0,    0,    0,  0, 0, 0, 0,    0}));
    }
}

TEST_F(CmdClientTest, PlayStateDecidesWhatIsSent) {
    Connect();
    struct Row {
        const char* name;
        uint32_t before;
        std::function<int(CmdClient&)> call;
        uint8_t scriptedCode;  // 0: the receiver's default answer
        Reply reply;
        int expected;
        bool sends;
        uint32_t after;
    };
    auto stopVideo = [](CmdClient& c) { return c.StopVideo(0, kUrl, nullptr); };
    const Row rows[] = {
        {"StopPlayImage idle, not forced",
         kPlayIdle,
         [](CmdClient& c) { return c.StopPlayImage(1, false); },
         0,
         {},
         1,
         false,
         kPlayIdle},
        {"StopPlayImage playing",
         kPlayImage,
         [](CmdClient& c) { return c.StopPlayImage(1, false); },
         0,
         {},
         1,
         true,
         kPlayIdle},
        {"StopPlayImage refused", kPlayImage,
         [](CmdClient& c) { return c.StopPlayImage(1, false); }, 0x88, Reply::Result(0), 0, true,
         kPlayImage},
        {"StartPlayImage accepted",
         kPlayIdle,
         [](CmdClient& c) { return c.StartPlayImage(1); },
         0,
         {},
         1,
         true,
         kPlayImage},
        {"StartPlayImage refused", kPlayImagePaused,
         [](CmdClient& c) { return c.StartPlayImage(1); }, 0x86, Reply::Result(0), 0, true,
         kPlayImagePaused},
        {"StartPlayImage special refusal", kPlayIdle,
         [](CmdClient& c) { return c.StartPlayImage(1); }, 0x86, Reply::Result(255), 255, true,
         kPlayImage},
        {"PausePlayImage",
         kPlayImage,
         [](CmdClient& c) { return c.PausePlayImage(1); },
         0,
         {},
         1,
         true,
         kPlayImagePaused},
        {"StopVideo idle", kPlayIdle, stopVideo, 0, {}, 1, false, kPlayIdle},
        {"StopVideo image playing", kPlayImage, stopVideo, 0, {}, 1, false, kPlayImage},
        {"StopVideo image paused", kPlayImagePaused, stopVideo, 0, {}, 1, false, kPlayImagePaused},
        {"StopVideo media", kPlayMedia, stopVideo, 0, {}, 1, true, kPlayIdle},
        {"StopVideo refused", kPlayMediaPaused, stopVideo, 0xa2, Reply::Result(0), 0, true,
         kPlayMediaPaused},
        {"PauseVideo idle",
         kPlayIdle,
         [](CmdClient& c) { return c.PauseVideo(0, kUrl); },
         0,
         {},
         1,
         false,
         kPlayIdle},
        {"PauseVideo media",
         kPlayMedia,
         [](CmdClient& c) { return c.PauseVideo(0, kUrl); },
         0,
         {},
         1,
         true,
         kPlayMediaPaused},
        {"PauseVideo resumes",
         kPlayMediaPaused,
         [](CmdClient& c) { return c.PauseVideo(0, kUrl); },
         0,
         {},
         1,
         true,
         kPlayMedia},
        {"PlayVideo refused", kPlayImage, [](CmdClient& c) { return c.PlayVideo(0, 3, kUrl); },
         0xa0, Reply::Result(0), 0, true, kPlayImage},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        client->SetPlayState(row.before);
        sim->ClearFrames();
        if (row.scriptedCode != 0) {
            sim->QueueReply(row.scriptedCode, row.reply);
        }
        EXPECT_EQ(row.call(*client), row.expected);
        EXPECT_EQ(client->GetPlayState(), row.after);
        if (row.sends) {
            EXPECT_TRUE(sim->WaitForFrames(1));
        } else {
            EXPECT_TRUE(NothingSent());
        }
    }
}

TEST_F(CmdClientTest, LocalShortcutsSendNothing) {
    Connect();
    struct Row {
        const char* name;
        std::function<int(CmdClient&)> call;
        int expected;
    };
    const Row rows[] = {
        {"CheckNCC ignored",
         [](CmdClient& c) {
             c.SetIgnoreNCC(true);
             int r = c.CheckNCC();
             c.SetIgnoreNCC(false);
             return r;
         },
         1},
        {"SetPreBufTime unchanged",
         [](CmdClient& c) {
             c.SetPreBufTime(500, true, false);
             return c.SetPreBufTime(500, false, false);
         },
         0},
        {"PlayVideo URL too long",
         [](CmdClient& c) { return c.PlayVideo(0, 3, std::string(256, 'u')); },
         qkerr::kPlayVideoStream},
        {"SetPenAttribute old receiver", [](CmdClient& c) { return c.SetPenAttribute(0, 1); },
         qkerr::kReceiverTooOld},
        {"SendTouchEvent old receiver", [](CmdClient& c) { return c.SendTouchEvent(0, 0, 0, 0); },
         qkerr::kReceiverTooOld},
        {"SendMouseEvent old receiver",
         [](CmdClient& c) { return c.SendMouseEvent(0, 0, 0, 0, 0, 0); }, qkerr::kReceiverTooOld},
        {"SendInputEvent old receiver", [](CmdClient& c) { return c.SendInputEvent(0, 0, 0); },
         qkerr::kReceiverTooOld},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(*client), row.expected);
        sim->ClearFrames();
        EXPECT_TRUE(NothingSent());
    }
    // The longest URL that fits goes out whole, with its terminator.
    sim->ClearFrames();
    sim->QueueReply(0xa0, Reply::Result(0));
    EXPECT_EQ(client->PlayVideo(0, 3, std::string(255, 'u')), 0);
    EXPECT_EQ(OnlyFrame().payload[4 + 254], 'u');
}

TEST_F(CmdClientTest, PreBufferWaitRefusesRequestsUntilTheReceiverIsReady) {
    Connect();
    ASSERT_EQ(client->PlayVideo(0, 3, kUrl), 1);
    EXPECT_EQ(client->GetPlayState(), kPlayMedia);
    EXPECT_TRUE(client->IsRequestPending());
    uint8_t status[2];
    EXPECT_EQ(client->GetDeviceStatus(status), qkerr::kReentry);

    sim->ClearFrames();
    ASSERT_TRUE(sim->SendEvent(0x9a, {0xb6}));  // pre-buffering done
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return !client->IsRequestPending(); }));
    EXPECT_EQ(client->GetDeviceStatus(status), 0);
    // The acknowledgement may still be on its way when the wait ends.
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return !sim->FramesWithCode(0x9b).empty(); }));
    sim->Settle();
    auto acks = sim->FramesWithCode(0x9b);
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].payload, Bytes{1});
}

TEST_F(CmdClientTest, StopVideoEventEndsThePreBufferWait) {
    Connect();
    ASSERT_EQ(client->PlayAudio(kUrl, 0, 0), 1);
    EXPECT_TRUE(client->IsRequestPending());
    Bytes stop(263, 0);
    ASSERT_TRUE(sim->SendEvent(0xa2, stop));
    ASSERT_TRUE(cmdtest::WaitUntil([&] { return !client->IsRequestPending(); }));
    EXPECT_EQ(client->GetPlayState(), kPlayIdle);
    EXPECT_EQ(client->RepeatMedia(kUrl), 1);  // the last media was audio
    sim->Settle();
    EXPECT_EQ(sim->FramesWithCode(0xae).size(), 2u);
    ASSERT_TRUE(sim->SendEvent(0x9a, {0xb6}));
}

TEST_F(CmdClientTest, LoginCodesNeverReachTheLog) {
    char path[] = "/tmp/cmdclient_log_XXXXXX";
    int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    Connect();
    client->GetLogger()->Open(path, LOG_DEBUG, false);
    EXPECT_EQ(client->Login("carol", "6049"), 1);
    EXPECT_EQ(client->LoginEx("carol", "913725", 0, 0, 0, 0, 1, "P"), 0);
    EXPECT_EQ(client->SupervisorLogin("913725"), 0);
    Bytes login(80, 0);
    std::copy_n("913725", 6, login.begin() + 52);
    ASSERT_TRUE(sim->SendEvent(0x84, login));
    ASSERT_TRUE(client->WaitCall("login:913725"));
    client->GetLogger()->Open(nullptr, 0, false);
    std::string text;
    if (FILE* f = std::fopen(path, "r")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
            text.append(buf, n);
        }
        std::fclose(f);
    }
    ::unlink(path);
    EXPECT_NE(text.find("Login carol xxxx"), std::string::npos);
    EXPECT_NE(text.find("OnLogin xxxx"), std::string::npos);
    // Only the login lines are searched: a pointer in another line may
    // happen to hold the digits.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Login") != std::string::npos) {
            EXPECT_EQ(line.find("6049"), std::string::npos) << line;
            EXPECT_EQ(line.find("913725"), std::string::npos) << line;
        }
    }
}

}  // namespace

namespace {

TEST_F(CmdClientTest, MuteTogglesThroughTheReceiverWhileMediaPlays) {
    Connect();
    client->SetPlayState(kPlayMedia);
    sim->ClearFrames();
    EXPECT_EQ(client->MuteUnmuteVolume(), 0);  // now muted
    EXPECT_EQ(client->GetMuteState(), 0);
    EXPECT_EQ(cmdtest::Hex(OnlyFrame().payload), "FF");

    // A volume while muted unmutes first.
    sim->ClearFrames();
    EXPECT_EQ(client->SetVideoVol(50), 1);
    EXPECT_EQ(client->GetMuteState(), 1);
    sim->Settle();
    auto frames = sim->FramesWithCode(0xa8);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(cmdtest::Hex(frames[0].payload), "FF");
    EXPECT_EQ(cmdtest::Hex(frames[1].payload), "32");

    // A refused toggle leaves the state as it was.
    sim->QueueReply(0xa8, Reply::Result(0));
    EXPECT_EQ(client->MuteUnmuteVolume(), qkerr::kSetVideoVolume);
    EXPECT_EQ(client->GetMuteState(), 1);

    // Without media the toggle is local.
    client->SetPlayState(kPlayIdle);
    sim->ClearFrames();
    EXPECT_EQ(client->MuteUnmuteVolume(), 0);
    EXPECT_TRUE(NothingSent());
}

TEST_F(CmdClientTest, DelayedAnswerIsAwaited) {
    Connect();
    sim->QueueReply(0x82, Reply::Answer({0x01, 0x02}, 50));
    uint8_t status[2] = {};
    EXPECT_EQ(client->GetDeviceStatus(status), 0);
    EXPECT_EQ(status[1], 0x02);
}

}  // namespace
