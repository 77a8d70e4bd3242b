// The facade's media, volume and status operations against the receiver
// simulator: its command side answers (or refuses) the requests, its media
// side fetches the played file from the sender's local web server by ranges.
// The web server module and the screen-stream helper are the real ones from
// the program's folder; the media servers listen on 127.0.0.1 only.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/display/fake_display_settings.h"
#include "platform/media_bind_address.h"
#include "platform/wide_text.h"
#include "tests/receiver/command/CommandWire.h"
#include "tests/receiver/media/MediaFetcher.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/media/curl_fetch.h"
#include "tests/vrxclientsdk/VRXClient/media/foreign_listener.h"
#include "tests/vrxclientsdk/VRXClient/media/media_test_env.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"
#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

namespace {

using facadetest::Bytes;
using facadetest::Ip;
using facadetest::WaitUntil;
using receiver_sim::Reply;
namespace wire = receiver_sim::wire;

constexpr const char* kAddress = "127.0.0.2";
constexpr size_t kFileSize = 100000;

// The facade with its media state exposed.
class MediaClient : public facadetest::TestClient {
public:
    uint16_t VideoPort() { return CurrentVideoPort(); }
    std::string MediaUrl() { return CurrentMediaUrl(); }
    std::wstring MediaFile() { return CurrentMediaFile(); }
    // A screen stream whose helper is looked up in `folder` only.
    void UseHelperFolder(const std::string& folder) { SetScreenStreamHelperFolderForTest(folder); }
};

class MediaFacadeTest : public testing::Test {
protected:
    void SetUp() override { Connect(0x0130); }

    // A fresh receiver of protocol `version`, and the facade logged in to it.
    void Connect(uint16_t version, uint16_t videoPort = 0) {
        client.reset();
        receiver.reset();
        VRXClient::ResetVideoPortFoundForTest();
        ::setenv(platform::kMediaBindAddressVariable, "127.0.0.1", 1);
        if (videoPort == 0) {
            videoPort = mediatest::FreePort();
        }
        receiver = std::make_unique<facadetest::SimReceiver>(
            kAddress, version, [&](receiver_sim::CommandConfig& config) {
                config.record.videoPort = videoPort;
                config.capabilities.fbf = 0x04 | 0x02;  // duration and progress
                config.capabilities.maxVolume = 100;
                config.capabilities.currentVolume = 50;
            });
        client = std::make_unique<MediaClient>();
        client->SetScreenStreamSettleStepsForTest(0);
        ASSERT_EQ(facadetest::Discover(*client, {{kAddress, receiver->sim->Port()}}), 0);
        ASSERT_EQ(client->Login(Ip(kAddress), "user", "6049"), 0) << client->GetErrorMessage();
        receiver->sim->ClearFrames();
    }

    void TearDown() override {
        client.reset();
        if (receiver) {
            EXPECT_TRUE(receiver->sim->Errors().empty());
        }
        ::unsetenv(platform::kMediaBindAddressVariable);
    }

    // Tells the facade that the receiver has pre-buffered, and waits until
    // the facade is free again.
    void PreBuffered() {
        receiver->sim->SendEvent(cmd::kEvDeviceNotice, {cmd::kNoticePreBufDone});
        EXPECT_TRUE(WaitUntil([&] { return !client->IsBusy(); }));
    }

    // Plays the test file and lets it pre-buffer; the URL the receiver got.
    std::string PlayFile() {
        EXPECT_EQ(client->PlayVideoFileW(path, false, 0), 0) << client->GetErrorMessage();
        PreBuffered();
        return LastPlayUrl();
    }

    std::string LastPlayUrl() {
        std::string url;
        for (const receiver_sim::ReceivedFrame& f : receiver->sim->Frames()) {
            if (const std::string u = receiver_sim::PlayRequestUrl(f.frame); !u.empty()) {
                url = u;
            }
        }
        return url;
    }

    size_t Count(uint8_t code) { return receiver->sim->FramesWithCode(code).size(); }

