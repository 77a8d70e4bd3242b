// Projection end to end: the client facade logs in to the receiver simulator,
// projects a real X screen (Xvfb) through the X11 capture library in each
// split position and full screen, pauses, refreshes and stops; the
// simulator's canvas must show the screen exactly (raw LZO) where the mode
// puts it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/idle/fake_user_activity.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ActivityMonitor.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
// Last: Xlib's macros (Status, None) clash with the simulator's names.
// clang-format off
#include "tests/support/XScreenDrawer.h"
#include "tests/support/XvfbServer.h"
// clang-format on

namespace {

using facadetest::Ip;

constexpr int kScreenW = 320, kScreenH = 240;
// The receiver's picture: each split position is exactly one screen.
constexpr int kRxW = 640, kRxH = 480;
constexpr const char* kAddress = "127.0.0.2";
constexpr int kWaitMs = 20000;  // a bound for events, never waited out when all is well

double RegionPsnr(receiver::ImageReceiver& rx, int x, int y, const std::vector<uint8_t>& screen) {
    receiver::Canvas reference(kScreenW, kScreenH);
    reference.Put(0, 0, kScreenW, kScreenH, screen.data(), kScreenW * 4);
    return receiver::Psnr(rx.CanvasCopy(), x, y, reference, 0, 0, kScreenW, kScreenH);
}

// Waits until the canvas at (x, y) equals the screen.
bool CanvasShows(receiver::ImageReceiver& rx, int x, int y, const std::vector<uint8_t>& screen) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (RegionPsnr(rx, x, y, screen) < 99.0) {
        if (std::chrono::steady_clock::now() > until || !rx.Error().empty()) {
            return false;
        }
        rx.WaitForMessages(rx.MessageCount() + 1, 50);
    }
    return true;
}

TEST(ProjectionEndToEndTest, SplitPositionsFullScreenPauseRefreshAndStop) {
    testsupport::XvfbServer server("320x240x24");
    ASSERT_TRUE(server.Ok());
    testsupport::XScreenDrawer drawer(server.Display());
    drawer.PutPicture(0, 0, kScreenW, kScreenH, MakeTestPicture(kScreenW, kScreenH));

    receiver::ImageReceiver::Options options;
    options.width = kRxW;
    options.height = kRxH;
    options.bindAddress = kAddress;
    options.expectSenderId = true;
    receiver::ImageReceiver rx(options);
    ASSERT_TRUE(rx.Start());
    facadetest::SimReceiver sim(kAddress, 0x0130, [&](receiver_sim::CommandConfig& c) {
        c.record.imagePort = rx.Port();
        c.capabilities.width = c.capabilities.imageWidth = kRxW;
        c.capabilities.height = c.capabilities.imageHeight = kRxH;
        c.capabilities.codings = {2};
    });

    // The idle monitor sees a still PC, whatever the test machine's display does.
    ActivityMonitor::Instance().SetSourceFactoryForTest(
        [] { return std::make_unique<platform::FakeUserActivity>(); });
    FrawlPool* pool = FrawlPool::Acquire();
    const std::string display = server.Display();
    pool->SetCaptureFactory([display](const CaptureClientRecord& record) {
        return CreateCaptureSource(record, nullptr, display);
    });
    {
        facadetest::TestClient client;
        client.SetNoBindingPort({515, 8080});  // only the simulator's image port
        client.SetCursorMode(false);           // the reference grab has no cursor
        ASSERT_EQ(facadetest::Discover(client, {{kAddress, sim.sim->Port()}}), 0);
        ASSERT_EQ(client.Login(Ip(kAddress), "user", "6049"), 0) << client.GetErrorMessage();

        struct Step {
            uint8_t mode;
            int x, y;  // where the screen lands on the receiver
            uint32_t colour;
        } steps[] = {
            {1, 0, 0, 0xE03010},
            {2, kScreenW, 0, 0x10E030},
            {3, 0, kScreenH, 0x3010E0},
            {4, kScreenW, kScreenH, 0xE0E010},
            // Never enlarged: full screen shows the screen centred.
            {0x80, (kRxW - kScreenW) / 2, (kRxH - kScreenH) / 2, 0x10E0E0},
        };
        for (const Step& s : steps) {
            SCOPED_TRACE(testing::Message() << "mode " << int(s.mode));
            drawer.Fill(20 + s.mode % 8 * 10, 40, 16, 16, s.colour);
            ASSERT_EQ(client.StartPlayImage(s.mode), 0) << client.GetErrorMessage();
            EXPECT_EQ(client.GetStatus(), 1);
            EXPECT_EQ(client.GetImageCodingInUse(), 2);
            EXPECT_TRUE(CanvasShows(rx, s.x, s.y, drawer.Grab(kScreenW, kScreenH))) << rx.Error();
        }
        const int fullX = (kRxW - kScreenW) / 2, fullY = (kRxH - kScreenH) / 2;

        // Paused, the receiver keeps its picture; resuming the same view
        // brings what changed meanwhile.
        ASSERT_EQ(client.PausePlayImage(), 0);
        EXPECT_EQ(client.GetStatus(), 2);
        drawer.Fill(200, 100, 40, 30, 0xF0F0F0);
        ASSERT_EQ(client.StartPlayImage(0x80), 0) << client.GetErrorMessage();
        EXPECT_TRUE(CanvasShows(rx, fullX, fullY, drawer.Grab(kScreenW, kScreenH)));

        // On a still screen only a refresh sends anything: the whole picture.
        const size_t before = rx.MessageCount();
        ASSERT_EQ(client.RefreshScreenImage(), 0);
        long area = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (area < long{kScreenW} * kScreenH && std::chrono::steady_clock::now() < until) {
            rx.WaitForMessages(rx.MessageCount() + 1, 50);
            const auto messages = rx.Messages();
            area = 0;
            for (size_t i = before; i < messages.size(); ++i) {
                area += long{messages[i].header.Width()} * messages[i].header.Height();
            }
        }
        EXPECT_GE(area, long{kScreenW} * kScreenH);
        EXPECT_TRUE(CanvasShows(rx, fullX, fullY, drawer.Grab(kScreenW, kScreenH)));

        sim.sim->ClearFrames();
        ASSERT_GT(client.StopPlayImage(), 0);
        EXPECT_EQ(client.GetStatus(), 0);
        EXPECT_EQ(sim.RequestCodes(), (std::vector<uint8_t>{0x88}));
    }
    FrawlPool::Release();
    EXPECT_EQ(rx.Error(), "");
    EXPECT_TRUE(sim.sim->Errors().empty());
}

}  // namespace
