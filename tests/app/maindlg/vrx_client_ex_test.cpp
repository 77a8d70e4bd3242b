// The application's client class: what reaches the event target (and what
// never does), the audio buffer size, the password check against hostile
// lengths, and the start and stop commands against the receiver simulator.
#include "app/maindlg/vrx_client_ex.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <mutex>
#include <utility>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/app/maindlg/sim_rig.h"

namespace pemuapp {
namespace {

struct Posted {
    platform::WindowId window;
    platform::Message msg;
};

class Recorder {
public:
    CQKVRXClientEx::Poster Poster() {
        return [this](platform::WindowId w, const platform::Message& m) {
            std::lock_guard<std::mutex> guard(lock);
            posted.push_back({w, m});
            return true;
        };
    }
    std::vector<Posted> Take() {
        std::lock_guard<std::mutex> guard(lock);
        return std::move(posted);
    }
    // The commands posted, in order.
    std::vector<uint32_t> Commands() {
        std::vector<uint32_t> out;
        for (const Posted& p : Take()) {
            if (p.msg.kind == platform::MessageKind::kCommand) {
                out.push_back(p.msg.code);
            }
        }
        return out;
    }
    std::mutex lock;
    std::vector<Posted> posted;
};

const platform::WindowId kWindow = platform::WindowId::FromParts(5, 1);

std::string CheckPwdData(uint16_t length, const std::string& text) {
    std::string d("CHK_PWD", 7);
    d.push_back('\0');
    d.push_back(static_cast<char>(length & 0xff));  // the high byte shares the tag's zero
    d[7] = static_cast<char>(length >> 8);
    return d + text;
}

TEST(ClientAdapter, AudioBufferFollowsThePreBufferTime) {
    Recorder r;
    CQKVRXClientEx client(r.Poster());
    const struct {
        uint16_t ms;
        int bytes;
    } rows[] = {{0, 11008}, {62, 11008}, {63, 11113}, {1000, 176400}, {65535, 11560374}};
    for (const auto& row : rows) {
        client.SetPreBufTime(row.ms);
        EXPECT_EQ(client.AudioBufferSize(), row.bytes) << row.ms;
    }
}

TEST(ClientAdapter, PasswordCheckRejectsHostileLengths) {
    const auto check = [](const std::string& data, const std::string& code) {
        return CQKVRXClientEx::CheckPassword(reinterpret_cast<const uint8_t*>(data.data()),
                                             static_cast<uint32_t>(data.size()), code);
    };
    const struct {
        const char* what;
        std::string data;
        std::string code;
        const char* reply;
    } rows[] = {
        {"exact", CheckPwdData(6, "123456"), "123456", "0"},
        {"wrong code", CheckPwdData(6, "123457"), "123456", "-1"},
        {"ends at its zero", CheckPwdData(8, std::string("1234\0\0zz", 8)), "1234", "0"},
        {"16 bytes", CheckPwdData(16, std::string(16, '7')), std::string(16, '7'), "0"},
        {"length above 16", CheckPwdData(17, std::string(17, '7')), std::string(16, '7'), "-1"},
        {"length beyond the data", CheckPwdData(12, "123456"), "123456", "-1"},
        {"big-endian 0x0106", CheckPwdData(0x0106, "123456"), "123456", "-1"},
        {"short data", std::string("CHK_PWD\0\0", 8), "", "-1"},
        {"empty code against empty text", CheckPwdData(0, ""), "", "0"},
        {"other tag",
         std::string("CHK_PWX\0\0\x01"
                     "1",
                     11),
         "1", "-1"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(check(row.data, row.code), row.reply) << row.what;
    }
    EXPECT_EQ(CQKVRXClientEx::CheckPassword(nullptr, 0, ""), "-1");
}

TEST(ClientAdapter, PasswordCheckComparesWithTheMainDialogsCodeOnly) {
    Recorder r;
    CQKVRXClientEx client(r.Poster());
    client.SetOwnLoginCode("246810");
    const std::string data = CheckPwdData(6, "246810");
    const auto answer = [&] {
        ByteString reply;
        client.OnForwardMessage(CQKVRXClientEx::kForwardTextId, static_cast<uint32_t>(data.size()),
                                reinterpret_cast<const uint8_t*>(data.data()), reply);
        return reply;
    };
    EXPECT_EQ(answer(), "-1");  // no target: the empty text
    client.SetEventTarget(kWindow, kCommonDialogTargetName);
    EXPECT_EQ(answer(), "-1");
    client.SetEventTarget(kWindow, kMainDialogTargetName);
    EXPECT_EQ(answer(), "0");

    ByteString reply = "kept";
    const std::string refresh("REF_UI", 7);
    client.OnForwardMessage(CQKVRXClientEx::kForwardTextId, 7,
                            reinterpret_cast<const uint8_t*>(refresh.data()), reply);
    client.OnForwardMessage(0x1000021, static_cast<uint32_t>(data.size()),
                            reinterpret_cast<const uint8_t*>(data.data()), reply);
    EXPECT_EQ(reply, "kept");
}

TEST(ClientAdapter, EventsReachOnlyARegisteredDialog) {
    Recorder r;
    CQKVRXClientEx client(r.Poster());
    client.OnConnectClose();
    client.OnStartPlayImage({});
    client.OnDeviceNotice(0xB6);
    EXPECT_TRUE(r.Take().empty());  // no target

    client.SetEventTarget(kWindow, L"SomeOtherDlg");
    client.OnConnectClose();
    EXPECT_TRUE(r.Take().empty());

    client.SetEventTarget(kWindow, kMainDialogTargetName);
    for (int notice = 0; notice < 256; ++notice) {
        client.OnDeviceNotice(static_cast<uint8_t>(notice));
    }
    client.OnConnectClose();
    client.OnSendIBError();
    const auto posted = r.Take();
    ASSERT_EQ(posted.size(), 3u);  // one notice (0xB6), the close, the image error
    const ClientEvent expected[] = {ClientEvent::kOnDeviceNotice, ClientEvent::kOnConnectClose,
                                    ClientEvent::kOnSendIBError};
    for (size_t i = 0; i < posted.size(); ++i) {
        EXPECT_EQ(posted[i].window, kWindow);
        EXPECT_EQ(posted[i].msg.kind, platform::MessageKind::kUser);
        EXPECT_EQ(posted[i].msg.code, kClientEventMessage);
        EXPECT_EQ(posted[i].msg.param, static_cast<int64_t>(expected[i]));
    }
    EXPECT_EQ(posted[0].msg.param2, 0xB6);
    EXPECT_EQ(posted[1].msg.param2, 0);  // no source number given

    // A lost connection names the client by its source number.
    client.SetEventSource(42);
    client.OnConnectClose();
    const auto closed = r.Take();
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].msg.param, static_cast<int64_t>(ClientEvent::kOnConnectClose));
    EXPECT_EQ(closed[0].msg.param2, 42);