    testsupport::TempDir dir;
    std::string narrowPath = dir.File("clip.mp4");
    std::string bytes = mediatest::WriteRandomFile(narrowPath, kFileSize);
    std::wstring path = platform::Utf8ToWide(narrowPath);
    std::unique_ptr<facadetest::SimReceiver> receiver;
    std::unique_ptr<MediaClient> client;
};

std::string Expected(const char* scheme, uint16_t port) {
    char url[64];
    std::snprintf(url, sizeof url, "%s://%03d.%03d.%03d.%03d:%d", scheme, 127, 0, 0, 1, port);
    return url;
}

TEST_F(MediaFacadeTest, ReceiverPlaysTheFileByRangesUntilItIsStopped) {
    const std::string url = PlayFile();
    EXPECT_EQ(url.rfind(Expected("http", client->VideoPort()) + "/", 0), 0u) << url;
    EXPECT_EQ(client->GetStatus(), kVrxMediaPlaying);
    EXPECT_EQ(client->MediaUrl(), url);

    std::string played;
    ASSERT_TRUE(receiver_sim::PlayMedia(url, 7919, &played));
    EXPECT_TRUE(played == bytes);
    receiver_sim::MediaReply head = receiver_sim::FetchMedia(url, {}, true);
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.headers["content-length"], std::to_string(kFileSize));

    EXPECT_EQ(client->StopVideoFile(), 1);  // the receiver confirmed
    EXPECT_EQ(client->GetStatus(), kVrxIdle);
    EXPECT_TRUE(client->MediaFile().empty());
    EXPECT_EQ(receiver_sim::FetchMedia(url).status, 404);
    EXPECT_EQ(client->StopVideoFile(), 0);  // nothing left: nothing sent
    EXPECT_EQ(Count(wire::kStopVideo), 1u);
}

TEST_F(MediaFacadeTest, RefusedPlaysGiveTheirCodesWithdrawTheFileAndRestoreTheState) {
    struct Row {
        const char* name;
        uint8_t code;  // the request refused
        uint8_t answer;
        int expected;
    };
    const Row rows[] = {
        {"video refused", wire::kPlayVideo, 0, qkerr::kPlayVideoStream},
        {"video busy", wire::kPlayVideo, 2, qkerr::kDeviceBusyVideo},
        {"video conference", wire::kPlayVideo, 255, qkerr::kConferenceMode},
        {"audio refused", wire::kPlayAudio, 0, qkerr::kPlayVideoStream},
        {"audio busy", wire::kPlayAudio, 2, qkerr::kDeviceBusyVideo},
        {"audio conference", wire::kPlayAudio, 255, qkerr::kConferenceMode},
        {"conference check", wire::kCheckNCC, 255, qkerr::kConferenceMode},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        receiver->sim->ClearFrames();
        receiver->sim->QueueReply(row.code, Reply::Result(row.answer));
        const bool audio = row.code == wire::kPlayAudio;
        const int rc =
            audio ? client->PlayAudioFileW(path, false) : client->PlayVideoFileW(path, false, 0);
        EXPECT_EQ(rc, row.expected);
        EXPECT_EQ(client->GetErrorCode(), row.expected);
        EXPECT_EQ(client->GetStatus(), kVrxIdle);
        EXPECT_TRUE(client->MediaFile().empty());
        if (const std::string url = LastPlayUrl(); !url.empty()) {
            EXPECT_EQ(receiver_sim::FetchMedia(url).status, 404);
        } else {
            EXPECT_EQ(row.code, wire::kCheckNCC);
        }
    }
    // The refusals left nothing behind: the next play goes through.
    const std::string url = PlayFile();
    std::string played;
    EXPECT_TRUE(receiver_sim::PlayMedia(url, 65536, &played));
    EXPECT_EQ(played.size(), kFileSize);
}

TEST_F(MediaFacadeTest, MissingFileIsReportedBeforeAnythingIsSent) {
    const std::wstring missing = platform::Utf8ToWide(dir.File("missing.mp4"));
    EXPECT_EQ(client->PlayVideoFileW(missing, false, 0), qkerr::kFileNotExist);
    EXPECT_NE(client->GetErrorMessage().find(dir.File("missing.mp4")), std::string::npos);
    EXPECT_EQ(client->PlayAudioFileW(missing.c_str(), false), qkerr::kFileNotExist);
    EXPECT_EQ(client->PlayVideoFileW(static_cast<const wchar_t*>(nullptr), false, 0),
              qkerr::kFileNotExist);
    receiver->sim->Settle();
    EXPECT_TRUE(receiver->RequestCodes().empty());
}

