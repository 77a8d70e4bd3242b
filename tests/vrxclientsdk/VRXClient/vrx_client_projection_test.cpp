// Projection control of the client facade against the receiver simulator,
// command and image sides: the two-leg start and its failures, stop and
// pause, receiver events, the three-hour re-sync and the recovery of a lost
// image connection. Time is a fake clock; the capture source is the fake
// one at the capture-library seam.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <thread>

#include "platform/fake_clock.h"
#include "platform/idle/fake_user_activity.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace {

using facadetest::Ip;
using facadetest::WaitUntil;
using receiver_sim::Reply;

constexpr int kW = 320, kH = 240;
constexpr const char* kAddress = "127.0.0.2";
constexpr int kWaitMs = 10000;  // a bound for events, never waited out when all is well

// The facade with the state the tests check, and its callbacks counted.
class ProjectionClient : public facadetest::TestClient {
public:
    // The most-derived destructor stops the channels first.
    ~ProjectionClient() override { Shutdown(); }

    void OnSendIBError() override { ++ibErrors; }
    void OnStartPlayImage(const ByteString&) override { ++startEvents; }
    void OnStopPlayImage(const ByteString&) override { ++stopEvents; }
    // Keep-alive passes every 30 ms, and no peer counted dead while the fake
    // clock jumps.
    void SpeedUpKeepAlive() {
        CommandChannel().SetAliveStepForTest(1);
        CommandChannel().SetAliveTimeout(24 * 3600);  // the fake clock jumps hours
    }
    uint64_t AlivePasses() { return CommandChannel().AlivePassesForTest(); }
    uint32_t PlayState() { return CommandChannel().GetPlayState(); }

    std::atomic<int> ibErrors{0};
    std::atomic<int> startEvents{0};
    std::atomic<int> stopEvents{0};
};

struct ReceiverSetup {
    uint16_t version = 0x0130;
    uint8_t fbf = 0x08;  // frame-buffer negotiation
    std::vector<uint8_t> codings = {2, 4, 7};
    uint8_t bpp = 32;
    std::array<uint8_t, 3> format = {'R', 'G', 'B'};  // bytes 5 to 7 of the capabilities
};

// A frame-buffer answer with a non-zero status.
std::vector<uint8_t> RefusedFrameBuffer() {
    std::vector<uint8_t> answer(cmd::kFrameBufferPayload, 0);
    answer[6] = 1;
    return answer;
}

class ProjectionTest : public ::testing::Test {
protected:
    void Connect(const ReceiverSetup& setup = {}) {
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.bindAddress = kAddress;
        options.expectSenderId = setup.version > 0x011B;
        options.continuedSerials = true;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ASSERT_TRUE(rx->Start());
        sim = std::make_unique<facadetest::SimReceiver>(
            kAddress, setup.version, [&](receiver_sim::CommandConfig& c) {
                c.record.imagePort = rx->Port();
                c.capabilities.width = c.capabilities.imageWidth = kW;
                c.capabilities.height = c.capabilities.imageHeight = kH;
                c.capabilities.fbf = setup.fbf;
                c.capabilities.codings = setup.codings;
                c.capabilities.bpp = setup.bpp;
                c.capabilities.colourFormat = setup.format;
            });
        // The idle monitor sees a still PC, whatever the machine's display does.
        ActivityMonitor::Instance().SetSourceFactoryForTest(
            [] { return std::make_unique<platform::FakeUserActivity>(); });
        pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([this](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(MakeTestPicture(kW, kH));
            return fake;
        });
        client = std::make_unique<ProjectionClient>();
        client->SetNoBindingPort({515, 8080});  // only the simulator's image port
        client->SetImageCoding(2);
        client->SetCursorMode(false);
        ASSERT_EQ(facadetest::Discover(*client, {{kAddress, sim->sim->Port()}}), 0);
        clockOverride = std::make_unique<platform::ScopedClockOverride>(clock);
        ASSERT_EQ(client->Login(Ip(kAddress), "user", "6049"), 0) << client->GetErrorMessage();
        sim->sim->ClearFrames();
    }

    void TearDown() override { Reset(); }