    client.SetEventTarget(kWindow, kCommonDialogTargetName);
    client.OnSendIBError();  // the image error is the main dialog's only
    EXPECT_TRUE(r.Take().empty());
    client.SetEventTarget({}, kMainDialogTargetName);
    client.OnConnectClose();
    EXPECT_TRUE(r.Take().empty());
}

TEST(ClientAdapter, EventNamesRoundTrip) {
    for (uint32_t i = 0; i < static_cast<uint32_t>(ClientEvent::kCount); ++i) {
        const auto e = static_cast<ClientEvent>(i);
        EXPECT_EQ(ClientEventFromName(ClientEventName(e)), e);
    }
    EXPECT_EQ(ClientEventFromName(L"onconnectclose"), ClientEvent::kCount);
}

class ClientAdapterSimTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.ok);
        clockOverride = std::make_unique<platform::ScopedClockOverride>(clock);
        client = std::make_unique<CQKVRXClientEx>(recorder.Poster());
        SimRig::Prepare(*client);
        client->SetImageCoding(2);
    }
    void TearDown() override {
        client.reset();
        clockOverride.reset();
    }

    SimRig rig{92};
    const std::string& address = rig.address;
    platform::FakeClock clock{1000000};
    std::unique_ptr<platform::ScopedClockOverride> clockOverride;
    Recorder recorder;
    std::unique_ptr<CQKVRXClientEx> client;
};