TEST_F(MediaFacadeTest, PauseSeekAndDurationFollowThePlayState) {
    const std::string url = PlayFile();
    // GetVideoDuration: the value first, then 16 bytes the sender drops.
    Bytes duration(20, 0);
    duration[2] = 0x12;
    duration[3] = 0x34;
    receiver->sim->SetReply(wire::kGetVideoDuration, Reply::Answer(duration));
    receiver->sim->SetReply(wire::kGetVideoPos, Reply::Answer({0, 0, 0, 42}));

    struct Row {
        const char* name;
        std::function<int()> op;
        int expected;
        int status;  // afterwards
    };
    const Row rows[] = {
        {"duration", [&] { return client->GetMediaDuration(); }, 0x1234, kVrxMediaPlaying},
        {"progress", [&] { return client->GetMediaProgress(); }, 42, kVrxMediaPlaying},
        {"pause", [&] { return client->PauseResumeVideoFile(); }, 0, kVrxMediaPaused},
        {"seek while paused sends nothing", [&] { return client->SeekVideoFile(5); }, 0,
         kVrxMediaPaused},
        {"duration while paused", [&] { return client->GetMediaDuration(); }, 0x1234,
         kVrxMediaPaused},
        {"resume", [&] { return client->PauseResumeVideoFile(); }, 0, kVrxMediaPlaying},
        {"pause refused",
         [&] {
             receiver->sim->QueueReply(wire::kPauseVideo, Reply::Result(0));
             return client->PauseResumeVideoFile();
         },
         qkerr::kPauseVideoStream, kVrxMediaPlaying},
        {"seek refused",
         [&] {
             receiver->sim->QueueReply(wire::kSeekVideo, Reply::Result(0));
             return client->SeekVideoFile(7);
         },
         qkerr::kSeekVideoStream, kVrxMediaPlaying},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.op(), row.expected);
        EXPECT_EQ(client->GetStatus(), row.status);
    }
    EXPECT_EQ(Count(wire::kPauseVideo), 3u);
    EXPECT_EQ(Count(wire::kSeekVideo), 1u);

    // An accepted seek: the position goes out little-endian with the URL,
    // and is the progress while the receiver pre-buffers.
    receiver->sim->ClearFrames();
    EXPECT_EQ(client->SeekVideoFile(300), 0);
    EXPECT_EQ(client->GetMediaProgress(), 300);  // busy: the cached position
    PreBuffered();
    const std::vector<receiver_sim::SenderFrame> seeks =
        receiver->sim->FramesWithCode(wire::kSeekVideo);
    ASSERT_EQ(seeks.size(), 1u);
    const Bytes& p = seeks[0].payload;
    EXPECT_EQ(p[1] | (p[2] << 8), 300);
    EXPECT_EQ(std::string(p.begin() + 11, p.end()), url);

    // Outside a media play nothing is asked.
    EXPECT_EQ(client->StopVideoFile(), 1);
    receiver->sim->ClearFrames();
    EXPECT_EQ(client->GetMediaDuration(), 0);
    EXPECT_EQ(client->GetMediaProgress(), 0);
    EXPECT_EQ(client->PauseResumeVideoFile(), 0);
    EXPECT_EQ(client->SeekVideoFile(3), 0);
    receiver->sim->Settle();
    EXPECT_TRUE(receiver->RequestCodes().empty());
}