    // Ends the connection and the simulator (between the rows of a table).
    void Reset() {
        client.reset();
        clockOverride.reset();
        if (pool) {
            FrawlPool::Release();
            pool = nullptr;
        }
        if (rx) {
            EXPECT_EQ(rx->Error(), "") << "the receiver's strict parser refused a message";
        }
        if (sim) {
            EXPECT_TRUE(sim->sim->Errors().empty());
        }
        rx.reset();
        sim.reset();
    }

    // Waits for the three whole pictures the image channel sends at start.
    bool PicturesArrive(size_t total) { return rx->WaitForMessages(total, kWaitMs); }

    std::vector<uint8_t> Codes() {
        sim->sim->Settle();
        return sim->RequestCodes();
    }

    // The acknowledgements the sender wrote, as code and result byte.
    std::vector<std::pair<uint8_t, uint8_t>> Acks() {
        sim->sim->Settle();
        std::vector<std::pair<uint8_t, uint8_t>> acks;
        for (const receiver_sim::ReceivedFrame& f : sim->sim->Frames()) {
            if (f.frame.kind == receiver_sim::SenderFrame::Kind::kAck) {
                acks.emplace_back(f.frame.code, f.frame.payload.empty() ? 0 : f.frame.payload[0]);
            }
        }
        return acks;
    }

    platform::FakeClock clock{1000000};
    std::unique_ptr<platform::ScopedClockOverride> clockOverride;
    FakeCaptureSource::Counters counters;
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<facadetest::SimReceiver> sim;
    FrawlPool* pool = nullptr;
    std::unique_ptr<ProjectionClient> client;
};