TEST_F(ClientAdapterSimTest, EveryStartPostsItsCommandAndEveryStopItsOwn) {
    client->SetEventTarget(kWindow, kMainDialogTargetName);
    ASSERT_GE(client->Login(facadetest::Ip(address.c_str()), "ann", "6049"), 0)
        << client->GetErrorMessage();
    EXPECT_EQ(client->currentPeer.load(), facadetest::Ip(address.c_str()));
    // Full screen (no audio capability here) and each split position: a
    // start stops what ran first (10388), then tells of itself once (10376).
    for (uint8_t mode : {uint8_t{0x80}, uint8_t{1}, uint8_t{4}, uint8_t{0x80}}) {
        ASSERT_GE(client->StartPlayImage(mode), 0) << client->GetErrorMessage();
        const std::vector<uint32_t> expected{kCmdStopPlayImage, kCmdStartPlayImage};
        EXPECT_EQ(recorder.Commands(), expected) << int{mode};
    }
    EXPECT_TRUE(rig.rx->WaitForMessages(1, 10000)) << rig.rx->Error();
    ASSERT_GE(client->StopPlayImage(), 0);
    EXPECT_EQ(recorder.Commands(), std::vector<uint32_t>{kCmdStopPlayImage});

    // A common dialog hears of the start as an event, not a command.
    client->SetEventTarget(kWindow, kCommonDialogTargetName);
    ASSERT_GE(client->StartPlayImage(2), 0);
    const auto posted = recorder.Take();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().msg.kind, platform::MessageKind::kUser);
    EXPECT_EQ(posted.back().msg.param, static_cast<int64_t>(ClientEvent::kStartPlayImage));
}

TEST_F(ClientAdapterSimTest, AFailedStartPostsNothing) {
    client->SetEventTarget(kWindow, kMainDialogTargetName);
    EXPECT_LT(client->StartPlayImage(0x80), 0);  // not logged in
    EXPECT_TRUE(recorder.Commands().empty());
}

// A client whose receiver can take the PC's sound, and that a receiver
// handed one connection for it.
class AudioClient : public CQKVRXClientEx {
public:
    using CQKVRXClientEx::CQKVRXClientEx;
    // The library's threads end while this object is still whole.
    ~AudioClient() override { Shutdown(); }
    bool HasFbfBit20() override { return true; }
    platform::SocketHandle TakeAuxSocket() override {
        return std::exchange(auxSocket, platform::kInvalidSocket);
    }
    platform::SocketHandle auxSocket = 77;
};

TEST_F(ClientAdapterSimTest, FullScreenSoundUsesTheReceiversConnectionOnceThenItsAddress) {
    std::vector<std::string> calls;
    AudioModule module;
    module.start = [&](const std::string& address, int port, int rate, int channels, int bits,
                       int bufferBytes) {
        calls.push_back("start " + address + ":" + std::to_string(port) + " " +
                        std::to_string(rate) + "/" + std::to_string(channels) + "/" +
                        std::to_string(bits) + " " + std::to_string(bufferBytes));
        return 0;
    };
    module.startWithSocket = [&](platform::SocketHandle socket, int, int, int, int) {
        calls.push_back("socket " + std::to_string(socket));
        return 0;
    };
    module.stop = [&] { calls.push_back("stop"); };
    module.setVideoStartTime = [&](long) { calls.push_back("time"); };
    auto audio = std::make_unique<AudioClient>(recorder.Poster());
    SimRig::Prepare(*audio);
    audio->SetImageCoding(2);
    audio->SetAudioModule(module);
    ASSERT_GE(audio->Login(facadetest::Ip(address.c_str()), "ann", "6049"), 0)
        << audio->GetErrorMessage();
    ASSERT_GE(audio->StartPlayImage(0x80), 0) << audio->GetErrorMessage();
    ASSERT_GE(audio->StartPlayImage(2), 0);  // a split position: no sound
    ASSERT_GE(audio->StartPlayImage(0x80), 0);
    ASSERT_GE(audio->StopPlayImage(), 0);
    const std::string buffer = std::to_string(audio->AudioBufferSize());
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "time", "socket 77", "stop",  // the split start stops the sound
                         "time", "start " + address + ":1688 44100/2/16 " + buffer, "stop"}));
    audio.reset();
}

}  // namespace
}  // namespace pemuapp