TEST_F(MediaFacadeTest, VolumeIsSetOnlyDuringMediaAndWithinTheReceiversRange) {
    EXPECT_EQ(client->GetVolLevel(), 50);
    EXPECT_EQ(client->GetMaxVolLevel(), 100);
    EXPECT_EQ(client->SetVolLevel(70), 0);  // idle: nothing is sent
    PlayFile();

    struct Row {
        int level;
        int expected;
        int sent;  // -1: nothing sent
        bool refused;
    };
    const Row rows[] = {
        {70, 0, 70, false},
        {70, 0, -1, false},
        {150, 0, 100, false},
        {-5, 0, 0, false},
        {30, qkerr::kSetVideoVolume, 30, true},
        {30, 0, 30, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.level);
        receiver->sim->ClearFrames();
        if (row.refused) {
            receiver->sim->QueueReply(wire::kSetVideoVol, Reply::Result(0));
        }
        EXPECT_EQ(client->SetVolLevel(row.level), row.expected);
        receiver->sim->Settle();
        const auto sent = receiver->sim->FramesWithCode(wire::kSetVideoVol);
        if (row.sent < 0) {
            EXPECT_TRUE(sent.empty());
        } else {
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].payload[0], row.sent);
        }
    }
    client->Logout();
    EXPECT_EQ(client->GetVolLevel(), qkerr::kDisconnected);
    EXPECT_EQ(client->SetVolLevel(10), qkerr::kDisconnected);
}

TEST_F(MediaFacadeTest, MuteTogglesThroughTheReceiverWhileMediaPlays) {
    EXPECT_EQ(client->GetMuteState(), 1);
    PlayFile();
    EXPECT_EQ(client->MuteUnmuteVolume(), 0);  // muted
    EXPECT_EQ(client->GetMuteState(), 0);
    const auto sent = receiver->sim->FramesWithCode(wire::kSetVideoVol);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].payload[0], 255);
    EXPECT_EQ(client->MuteUnmuteVolume(), 1);
}

TEST_F(MediaFacadeTest, AudioIsPlayedWithTheRequestTheReceiversVersionKnows) {
    struct Row {
        uint16_t version;
        uint8_t code;
    };
    for (const Row& row : {Row{0x0111, wire::kPlayVideo}, Row{0x0112, wire::kPlayAudio}}) {
        SCOPED_TRACE(row.version);
        Connect(row.version);
        EXPECT_EQ(client->PlayAudioFileW(path.c_str(), false), 0) << client->GetErrorMessage();
        PreBuffered();
        EXPECT_EQ(receiver->RequestCodes().back(), row.code);
        EXPECT_EQ(client->GetStatus(), kVrxMediaPlaying);
        std::string played;
        EXPECT_TRUE(receiver_sim::PlayMedia(LastPlayUrl(), 50000, &played));
        EXPECT_TRUE(played == bytes);
    }
}

TEST_F(MediaFacadeTest, AudioKeepsPlayingWhenItsPictureCannotBeShown) {
    // A capture window to show beside the audio; no image side listens, so
    // the picture's connection fails.
    client->SetWindowCapture(4242, true);
    std::thread receiverSide([&] {
        if (WaitUntil([&] { return Count(wire::kPlayAudio) == 1; })) {
            receiver->sim->SendEvent(cmd::kEvDeviceNotice, {cmd::kNoticePreBufDone});
        }
    });
    EXPECT_EQ(client->PlayAudioFileW(path, false), 0) << client->GetErrorMessage();
    receiverSide.join();
    EXPECT_EQ(client->GetErrorCode(), 0);
    EXPECT_EQ(client->GetStatus(), kVrxMediaPlaying);
    const auto plays = receiver->sim->FramesWithCode(wire::kPlayAudio);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].payload[4 + 256], 1);  // with a picture
    const auto clears = receiver->sim->FramesWithCode(wire::kClearScreen);
    ASSERT_EQ(clears.size(), 1u);
    EXPECT_EQ(clears[0].payload, Bytes{0x80});
    EXPECT_EQ(receiver_sim::FetchMedia(LastPlayUrl(), "0-9").status, 206);
    EXPECT_EQ(client->StopVideoFile(), 1);
}

TEST_F(MediaFacadeTest, StopEventRepeatsTheFileOrTearsItDown) {
    client->SetVideoFileRepeat(true);
    const std::string url = PlayFile();
    Bytes stop(cmd::kStopVideoPayload, 0);  // reason 0: the file ended
    stop[1] = static_cast<uint8_t>(url.size());
    std::copy(url.begin(), url.end(), stop.begin() + 3);
    receiver->sim->ClearFrames();
    ASSERT_TRUE(receiver->sim->SendEvent(cmd::kEvStopVideo, stop));
    ASSERT_TRUE(WaitUntil([&] { return Count(wire::kPlayVideo) == 1; }));
    PreBuffered();
    EXPECT_EQ(LastPlayUrl(), url);
    EXPECT_EQ(receiver_sim::FetchMedia(url, "0-9").status, 206);

    client->SetVideoFileRepeat(false);
    ASSERT_TRUE(receiver->sim->SendEvent(cmd::kEvStopVideo, stop));
    ASSERT_TRUE(WaitUntil([&] { return client->MediaFile().empty(); }));
    EXPECT_EQ(client->GetStatus(), kVrxIdle);
    EXPECT_EQ(receiver_sim::FetchMedia(url).status, 404);
}

