// Mirroring end to end: a real X screen (Xvfb) captured by the X11 capture
// library, sent by the image channel, decoded by the receiver simulator.
// The simulator's canvas must show the screen: exactly for LZO, within the
// measured PSNR limits for JPEG and H.264.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "tests/receiver/image/ImageReceiver.h"
#include "tests/support/XScreenDrawer.h"
#include "tests/support/XvfbServer.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr int kWaitMs = 20000;  // a bound for events, never waited out when all is well

double CanvasPsnr(receiver::ImageReceiver& rx, const std::vector<uint8_t>& screen) {
    receiver::Canvas reference(kW, kH);
    reference.Put(0, 0, kW, kH, screen.data(), kW * 4);
    return receiver::Psnr(rx.CanvasCopy(), 0, 0, reference, 0, 0, kW, kH);
}

// Waits until the canvas is at least `minPsnr` dB close to the screen (99:
// equal); returns the last PSNR seen.
double WaitForCanvas(receiver::ImageReceiver& rx, const std::vector<uint8_t>& screen,
                     double minPsnr) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    double psnr = CanvasPsnr(rx, screen);
    while (psnr < minPsnr && std::chrono::steady_clock::now() < until && rx.Error().empty()) {
        rx.WaitForMessages(rx.MessageCount() + 1, 50);
        psnr = CanvasPsnr(rx, screen);
    }
    return psnr;
}

// Limits measured with the test picture on a 320 x 240 screen: JPEG gives
// 43.6 dB after the channel's start refreshes (quality 100) and 37.6-38.0 dB
// once the first five frames, widened to the whole picture, went out at
// quality 85; H.264 gives 41.9 dB. Each limit leaves a few dB of margin.
TEST(MirrorEndToEndTest, CanvasShowsTheScreenForEveryCoding) {
    struct Case {
        const char* name;
        int coding;
        double minPsnr;  // 99: exact
    } cases[] = {
        {"LZO", 2, 99.0},
        {"JPEG", 4, 35.0},
        {"H.264", 7, 36.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::XvfbServer server("320x240x24");
        ASSERT_TRUE(server.Ok());
        testsupport::XScreenDrawer drawer(server.Display());
        drawer.PutPicture(0, 0, kW, kH, MakeTestPicture(kW, kH));

        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        receiver::ImageReceiver rx(options);
        ASSERT_TRUE(rx.Start());

        FrawlPool* pool = FrawlPool::Acquire();
        const std::string display = server.Display();
        pool->SetCaptureFactory([display](const CaptureClientRecord& record) {
            return CreateCaptureSource(record, nullptr, display);
        });
        {
            IBClient client(ProcessGlobals::Get().Encoders());
            client.SetWaitHandshake(true);
            ASSERT_EQ(client.OpenConnect("127.0.0.1", {rx.Port()}), 0);
            client.SetCursorMode(false);  // the reference grab has no cursor
            ASSERT_EQ(client.Start(kW, kH, 32, 0, c.coding, false, 1.0f, true, 0, 0), 0)
                << client.GetErrorMessage();

            std::vector<uint8_t> screen = drawer.Grab(kW, kH);
            EXPECT_GE(WaitForCanvas(rx, screen, c.minPsnr), c.minPsnr);
            // The channel asks for three whole pictures at its start; one
            // more change lets the last of them through before counting.
            ASSERT_TRUE(rx.WaitForMessages(3, kWaitMs));
            drawer.Fill(10, 200, 8, 8, 0x10E030);
            screen = drawer.Grab(kW, kH);
            EXPECT_GE(WaitForCanvas(rx, screen, c.minPsnr), c.minPsnr);

            // A small change reaches the canvas too.
            const size_t before = rx.MessageCount();
            drawer.Fill(100, 100, 20, 12, 0xE03010);
            screen = drawer.Grab(kW, kH);
            EXPECT_GE(WaitForCanvas(rx, screen, c.minPsnr), c.minPsnr);
            if (c.coding == 2) {
                // Only the changed area travels, not the whole frame.
                const std::vector<receiver::ImageReceiver::Received> messages = rx.Messages();
                ASSERT_GT(messages.size(), before);
                for (size_t i = before; i < messages.size(); ++i) {
                    EXPECT_LT(messages[i].header.rawSize, static_cast<uint32_t>(kW * kH * 4 / 4));
                }
            }
            client.Stop(false);
        }
        FrawlPool::Release();
        EXPECT_EQ(rx.Error(), "");
    }
}

}  // namespace