TEST_F(ProjectionTest, StartShowsThePictureWithTheRequestsOfTheVersion) {
    struct Case {
        uint16_t version;
        std::vector<uint8_t> codes;
    } cases[] = {
        // CheckNCC, StartPlayAckImage, SetPreBufTime, SetFrameBuffer,
        // GetDeviceCap, ClearScreen.
        {0x0130, {0x8a, 0x8c, 0x8e, 0xba, 0x80, 0xb6}},
        // Up to 0x110 the plain start, no pre-buffer time and no frame-buffer
        // negotiation.
        {0x0110, {0x8a, 0x86, 0xb6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ReceiverSetup setup;
        setup.version = c.version;
        Connect(setup);
        ASSERT_EQ(client->StartPlayImage(0x80), 0) << client->GetErrorMessage();
        EXPECT_EQ(Codes(), c.codes);
        EXPECT_EQ(client->GetStatus(), 1);
        EXPECT_EQ(client->GetImageCodingInUse(), 2);
        EXPECT_EQ(client->GetPlayImageMode(), 0x80);
        ASSERT_TRUE(PicturesArrive(3)) << rx->Error();
        if (c.version > 0x011B) {
            // The SenderId record carried the login key as received.
            EXPECT_EQ(rx->SenderKey(), (std::array<uint8_t, 4>{0x11, 0x22, 0x33, 0x44}));
        }
        EXPECT_TRUE(ActivityMonitor::Instance().IsRegistered(client.get()));
        const void* key = client.get();
        Reset();
        EXPECT_FALSE(ActivityMonitor::Instance().IsRegistered(key));
    }
}

TEST_F(ProjectionTest, ModeMappingByVersion) {
    struct Case {
        uint16_t version;
        uint8_t asked, sent;
    } cases[] = {
        {0x012A, 0, 0x80}, {0x012A, 5, 0x80}, {0x012A, 3, 3}, {0x012B, 0, 0}, {0x012B, 5, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << " mode " << int(c.asked));
        ReceiverSetup setup;
        setup.version = c.version;
        Connect(setup);
        client->StartPlayImage(c.asked);
        const std::vector<receiver_sim::SenderFrame> starts = sim->sim->FramesWithCode(0x8c);
        ASSERT_EQ(starts.size(), 1u);
        EXPECT_EQ(starts[0].payload.at(0), c.sent);
        Reset();
    }
}

TEST_F(ProjectionTest, OfferedBitDepthFollowsThePixelFormatText) {
    struct Case {
        const char* name;
        uint8_t bpp;
        std::array<uint8_t, 3> format;
        bool alpha;
        uint8_t offered;
    } cases[] = {
        {"16 bits, \"565\"", 16, {'5', '6', '5'}, false, 16},
        {"16 bits, another text", 16, {'5', '5', '5'}, false, 15},
        {"16 bits, \"56\" and a zero", 16, {'5', '6', 0}, false, 15},
        {"32 bits without alpha", 32, {'R', 'G', 'B'}, false, 24},
        {"32 bits with alpha", 32, {'R', 'G', 'B'}, true, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiverSetup setup;
        setup.bpp = c.bpp;
        setup.format = c.format;
        Connect(setup);
        client->Set32BppAlpha(c.alpha);
        ASSERT_EQ(client->StartPlayImage(0x80), 0) << client->GetErrorMessage();
        const std::vector<receiver_sim::SenderFrame> fb = sim->sim->FramesWithCode(0xba);
        ASSERT_FALSE(fb.empty());
        EXPECT_EQ(fb[0].payload.at(4), c.offered);
        Reset();
    }
}

TEST_F(ProjectionTest, RefusalsAndTimeouts) {
    struct Case {
        const char* name;
        uint8_t code;
        Reply reply;
        int expected;
        bool stopSent;  // 0x88 sent to retract leg 1
    } cases[] = {
        {"conference mode", 0x8a, Reply::Result(255), qkerr::kConferenceMode, false},
        {"leg 1 answered 0", 0x8c, Reply::Result(0), qkerr::kDeviceOccupied, false},
        {"leg 1 answered 255", 0x8c, Reply::Result(255), qkerr::kConferenceMode, false},
        {"leg 1 never answered", 0x8c, Reply::None(), qkerr::kResponseTimeout, true},
        {"frame buffer refused", 0xba, Reply::Answer(RefusedFrameBuffer()), qkerr::kDeviceOccupied,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Connect();
        sim->sim->QueueReply(c.code, c.reply);
        std::atomic<bool> done{false};
        std::thread advance([&] {
            // A request that is never answered times out on the fake clock.
            while (!done) {
                if (!sim->sim->FramesWithCode(c.code).empty()) {
                    clock.Advance(1000);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        EXPECT_EQ(client->StartPlayImage(0x80), c.expected);
        done = true;
        advance.join();
        EXPECT_EQ(client->GetErrorCode(), c.expected);
        const std::vector<receiver_sim::SenderFrame> stops = sim->sim->FramesWithCode(0x88);
        EXPECT_EQ(stops.size(), c.stopSent ? 1u : 0u);
        EXPECT_EQ(client->GetStatus(), 0);
        EXPECT_EQ(client->PlayState(), 0u);
        Reset();
    }
}

TEST_F(ProjectionTest, StopPauseAndRestartByTheStateTable) {
    Connect();
    EXPECT_EQ(client->StopPlayImage(), 0);  // idle: nothing sent
    EXPECT_EQ(client->PausePlayImage(), 0);
    EXPECT_TRUE(Codes().empty());

    ASSERT_EQ(client->StartPlayImage(0x80), 0);
    ASSERT_TRUE(PicturesArrive(3));
    sim->sim->ClearFrames();
    ASSERT_EQ(client->PausePlayImage(), 0);
    EXPECT_EQ(client->GetStatus(), 2);
    EXPECT_EQ(client->PausePlayImage(), 0);  // paused: nothing changes
    EXPECT_EQ(client->GetStatus(), 2);
    EXPECT_FALSE(ActivityMonitor::Instance().IsRegistered(client.get()));
    EXPECT_TRUE(Codes().empty());  // the receiver is not told

    // Resuming the same view: no conference check, leg 1 skipped.
    ASSERT_EQ(client->StartPlayImage(0x80), 0);
    EXPECT_EQ(client->GetStatus(), 1);
    EXPECT_EQ(Codes(), (std::vector<uint8_t>{0x8e, 0xba, 0x80}));

    // Another mode stops first, then both legs.
    sim->sim->ClearFrames();
    ASSERT_EQ(client->StartPlayImage(2), 0);
    EXPECT_EQ(Codes(), (std::vector<uint8_t>{0x8a, 0x88, 0x8c, 0x8e, 0xba, 0x80}));
    EXPECT_EQ(client->GetPlayImageMode(), 2);

    sim->sim->ClearFrames();
    ASSERT_GT(client->StopPlayImage(), 0);
    EXPECT_EQ(Codes(), (std::vector<uint8_t>{0x88}));
    EXPECT_EQ(client->GetStatus(), 0);
    EXPECT_FALSE(ActivityMonitor::Instance().IsRegistered(client.get()));
}

TEST_F(ProjectionTest, ImageConnectionReuseByVersion) {
    struct Case {
        uint16_t version;
        size_t connections;  // after two starts
    } cases[] = {{0x012D, 1}, {0x012C, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ReceiverSetup setup;
        setup.version = c.version;
        Connect(setup);
        ASSERT_EQ(client->StartPlayImage(0x80), 0);
        ASSERT_TRUE(PicturesArrive(3));
        ASSERT_EQ(client->StopPlayImage(), 1);
        ASSERT_EQ(client->StartPlayImage(0x80), 0);
        ASSERT_TRUE(PicturesArrive(6));
        EXPECT_EQ(rx->Connections(), c.connections);
        Reset();
    }
}

TEST_F(ProjectionTest, ReceiverEventsStartAndStopWithTheirAcknowledgements) {
    Connect();
    ASSERT_TRUE(sim->sim->SendEvent(0x86, {0x80}));
    ASSERT_TRUE(WaitUntil([&] { return client->startEvents.load() == 1; }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return Acks().size() == 1; }, kWaitMs));
    EXPECT_EQ(Acks()[0], (std::pair<uint8_t, uint8_t>{0x87, 0x80}));
    EXPECT_EQ(client->GetStatus(), 1);
    // The receiver asked: no conference check.
    const std::vector<uint8_t> codes = Codes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x8a), 0);
    ASSERT_TRUE(PicturesArrive(3));

    sim->sim->ClearFrames();
    ASSERT_TRUE(sim->sim->SendEvent(0x88, {0x80}));
    ASSERT_TRUE(WaitUntil([&] { return client->stopEvents.load() == 1; }, kWaitMs));
    ASSERT_TRUE(WaitUntil([&] { return Acks().size() == 1; }, kWaitMs));
    EXPECT_EQ(Acks()[0], (std::pair<uint8_t, uint8_t>{0x89, 1}));
    EXPECT_EQ(client->GetStatus(), 0);
}

TEST_F(ProjectionTest, StopVideoWithRepeatIsAnsweredPlayAgain) {
    Connect();
    client->SetVideoFileRepeat(true);
    std::vector<uint8_t> stop(cmd::kStopVideoPayload, 0);  // reason 0: the file ended
    ASSERT_TRUE(sim->sim->SendEvent(0xa2, stop));
    ASSERT_TRUE(WaitUntil([&] { return Acks().size() == 1; }, kWaitMs));
    EXPECT_EQ(Acks()[0], (std::pair<uint8_t, uint8_t>{0xa3, 2}));
}

TEST_F(ProjectionTest, ResyncAfterThreeHoursWhileKeepAlivesGoOn) {
    struct Case {
        uint16_t version;
        std::vector<uint8_t> codes;
    } cases[] = {
        // Pause (the receiver is not told), then the restart: the stop that
        // a pre-buffer time asks for, both legs, the frame buffer, and the
        // clear screen of a start from idle.
        {0x0124, {0x88, 0x8c, 0x8e, 0xba, 0x80, 0xb6}},
        // Stop, then the restart from idle with its conference check.
        {0x0123, {0x88, 0x8a, 0x8c, 0x8e, 0xba, 0x80, 0xb6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ReceiverSetup setup;
        setup.version = c.version;
        Connect(setup);
        client->SetPreBufTime(300);
        client->SpeedUpKeepAlive();
        ASSERT_EQ(client->StartPlayImage(0x80), 0);
        ASSERT_TRUE(PicturesArrive(3));
        sim->sim->ClearFrames();

        // Exactly three hours: several keep-alive passes, no re-sync.
        clock.Advance(CmdClientAdaptor::kResyncAfterMs);
        const uint64_t passes = client->AlivePasses();
        ASSERT_TRUE(WaitUntil([&] { return client->AlivePasses() > passes + 3; }, kWaitMs));
        EXPECT_TRUE(Codes().empty());

        // One more millisecond: the next pass re-syncs. The restart's leg 1
        // is answered late; keep-alives go on meanwhile.
        sim->sim->QueueReply(0x8c, Reply::Answer({1}, 300));
        const size_t rocks = sim->sim->RockCount();
        clock.Advance(1);
        ASSERT_TRUE(WaitUntil([&] { return !sim->sim->FramesWithCode(0x8c).empty(); }, kWaitMs));
        clock.Advance(3000);
        EXPECT_TRUE(WaitUntil([&] { return sim->sim->RockCount() > rocks; }, kWaitMs));
        ASSERT_TRUE(WaitUntil([&] { return Codes().size() >= c.codes.size(); }, kWaitMs));
        EXPECT_EQ(Codes(), c.codes);
        ASSERT_TRUE(WaitUntil([&] { return client->GetStatus() == 1; }, kWaitMs));
        // The restarted projection is still watched by the idle monitor.
        EXPECT_TRUE(ActivityMonitor::Instance().IsRegistered(client.get()));

        // The next re-sync is three hours after the restart.
        sim->sim->ClearFrames();
        const uint64_t later = client->AlivePasses();
        ASSERT_TRUE(WaitUntil([&] { return client->AlivePasses() > later + 3; }, kWaitMs));
        EXPECT_TRUE(Codes().empty());
        Reset();
    }
}

TEST_F(ProjectionTest, LostImageConnectionReopensOncePer30Seconds) {
    Connect();
    client->SpeedUpKeepAlive();  // the command channel outlives the clock's jumps
    ASSERT_EQ(client->StartPlayImage(0x80), 0);
    ASSERT_TRUE(PicturesArrive(3));

    // First loss: re-opened at once, with the SenderId record and a refresh.
    rx->DropConnection();
    ASSERT_TRUE(WaitUntil([&] { return rx->Connections() == 2; }, kWaitMs));
    ASSERT_TRUE(PicturesArrive(4)) << rx->Error();
    EXPECT_EQ(client->GetStatus(), 1);

    // 31 s later: re-opened again.
    clock.Advance(31000);
    rx->DropConnection();
    ASSERT_TRUE(WaitUntil([&] { return rx->Connections() == 3; }, kWaitMs));
    EXPECT_EQ(client->ibErrors.load(), 0);

    // 10 s after that: projection ends and the application hears of it.
    sim->sim->ClearFrames();
    clock.Advance(10000);
    rx->DropConnection();
    ASSERT_TRUE(WaitUntil([&] { return client->ibErrors.load() >= 1; }, kWaitMs));
    EXPECT_EQ(client->ibErrors.load(), 1);
    EXPECT_EQ(Codes(), (std::vector<uint8_t>{0x88}));
    EXPECT_EQ(client->GetStatus(), 0);
    EXPECT_EQ(rx->Connections(), 3u);
}

TEST_F(ProjectionTest, BothConnectionsLostAtOnceEndTheSessionOnce) {
    // The image side's closer and the command side's logout both end the
    // image channel: one after the other, never on two threads at once.
    Connect();
    ASSERT_EQ(client->StartPlayImage(0x80), 0);
    ASSERT_TRUE(PicturesArrive(3));
    rx->DropConnection();
    sim->sim->CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return client->closeEvents.load() == 1; }, kWaitMs));
    EXPECT_EQ(client->GetStatus(), 200);
    EXPECT_FALSE(ActivityMonitor::Instance().IsRegistered(client.get()));
}

TEST_F(ProjectionTest, LostCommandConnectionReportsClose) {
    Connect();
    ASSERT_EQ(client->StartPlayImage(0x80), 0);
    sim->sim->CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return client->closeEvents.load() == 1; }, kWaitMs));
    EXPECT_EQ(client->GetStatus(), 200);
    EXPECT_LT(client->GetErrorCode(), 0);
    EXPECT_FALSE(ActivityMonitor::Instance().IsRegistered(client.get()));
}

}  // namespace