TEST_F(MediaFacadeTest, FindVideoPortTestsPortsOnceAProcess) {
    struct Row {
        const char* name;
        std::vector<uint8_t> answers;  // second byte of each TestPort answer
        bool firstPortTaken;
        int expected;
        size_t tests;  // TestPort requests sent
    };
    const Row rows[] = {
        {"first port reachable", {1}, false, 0, 1},
        {"none reachable", {0, 0, 0}, false, qkerr::kNoInboundPort, 3},
        {"first port held here", {1}, true, 0, 1},
    };
    // The candidate ports are tried on an address of this process's own: a
    // port that another process holds on 127.0.0.1 would be skipped without
    // a request.
    const std::string own = testsupport::OwnLoopbackAddress(200, 0x0f);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::unique_ptr<mediatest::ForeignListener> holder;
        uint16_t first = 0;
        if (row.firstPortTaken) {
            holder = std::make_unique<mediatest::ForeignListener>(0, own.c_str());
            first = holder->Port();
            ASSERT_NE(first, 0);
        }
        Connect(0x0130, first);
        ::setenv(platform::kMediaBindAddressVariable, own.c_str(), 1);
        first = client->VideoPort();
        for (uint8_t answer : row.answers) {
            receiver->sim->QueueReply(wire::kTestPort, Reply::Answer({0, answer}));
        }
        EXPECT_EQ(client->FindVideoPort(3), row.expected);
        const auto tests = receiver->sim->FramesWithCode(wire::kTestPort);
        ASSERT_EQ(tests.size(), row.tests);
        std::vector<uint16_t> ports;
        for (const auto& t : tests) {
            ports.push_back(static_cast<uint16_t>(t.payload[1] << 8 | t.payload[2]));
            EXPECT_TRUE(IsValidVideoPort(ports.back()));
        }
        EXPECT_EQ(ports[0] == first, !row.firstPortTaken);
        if (row.expected == 0) {
            EXPECT_EQ(client->VideoPort(), ports.back());
            // Found once: later calls (of any facade) test nothing.
            receiver->sim->ClearFrames();
            EXPECT_EQ(client->FindVideoPort(3), 0);
            receiver->sim->Settle();
            EXPECT_TRUE(receiver->sim->FramesWithCode(wire::kTestPort).empty());
        }
    }
    // A lost connection during the test is returned as it is.
    Connect(0x0130);
    receiver->sim->QueueReply(wire::kTestPort, Reply::Disconnect());
    EXPECT_LT(client->FindVideoPort(3), 0);
    EXPECT_NE(client->GetErrorCode(), qkerr::kNoInboundPort);
}

TEST_F(MediaFacadeTest, StatusFollowsTheConnectionAndTheMedia) {
    struct Row {
        const char* name;
        std::function<void()> step;
        int status;
    };
    const Row rows[] = {
        {"logged in", [] {}, kVrxIdle},
        {"playing", [&] { PlayFile(); }, kVrxMediaPlaying},
        {"paused", [&] { client->PauseResumeVideoFile(); }, kVrxMediaPaused},
        {"stopped", [&] { client->StopVideoFile(); }, kVrxIdle},
        {"logged out", [&] { client->Logout(); }, kVrxDisconnected},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.step();
        EXPECT_EQ(client->GetStatus(), row.status);
    }
    EXPECT_EQ(client->HideScreen(), qkerr::kDisconnected);
    EXPECT_EQ(client->PlayVideoFileW(path, false, 0), qkerr::kDisconnected);
    EXPECT_EQ(client->StopVideoFile(), 0);
    EXPECT_EQ(client->StopK7RM(), 0);
}

