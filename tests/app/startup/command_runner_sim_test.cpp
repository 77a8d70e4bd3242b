// The runner with real clients against the receiver simulator on a loopback
// address of its own: a Login logs in, a Presentation starts at its
// position and pictures arrive, a Stop stops, Exit stops and calls back.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>

#include "app/startup/command_runner.h"
#include "platform/fake_clock.h"
#include "platform/idle/fake_user_activity.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace pemuapp {
namespace {

constexpr int kW = 320, kH = 240;
constexpr int kWaitMs = 10000;
// The command port a client connects to when it only has an address.
constexpr uint16_t kCommandPort = 3268;

class CommandRunnerSimTest : public testing::Test {
protected:
    void SetUp() override {
        // The whole process id (up to 22 bits) keeps the fixed command port apart.
        address = testsupport::OwnLoopbackAddress(28);
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.bindAddress = address.c_str();
        options.expectSenderId = true;
        options.continuedSerials = true;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ASSERT_TRUE(rx->Start());
        sim = std::make_unique<facadetest::SimReceiver>(
            address.c_str(), 0x0130, [&](receiver_sim::CommandConfig& c) {
                c.port = kCommandPort;
                c.record.imagePort = rx->Port();
                c.capabilities.width = c.capabilities.imageWidth = kW;
                c.capabilities.height = c.capabilities.imageHeight = kH;
                c.capabilities.codings = {2, 4, 7};
            });
        ActivityMonitor::Instance().SetSourceFactoryForTest(
            [] { return std::make_unique<platform::FakeUserActivity>(); });
        pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([this](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(MakeTestPicture(kW, kH));
            return fake;
        });
        clockOverride = std::make_unique<platform::ScopedClockOverride>(clock);
        CommandRunner::Hooks hooks;
        hooks.makeClient = [] {
            auto client = std::make_unique<facadetest::TestClient>();
            client->SetNoBindingPort({389, 515, 8080});  // only the simulator's ports
            client->SetImageCoding(2);
            client->SetCursorMode(false);
            return client;
        };
        hooks.onExit = [this] { ++exits; };
        hooks.userName = "ann";
        runner = std::make_unique<CommandRunner>(std::move(hooks), nullptr);
    }
    void TearDown() override {
        runner.reset();
        clockOverride.reset();
        if (pool) {
            FrawlPool::Release();
        }
        if (rx) {
            EXPECT_EQ(rx->Error(), "");
        }
        if (sim) {
            EXPECT_TRUE(sim->sim->Errors().empty());
        }
    }
    VRXClient& Client() { return *runner->Client(0).client; }

    std::string address;
    platform::FakeClock clock{1000000};
    std::unique_ptr<platform::ScopedClockOverride> clockOverride;
    FakeCaptureSource::Counters counters;
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<facadetest::SimReceiver> sim;
    FrawlPool* pool = nullptr;
    std::unique_ptr<CommandRunner> runner;
    int exits = 0;
};

TEST_F(CommandRunnerSimTest, LoginPresentStopAndExit) {
    ASSERT_EQ(runner->Run({"Login", address, "", "", "6049", ""}), 1);
    ASSERT_EQ(runner->ClientCount(), 1u);
    EXPECT_EQ(Client().GetStatus(), kVrxIdle) << Client().GetErrorMessage();
    EXPECT_EQ(runner->Client(0).name, "Receiver " + address);

    ASSERT_EQ(runner->Run({"Presentation", address, "3", "", "6049", ""}), 1);
    EXPECT_EQ(runner->ClientCount(), 1u);  // the same client
    EXPECT_EQ(Client().GetStatus(), kVrxProjecting) << Client().GetErrorMessage();
    const auto starts = sim->sim->FramesWithCode(0x8c);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].payload.at(0), 3);
    EXPECT_TRUE(rx->WaitForMessages(3, kWaitMs)) << rx->Error();

    ASSERT_EQ(runner->Run({"Stop", address, "", "", "", ""}), 1);
    EXPECT_EQ(Client().GetStatus(), kVrxIdle);

    ASSERT_EQ(runner->Run({"Presentation", address, "", "", "", ""}), 1);
    EXPECT_EQ(Client().GetStatus(), kVrxProjecting);
    ASSERT_EQ(runner->Run({"Exit", "", "", "", "", ""}), 1);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(Client().GetStatus(), kVrxIdle);
    // Every stop reached the receiver: two starts, two stops.
    EXPECT_EQ(sim->sim->FramesWithCode(0x8c).size(), 2u);
}

TEST_F(CommandRunnerSimTest, AWrongCodeIsRefusedByTheReceiver) {
    ASSERT_EQ(runner->Run({"Presentation", address, "1", "", "1111", ""}), 1);
    ASSERT_EQ(runner->ClientCount(), 1u);
    EXPECT_EQ(Client().GetStatus(), kVrxDisconnected);
    EXPECT_TRUE(sim->sim->FramesWithCode(0x8c).empty());
}

}  // namespace
}  // namespace pemuapp
