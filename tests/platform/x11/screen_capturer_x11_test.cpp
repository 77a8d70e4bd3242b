// The X11 capturer against a real X server (Xvfb, started by each test).
#include "platform/x11/screen_capturer_x11.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/XScreenDrawer.h"
#include "tests/support/XvfbServer.h"

namespace platform {
namespace {

using testsupport::XScreenDrawer;
using testsupport::XvfbServer;

// The captured colour at (x, y) as 0xRRGGBB.
uint32_t PixelAt(const CapturedFrame& frame, int x, int y) {
    const uint8_t* p =
        frame.Data() + static_cast<size_t>(y) * frame.stride + static_cast<size_t>(x) * 4;
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

std::unique_ptr<ScreenCapturerX11> Capturer(const XvfbServer& server,
                                            ScreenCapturerX11::Options options = {}) {
    options.display = server.Display();
    return ScreenCapturerX11::Create(options);
}

TEST(ScreenCapturerX11Test, SmallChangeGivesASmallGridAlignedArea) {
    XvfbServer server("640x480x24");
    ASSERT_TRUE(server.Ok());
    XScreenDrawer drawer(server.Display());
    ASSERT_TRUE(drawer.Ok());
    drawer.Fill(0, 0, 640, 480, 0x102030);
    auto capturer = Capturer(server);
    ASSERT_TRUE(capturer);
    ASSERT_TRUE(capturer->UsesDamage());

    // The first capture is the whole screen.
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_TRUE(capturer->Updated().CoversAll());
    EXPECT_EQ(PixelAt(capturer->Frame(), 320, 240), 0x102030u);

    // Nothing drawn: nothing changed.
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_TRUE(capturer->Updated().IsEmpty());

    drawer.Fill(100, 50, 10, 10, 0xFF8000);
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    ASSERT_EQ(capturer->Updated().Rects().size(), 1u);
    EXPECT_EQ(capturer->Updated().Rects()[0], (CaptureRect{96, 48, 112, 64}));
    EXPECT_EQ(PixelAt(capturer->Frame(), 100, 50), 0xFF8000u);
    EXPECT_EQ(PixelAt(capturer->Frame(), 109, 59), 0xFF8000u);
    EXPECT_EQ(PixelAt(capturer->Frame(), 110, 60), 0x102030u);

    // Two far-apart changes stay two areas.
    drawer.Fill(0, 0, 4, 4, 0x00FF00);
    drawer.Fill(600, 400, 4, 4, 0x0000FF);
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_EQ(capturer->Updated().Rects(),
              (std::vector<CaptureRect>{{0, 0, 16, 16}, {592, 400, 608, 416}}));
    EXPECT_EQ(PixelAt(capturer->Frame(), 0, 0), 0x00FF00u);
    EXPECT_EQ(PixelAt(capturer->Frame(), 603, 403), 0x0000FFu);

    capturer->RequestFullFrame();
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_TRUE(capturer->Updated().CoversAll());
}

TEST(ScreenCapturerX11Test, EveryPixelPathReadsTheSameColours) {
    struct Case {
        const char* name;
        const char* screen;
        bool useShm;
        XServerPixelBuffer::Path path;
        uint32_t tolerance;  // per channel, for servers with fewer bits
        bool shared;         // the frame is the server's shared image: no copy
    } cases[] = {
        {"shared pixmap, 24 bits", "320x240x24", true, XServerPixelBuffer::Path::kShmPixmap, 0,
         true},
        {"XGetImage, 24 bits", "320x240x24", false, XServerPixelBuffer::Path::kGetImage, 0, false},
        {"shared pixmap, 16 bits", "320x240x16", true, XServerPixelBuffer::Path::kShmPixmap, 8,
         false},
        {"XGetImage, 16 bits", "320x240x16", false, XServerPixelBuffer::Path::kGetImage, 8, false},
    };
    const uint32_t colours[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x80C040};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XvfbServer server(c.screen);
        ASSERT_TRUE(server.Ok());
        XScreenDrawer drawer(server.Display());
        ScreenCapturerX11::Options options;
        options.useShm = c.useShm;
        auto capturer = Capturer(server, options);
        ASSERT_TRUE(capturer);
        EXPECT_EQ(capturer->PixelPath(), c.path);
        for (int i = 0; i < 6; ++i) {
            drawer.Fill(i * 40, 0, 40, 40, colours[i]);
        }
        ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
        for (int i = 0; i < 6; ++i) {
            const uint32_t got = PixelAt(capturer->Frame(), i * 40 + 20, 20);
            for (int shift = 0; shift < 24; shift += 8) {
                const int want = static_cast<int>((colours[i] >> shift) & 0xFF);
                const int have = static_cast<int>((got >> shift) & 0xFF);
                EXPECT_LE(static_cast<uint32_t>(std::abs(want - have)), c.tolerance)
                    << "colour " << std::hex << colours[i] << " got " << got;
            }
        }
        // Full white stays full white on every path.
        EXPECT_EQ(PixelAt(capturer->Frame(), 20, 20), 0xFFFFFFu);
        EXPECT_EQ(capturer->Frame().shared != nullptr, c.shared);
        // A later change reaches the frame as well, and the rest stays.
        drawer.Fill(100, 100, 20, 20, 0xFFFFFF);
        ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
        EXPECT_EQ(PixelAt(capturer->Frame(), 110, 110), 0xFFFFFFu);
        EXPECT_EQ(PixelAt(capturer->Frame(), 20, 20), 0xFFFFFFu);
    }
}

TEST(ScreenCapturerX11Test, WithoutDamageEveryCaptureIsTheWholeScreen) {
    struct Case {
        const char* name;
        std::vector<std::string> serverArgs;
        bool useDamage;
    } cases[] = {
        {"server without DAMAGE", {"-extension", "DAMAGE"}, true},
        {"damage switched off", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        XvfbServer server("320x240x24", c.serverArgs);
        ASSERT_TRUE(server.Ok());
        XScreenDrawer drawer(server.Display());
        ScreenCapturerX11::Options options;
        options.useDamage = c.useDamage;
        auto capturer = Capturer(server, options);
        ASSERT_TRUE(capturer);
        EXPECT_FALSE(capturer->UsesDamage());
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
            EXPECT_TRUE(capturer->Updated().CoversAll());
        }
        drawer.Fill(10, 10, 5, 5, 0x123456);
        ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
        EXPECT_TRUE(capturer->Updated().CoversAll());
        EXPECT_EQ(PixelAt(capturer->Frame(), 12, 12), 0x123456u);
    }
}

TEST(ScreenCapturerX11Test, CapturesOneWindowInsteadOfTheScreen) {
    XvfbServer server("320x240x24");
    ASSERT_TRUE(server.Ok());
    XScreenDrawer drawer(server.Display());
    ::Display* d = drawer.Display();
    drawer.Fill(0, 0, 320, 240, 0x000080);
    const Window window =
        XCreateSimpleWindow(d, DefaultRootWindow(d), 40, 30, 100, 60, 0, 0, drawer.Pixel(0x00C000));
    XMapWindow(d, window);
    XSync(d, False);

    ScreenCapturerX11::Options options;
    options.window = window;
    auto capturer = Capturer(server, options);
    ASSERT_TRUE(capturer);
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_EQ(capturer->Frame().width, 100);
    EXPECT_EQ(capturer->Frame().height, 60);
    EXPECT_EQ(PixelAt(capturer->Frame(), 50, 30), 0x00C000u);

    // Drawing into the window is a change of the window's picture.
    GC gc = XCreateGC(d, window, 0, nullptr);
    XSetForeground(d, gc, drawer.Pixel(0xFFFF00));
    XFillRectangle(d, window, gc, 70, 40, 5, 5);
    XSync(d, False);
    ASSERT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kSuccess);
    EXPECT_EQ(capturer->Updated().Rects(), (std::vector<CaptureRect>{{64, 32, 80, 48}}));
    EXPECT_EQ(PixelAt(capturer->Frame(), 72, 42), 0xFFFF00u);

    // A window that is gone ends the capture for good.
    XFreeGC(d, gc);
    XDestroyWindow(d, window);
    XSync(d, False);
    EXPECT_EQ(capturer->CaptureFrame(), ScreenCapturerX11::Result::kErrorPermanent);
}

TEST(ScreenCapturerX11Test, UnreachableDisplayOrScreenGivesNoCapturer) {
    ScreenCapturerX11::Options options;
    options.display = ":999999";
    EXPECT_EQ(ScreenCapturerX11::Create(options), nullptr);

    XvfbServer server("320x240x24");
    ASSERT_TRUE(server.Ok());
    options.display = server.Display();
    options.screen = 3;
    EXPECT_EQ(ScreenCapturerX11::Create(options), nullptr);
}

}  // namespace
}  // namespace platform