TEST_F(MediaFacadeTest, HideScreenReportsARefusal) {
    EXPECT_EQ(client->HideScreen(), 0);
    receiver->sim->QueueReply(wire::kHideScreen, Reply::Result(0));
    EXPECT_EQ(client->HideScreen(), qkerr::kHideScreen);
    const auto sent = receiver->sim->FramesWithCode(wire::kHideScreen);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].payload, Bytes{128});
}

TEST_F(MediaFacadeTest, WhileLoggedInTheFileIsServedToTheReceiverAndThisHostOnly) {
    const std::string url = PlayFile();
    auto from = [&](const std::string& address) {
        return mediatest::CurlFetch(url, {"-r", "0-9", "--interface", address}).status;
    };
    EXPECT_EQ(from(kAddress), 206);
    EXPECT_EQ(from("127.0.0.1"), 206);
    EXPECT_EQ(from(testsupport::OwnLoopbackAddress(216, 0x07)), 0) << "refused";
}

TEST_F(MediaFacadeTest, LogoutWithdrawsThePlayedFile) {
    const std::string url = PlayFile();
    receiver->sim->SetReply(wire::kStopVideo, Reply::Result(0));  // the receiver refuses to stop
    EXPECT_EQ(client->StopVideoFile(), qkerr::kStopVideoStream);
    EXPECT_EQ(receiver_sim::FetchMedia(url, "0-0").status, 206);  // still playing
    client->Logout();
    EXPECT_EQ(client->GetStatus(), kVrxDisconnected);
    EXPECT_TRUE(client->MediaFile().empty());
    EXPECT_TRUE(client->MediaUrl().empty());
    EXPECT_EQ(receiver_sim::FetchMedia(url).status, 0);  // no server any more
}

TEST_F(MediaFacadeTest, TwentyPlayStopCyclesLeaveNothingBehind) {
    std::string url;
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        url = PlayFile();
        EXPECT_EQ(receiver_sim::FetchMedia(url, "0-99").status, 206);
        if (i % 2 == 0) {
            EXPECT_EQ(client->StopVideoFile(), 1);
        }  // else the next play stops it
    }
    client->Logout();
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 0);
    EXPECT_EQ(receiver_sim::FetchMedia(url).status, 0);
}

TEST_F(MediaFacadeTest, ScreenStreamIsOfferedAsAnMmshUrl) {
    testsupport::XvfbServer x("320x240x24");
    ASSERT_FALSE(x.Display().empty());
    ::setenv("DISPLAY", x.Display().c_str(), 1);
    EXPECT_EQ(client->StartK7RM(0, 0, 160, 120, 0, 0, true), 0) << client->GetErrorMessage();
    PreBuffered();
    const auto plays = receiver->sim->FramesWithCode(wire::kPlayVideo);
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].payload[0], 0x40);  // the receiver takes JPEG
    const std::string url = receiver_sim::PlayRequestUrl(plays[0]);
    const auto tests = receiver->sim->FramesWithCode(wire::kTestPort);
    ASSERT_EQ(tests.size(), 1u);
    const uint16_t port = static_cast<uint16_t>(tests[0].payload[1] << 8 | tests[0].payload[2]);
    EXPECT_GE(port, 10000);
    EXPECT_LT(port, 60000);
    EXPECT_EQ(url, Expected("mmsh", port));
    EXPECT_EQ(client->GetStatus(), kVrxScreenStream);

    // A file play stops the screen stream first.
    receiver->sim->ClearFrames();
    PlayFile();
    EXPECT_EQ(receiver->RequestCodes().front(), wire::kCheckNCC);
    const auto stops = receiver->sim->FramesWithCode(wire::kStopVideo);
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_EQ(std::string(stops[0].payload.begin() + 3, stops[0].payload.end() - 4), url);
    EXPECT_EQ(client->GetStatus(), kVrxMediaPlaying);

    EXPECT_EQ(client->StartK7RM(0, 0, 160, 120, 0, 0, false), 0);
    PreBuffered();
    EXPECT_EQ(client->GetStatus(), kVrxScreenStream);
    EXPECT_EQ(client->StopK7RM(), 0);
    EXPECT_EQ(client->GetStatus(), kVrxIdle);
    ::unsetenv("DISPLAY");
}

