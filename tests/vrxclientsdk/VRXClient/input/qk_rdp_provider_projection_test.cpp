// The input replay's part of a projection (the lock-key timer of a
// whole-screen projection and touch injection) and the sender server's
// announcement while projecting, against the receiver simulator's command
// and image sides, with the fake capture source and the recording injector.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/idle/fake_user_activity.h"
#include "platform/input/fake_input_injector.h"
#include "tests/receiver/command/CommandWire.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/receiver/sender/SenderAnnouncement.h"
#include "tests/receiver/sender/SenderQuery.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

namespace {

using facadetest::Ip;
using facadetest::WaitUntil;
using Kind = platform::FakeInputInjector::Event::Kind;
namespace wire = receiver_sim::wire;

constexpr int kW = 320, kH = 240;
constexpr const char* kAddress = "127.0.0.2";

// The application's kind of client. The most-derived destructor stops the
// servers and the channels first.
class ReplayClient : public SenderServer {
public:
    explicit ReplayClient(std::shared_ptr<InputReplay> replay) : SenderServer(std::move(replay)) {}
    ~ReplayClient() override {
        StopSenderServer();
        Shutdown();
    }
};

class QkRdpProviderProjectionTest : public testing::Test {
protected:
    void SetUp() override {
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.bindAddress = kAddress;
        options.expectSenderId = true;
        options.continuedSerials = true;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ASSERT_TRUE(rx->Start());
        sim = std::make_unique<facadetest::SimReceiver>(
            kAddress, 0x0130, [&](receiver_sim::CommandConfig& c) {
                c.record.imagePort = rx->Port();
                c.capabilities.width = c.capabilities.imageWidth = kW;
                c.capabilities.height = c.capabilities.imageHeight = kH;
                c.capabilities.fbf = 0x08;
            });
        ActivityMonitor::Instance().SetSourceFactoryForTest(
            [] { return std::make_unique<platform::FakeUserActivity>(); });
        pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([this](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(MakeTestPicture(kW, kH));
            return fake;
        });
        client = std::make_unique<ReplayClient>(std::make_shared<InputReplay>(injector));
        client->SetNoBindingPort({515, 8080});
        client->SetImageCoding(2);
        client->SetCursorMode(false);
        ASSERT_EQ(facadetest::Discover(*client, {{kAddress, sim->sim->Port()}}), 0);
        ASSERT_EQ(client->Login(Ip(kAddress), "user", "6049"), 0) << client->GetErrorMessage();
        sim->sim->ClearFrames();
        injector->Clear();
    }

    void TearDown() override {
        client.reset();
        if (pool) {
            FrawlPool::Release();
        }
        EXPECT_TRUE(sim->sim->Errors().empty());
    }

    size_t LockFrames() {
        sim->sim->Settle();
        return sim->sim->FramesWithCode(wire::kLockKeyInput).size();
    }

    std::vector<Kind> Kinds() {
        std::vector<Kind> kinds;
        for (const auto& e : injector->Events()) {
            kinds.push_back(e.kind);
        }
        return kinds;
    }

    std::shared_ptr<platform::FakeInputInjector> injector =
        std::make_shared<platform::FakeInputInjector>();
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<facadetest::SimReceiver> sim;
    FakeCaptureSource::Counters counters;
    FrawlPool* pool = nullptr;
    std::unique_ptr<ReplayClient> client;
};

TEST_F(QkRdpProviderProjectionTest, WholeScreenSendsLockKeysAndFollowsCapsLock) {
    ASSERT_EQ(client->StartPlayImage(0x80), 0) << client->GetErrorMessage();
    EXPECT_TRUE(client->LockKeyTimerRunningForTest());
    ASSERT_EQ(LockFrames(), 3u);
    ASSERT_FALSE(Kinds().empty());
    EXPECT_EQ(Kinds().back(), Kind::kTouchStart);

    injector->SetLockKeys({.capsLock = true});
    ASSERT_TRUE(WaitUntil([&] { return LockFrames() == 4; }));
    EXPECT_EQ(sim->sim->FramesWithCode(wire::kLockKeyInput)[3].payload,
              (std::vector<uint8_t>{0x11, 1, 1}));

    EXPECT_EQ(client->PausePlayImage(), 0) << client->GetErrorMessage();
    EXPECT_FALSE(client->LockKeyTimerRunningForTest());
    ASSERT_EQ(client->StartPlayImage(0x80), 0) << client->GetErrorMessage();
    EXPECT_TRUE(client->LockKeyTimerRunningForTest());
    client->StopPlayImage();
    EXPECT_FALSE(client->LockKeyTimerRunningForTest());
    EXPECT_EQ(Kinds().back(), Kind::kTouchStop);
}

TEST_F(QkRdpProviderProjectionTest, SplitScreenSendsNoLockKeys) {
    ASSERT_EQ(client->StartPlayImage(1), 0) << client->GetErrorMessage();
    EXPECT_FALSE(client->LockKeyTimerRunningForTest());
    EXPECT_EQ(LockFrames(), 0u);
    ASSERT_FALSE(Kinds().empty());
    EXPECT_EQ(Kinds().back(), Kind::kTouchStart);
}

TEST_F(QkRdpProviderProjectionTest, TheAnnouncementNamesTheReceiverWhileProjecting) {
    // On an address of this process's own: another program's responder on
    // the fixed ports of other addresses does not answer in its place.
    const std::string own = testsupport::OwnLoopbackAddress(128, 0x1f);
    client->SetListenAddress(::inet_addr(own.c_str()));
    ASSERT_EQ(client->StartSenderServer(nullptr), 0) << client->GetErrorMessage();
    receiver_sim::SenderQuery query;
    auto ask = [&] {
        receiver_sim::SenderAnnouncement reply;
        std::string error;
        EXPECT_TRUE(query.SendQuery(own, 11049));
        auto answer = query.Receive();
        EXPECT_TRUE(answer &&
                    receiver_sim::SenderAnnouncement::Decode(answer->bytes, &reply, &error))
            << error;
        return reply;
    };
    EXPECT_EQ(ask().clientState, 0);
    ASSERT_EQ(client->StartPlayImage(0x80), 0) << client->GetErrorMessage();
    const receiver_sim::SenderAnnouncement projecting = ask();
    EXPECT_EQ(projecting.clientState, 1);
    EXPECT_EQ(projecting.receiverAddress, 0x7F000002u);
    client->StopPlayImage();
    EXPECT_EQ(ask().clientState, 0);
}

}  // namespace