TEST_F(MediaFacadeTest, RepeatOfTheScreenStreamOffersItsUrlAgain) {
    testsupport::XvfbServer x("320x240x24");
    ASSERT_FALSE(x.Display().empty());
    ::setenv("DISPLAY", x.Display().c_str(), 1);
    ASSERT_EQ(client->StartK7RM(0, 0, 160, 120, 0, 0, true), 0) << client->GetErrorMessage();
    PreBuffered();
    const std::string url = LastPlayUrl();
    ASSERT_FALSE(url.empty());
    Bytes stop(cmd::kStopVideoPayload, 0);  // reason 0: the stream ended
    stop[1] = static_cast<uint8_t>(url.size());
    std::copy(url.begin(), url.end(), stop.begin() + 3);

    client->SetVideoFileRepeat(true);
    receiver->sim->ClearFrames();
    ASSERT_TRUE(receiver->sim->SendEvent(cmd::kEvStopVideo, stop));
    ASSERT_TRUE(WaitUntil([&] { return Count(wire::kPlayVideo) == 1; }));
    PreBuffered();
    EXPECT_EQ(LastPlayUrl(), url);
    EXPECT_EQ(client->GetStatus(), kVrxScreenStream);

    client->SetVideoFileRepeat(false);
    receiver->sim->ClearFrames();
    ASSERT_TRUE(receiver->sim->SendEvent(cmd::kEvStopVideo, stop));
    // The event is over once it is acknowledged.
    EXPECT_TRUE(WaitUntil([&] {
        for (const receiver_sim::ReceivedFrame& f : receiver->sim->Frames()) {
            if (f.frame.kind == receiver_sim::SenderFrame::Kind::kAck &&
                f.frame.code == cmd::kEvStopVideo + 1) {
                return true;
            }
        }
        return false;
    }));
    EXPECT_NE(client->GetStatus(), kVrxScreenStream);
    client->StopK7RM();
    ::unsetenv("DISPLAY");
}

TEST_F(MediaFacadeTest, ScreenStreamFailuresKeepTheirCodes) {
    testsupport::TempDir empty;
    client->UseHelperFolder(empty.Path().string());
    EXPECT_EQ(client->StartK7RM(0, 0, 160, 120, 0, 0, false), qkerr::kK7rmNotInstalled);

    testsupport::TempDir helper;
    const std::string script = helper.File(VideoScreenStream::kHelperName);
    std::ofstream(script) << "#!/bin/sh\nexit 3\n";
    ::chmod(script.c_str(), 0755);
    client->UseHelperFolder(helper.Path().string());
    EXPECT_EQ(client->StartK7RM(0, 0, 160, 120, 0, 0, false), qkerr::kK7rmCantStart);
    receiver->sim->Settle();
    EXPECT_TRUE(receiver->sim->FramesWithCode(wire::kPlayVideo).empty());
    EXPECT_EQ(client->GetStatus(), kVrxIdle);
}

// The display-settings seam: what is changed for projection, and when.
TEST(VRXClientDisplay, ClientDisplayChangesOnlyWhatProjectionNeeds) {
    struct Row {
        const char* name;
        int width, height;
        bool compositionOff, allow16, extended;
        int accel;
        bool setDisplayOk;
        int setDisplayExResult;
        int expected;
        std::vector<std::string> calls;
    };
    // Before any login the receiver's depth reads 16 and it lists no JPEG.
    const Row rows[] = {
        {"same size",
         1920,
         1080,
         false,
         false,
         false,
         5,
         true,
         0,
         0,
         {"GetDesktopConfig 0", "SetDirectDraw 1"}},
        {"smaller size",
         1280,
         720,
         false,
         false,
         false,
         5,
         true,
         0,
         0,
         {"GetDesktopConfig 0", "SetDirectDraw 1", "SetDisplay 0 1280 720 0"}},
        {"16-bit colour",
         1920,
         1080,
         false,
         true,
         false,
         5,
         true,
         0,
         0,
         {"GetDesktopConfig 0", "SetDirectDraw 1", "SetDisplay 0 1920 1080 16"}},
        {"composition off, acceleration backed up",
         1920,
         1080,
         true,
         false,
         false,
         3,
         true,
         0,
         0,
         {"GetDesktopConfig 0", "BackupComposition", "SetComposition 0", "GetAccel", "BackupAccel",
          "SetDirectDraw 1", "SetDisplay 5 1920 1080 0"}},
        {"composition off, full acceleration",
         1920,
         1080,
         true,
         false,
         false,
         5,
         true,
         0,
         0,
         {"GetDesktopConfig 0", "BackupComposition", "SetComposition 0", "GetAccel",
          "SetDirectDraw 1"}},
        {"refused",
         1280,
         720,
         false,
         false,
         false,
         5,
         false,
         0,
         qkerr::kDisplaySetting,
         {"GetDesktopConfig 0", "SetDirectDraw 1", "SetDisplay 0 1280 720 0"}},
        {"extended refused",
         1280,
         720,
         false,
         false,
         true,
         5,
         true,
         7,
         qkerr::kDisplaySetting,
         {"GetDesktopConfig 0", "SetDirectDraw 1", "SetDisplayEx 0 1280 720 0 1"}},
        {"no size",
         0,
         720,
         false,
         false,
         false,
         5,
         true,
         0,
         qkerr::kDisplaySetting,
         {"GetDesktopConfig 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        platform::FakeDisplaySettings display;
        display.accel = row.accel;
        display.setDisplayResult = row.setDisplayOk;
        display.setDisplayExResult = row.setDisplayExResult;
        platform::SetDisplaySettingsForTest(&display);
        facadetest::TestClient client;
        EXPECT_EQ(client.SetClientDisplay(row.width, row.height, row.compositionOff, row.allow16,
                                          row.extended),
                  row.expected);
        EXPECT_EQ(display.Calls(), row.calls);
        if (row.expected == qkerr::kDisplaySetting) {
            // The detail names the size, and the reason an extended call gave.
            const std::string detail = row.extended ? ": 1280x720 7." : "x720.";
            EXPECT_NE(client.GetErrorMessage().find(detail), std::string::npos)
                << client.GetErrorMessage();
        }
        platform::SetDisplaySettingsForTest(nullptr);
    }
}

// Keyboard-command records with absolute axes become pointer positions.
class TrackingClient : public facadetest::TestClient {
public:
    void OnPointerPosition(uint16_t x, uint16_t y) override { positions.push_back({x, y}); }
    std::vector<std::pair<int, int>> positions;
};

std::string KeyRecord(uint16_t type, uint16_t code, int32_t value) {
    std::string r(16, '\0');
    r[8] = static_cast<char>(type & 0xff);
    r[9] = static_cast<char>(type >> 8);
    r[10] = static_cast<char>(code & 0xff);
    r[11] = static_cast<char>(code >> 8);
    for (int i = 0; i < 4; ++i) {
        r[12 + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xff);
    }
    return r;
}

TEST(VRXClientInput, AbsoluteAxisRecordsAssemblePointerPositions) {
    struct Step {
        std::string record;
        std::vector<std::pair<int, int>> positions;  // all reported so far
    };
    const Step steps[] = {
        {KeyRecord(3, 0, 100), {}},                          // x waits for y
        {KeyRecord(3, 1, 200), {{100, 200}}},                // the pair
        {KeyRecord(1, 0, 7), {{100, 200}}},                  // a key: not an axis
        {KeyRecord(3, 5, 7), {{100, 200}}},                  // another axis
        {KeyRecord(3, 1, 210).substr(0, 15), {{100, 200}}},  // cut short
        {KeyRecord(3, 1, 220), {{100, 200}}},                // y waits for x
        {KeyRecord(3, 1, 230), {{100, 200}, {100, 230}}},    // same axis: moves
        {KeyRecord(3, 1, 240), {{100, 200}, {100, 230}, {100, 240}}},
        {KeyRecord(3, 0, 110), {{100, 200}, {100, 230}, {100, 240}, {110, 240}}},
        {KeyRecord(3, 0, 120), {{100, 200}, {100, 230}, {100, 240}, {110, 240}}},
    };
    TrackingClient client;
    int i = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(i++);
        client.OnKeyboardCommand(step.record);
        EXPECT_EQ(client.positions, step.positions);
    }
}

}  // namespace
