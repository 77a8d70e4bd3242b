// The screen-capture object against a real X server (Xvfb started by each
// test): what the callback gets after drawing, refresh, pause and stop.
#include "vrxclientsdk/VRXClient/capture/Frawl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <vector>

#include "tests/support/XScreenDrawer.h"
#include "tests/support/XvfbServer.h"
#include "vrxclientsdk/VRXClient/capture/FrawlCodes.h"

using testsupport::XScreenDrawer;
using testsupport::XvfbServer;

namespace {

// One delivered block, with its pixels copied out (rows packed).
struct Received {
    IMAGE_BLOCK block;
    std::vector<uint8_t> pixels;

    bool Whole(int w, int h) const {
        return block.x1 == 0 && block.y1 == 0 && block.x2 == w - 1 && block.y2 == h - 1;
    }
    // The 32-bit pixel at (x, y) of the screen, as 0xRRGGBB.
    uint32_t ColourAt(int x, int y) const {
        const size_t i = (static_cast<size_t>(y - block.y1) * block.width + (x - block.x1)) * 4;
        return (uint32_t{pixels[i + 2]} << 16) | (uint32_t{pixels[i + 1]} << 8) | pixels[i];
    }
};

class Collector {
public:
    static unsigned long Callback(IMAGE_BLOCK* block, void* context) {
        static_cast<Collector*>(context)->Add(*block);
        return 0;
    }

    void Add(const IMAGE_BLOCK& b) {
        Received r{b, {}};
        const int bytes =
            b.colorFormat == COLOR_FORMAT_RGB565 || b.colorFormat == COLOR_FORMAT_RGB555 ? 2 : 4;
        const size_t row = static_cast<size_t>(b.width) * bytes;
        EXPECT_EQ(b.size, row * b.height);
        EXPECT_GE(b.fsn, 1);
        EXPECT_LE(b.fsn, b.ftot);
        EXPECT_LE(static_cast<uint32_t>(b.y2), b.frameRows - 1);
        r.pixels.resize(row * b.height);
        for (uint32_t y = 0; y < b.height; ++y) {
            std::memcpy(r.pixels.data() + y * row,
                        b.pBits + (static_cast<size_t>(b.y1) + y) * b.stride +
                            static_cast<size_t>(b.x1) * bytes,
                        row);
        }
        std::lock_guard lock(m_lock);
        m_blocks.push_back(std::move(r));
        m_changed.notify_all();
    }

    // Waits (10 s at most: a ceiling for a broken build, not a timing) until
    // `done` holds for the blocks received so far.
    bool WaitFor(const std::function<bool(const std::vector<Received>&)>& done) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return done(m_blocks); });
    }
    // The blocks received so far.
    std::vector<Received> Blocks() {
        std::lock_guard lock(m_lock);
        return m_blocks;
    }
    size_t Count() {
        std::lock_guard lock(m_lock);
        return m_blocks.size();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Received> m_blocks;
};

// True once the last block of a frame (fsn == ftot) has arrived after index `from`.
auto FrameAfter(size_t from) {
    return [from](const std::vector<Received>& blocks) {
        for (size_t i = from; i < blocks.size(); ++i) {
            if (blocks[i].block.fsn == blocks[i].block.ftot) {
                return true;
            }
        }
        return false;
    };
}

class FrawlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Ok());
        ASSERT_TRUE(m_drawer.Ok());
        m_drawer.Fill(0, 0, 640, 480, 0x204060);
        m_frawl.SetDisplayName(m_server.Display());
        m_frawl.SetCursorMode(false);
    }

    XvfbServer m_server{"640x480x24"};
    XScreenDrawer m_drawer{m_server.Display()};
    Collector m_collector;
    CFrawl m_frawl;
};

TEST_F(FrawlTest, DeliversTheWholePictureFirstAndThenOnlyWhatChanged) {
    int w = 0, h = 0;
    m_frawl.GetWindowSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_EQ(m_frawl.Open(&Collector::Callback, &m_collector, 0, 0), 0);
    m_frawl.GetFrameBufSize(w, h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_STOPPED);
    ASSERT_TRUE(m_frawl.Start());
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_RUNNING);

    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(0)));
    std::vector<Received> first = m_collector.Blocks();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(first[0].Whole(640, 480));
    EXPECT_EQ(first[0].block.ftot, 1);
    EXPECT_EQ(first[0].block.colorFormat, COLOR_FORMAT_BGRX);
    EXPECT_EQ(first[0].ColourAt(320, 240), 0x204060u);
    EXPECT_NE(m_frawl.GetFirstCapTime(), 0);

    // Two small changes far apart: two small blocks of one frame.
    const size_t before = m_collector.Count();
    m_drawer.Fill(100, 100, 8, 8, 0xFF0000);
    m_drawer.Fill(500, 400, 8, 8, 0x00FF00);
    ASSERT_TRUE(m_collector.WaitFor([&](const std::vector<Received>& blocks) {
        int seen = 0;
        for (size_t i = before; i < blocks.size(); ++i) {
            const IMAGE_BLOCK& b = blocks[i].block;
            seen += (b.x1 <= 100 && b.x2 >= 107 && b.y1 <= 100 && b.y2 >= 107) ? 1 : 0;
            seen += (b.x1 <= 500 && b.x2 >= 507 && b.y1 <= 400 && b.y2 >= 407) ? 1 : 0;
        }
        return seen == 2;
    }));
    std::vector<Received> all = m_collector.Blocks();
    for (size_t i = before; i < all.size(); ++i) {
        const IMAGE_BLOCK& b = all[i].block;
        SCOPED_TRACE(i);
        EXPECT_FALSE(all[i].Whole(640, 480));
        EXPECT_EQ(b.refresh, 0);
        EXPECT_LE(b.width * b.height, 32u * 32u);
        if (b.x1 <= 100 && b.x2 >= 107) {
            EXPECT_EQ(all[i].ColourAt(104, 104), 0xFF0000u);
        } else {
            EXPECT_EQ(all[i].ColourAt(504, 404), 0x00FF00u);
        }
    }
    m_frawl.Close();
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_STOPPED);
}

TEST_F(FrawlTest, RefreshGivesTheWholePictureEvenWhilePaused) {
    ASSERT_EQ(m_frawl.Open(&Collector::Callback, &m_collector, 0, 0), 0);
    ASSERT_TRUE(m_frawl.Start());
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(0)));
    const size_t afterFirst = m_collector.Count();

    m_frawl.Pause();
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_PAUSED);
    m_drawer.Fill(10, 10, 30, 30, 0xFFFFFF);
    m_frawl.RefreshScreen();
    ASSERT_TRUE(m_collector.WaitFor([&](const std::vector<Received>& blocks) {
        return blocks.size() > afterFirst && blocks.back().block.refresh == 1;
    }));
    std::vector<Received> blocks = m_collector.Blocks();
    // Nothing but the refresh arrived while paused, and it shows the change.
    ASSERT_EQ(blocks.size(), afterFirst + 1);
    const Received& refresh = blocks.back();
    EXPECT_TRUE(refresh.Whole(640, 480));
    EXPECT_EQ(refresh.block.fsn, 1);
    EXPECT_EQ(refresh.block.ftot, 1);
    EXPECT_EQ(refresh.ColourAt(20, 20), 0xFFFFFFu);
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_PAUSED);

    // Starting again after a pause sends the whole picture.
    m_drawer.Fill(200, 200, 4, 4, 0x123456);
    ASSERT_TRUE(m_frawl.Start());
    const size_t afterRefresh = afterFirst + 1;
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(afterRefresh)));
    blocks = m_collector.Blocks();
    EXPECT_TRUE(blocks[afterRefresh].Whole(640, 480));
    EXPECT_EQ(blocks[afterRefresh].ColourAt(201, 201), 0x123456u);
}

// A change over the whole screen (full motion) is a whole picture but not a
// refresh: a refresh makes the encoders send a key frame at the top quality,
// which every moving frame must not.
TEST_F(FrawlTest, AChangeOverTheWholeScreenIsNoRefresh) {
    ASSERT_EQ(m_frawl.Open(&Collector::Callback, &m_collector, 0, 0), 0);
    ASSERT_TRUE(m_frawl.Start());
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(0)));
    const std::vector<Received> first = m_collector.Blocks();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].block.refresh, 1);  // the start's whole picture
    const size_t before = m_collector.Count();
    m_drawer.Fill(0, 0, 640, 480, 0x806040);
    ASSERT_TRUE(m_collector.WaitFor([&](const std::vector<Received>& blocks) {
        for (size_t i = before; i < blocks.size(); ++i) {
            if (blocks[i].Whole(640, 480)) {
                return true;
            }
        }
        return false;
    }));
    const std::vector<Received> blocks = m_collector.Blocks();
    for (size_t i = before; i < blocks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(blocks[i].block.refresh, 0);
    }
    EXPECT_EQ(blocks.back().ColourAt(320, 240), 0x806040u);
}

TEST_F(FrawlTest, StopEndsDeliveriesAndStartBeginsWithTheWholePicture) {
    ASSERT_EQ(m_frawl.Open(&Collector::Callback, &m_collector, 0, 0), 0);
    ASSERT_TRUE(m_frawl.Start());
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(0)));
    m_frawl.Stop();
    EXPECT_EQ(m_frawl.GetStatus(), STATUS_STOPPED);
    // Stop joined the capture thread: no callback can come any more.
    const size_t stopped = m_collector.Count();
    m_drawer.Fill(0, 0, 50, 50, 0x00FFFF);
    m_frawl.RefreshScreen();
    EXPECT_EQ(m_collector.Count(), stopped);

    ASSERT_TRUE(m_frawl.Start());
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(stopped)));
    const std::vector<Received> blocks = m_collector.Blocks();
    EXPECT_TRUE(blocks[stopped].Whole(640, 480));
    EXPECT_EQ(blocks[stopped].ColourAt(25, 25), 0x00FFFFu);
}

TEST_F(FrawlTest, ScalesRotatesAndConvertsTheOutput) {
    struct Case {
        const char* name;
        int rotation;
        unsigned short bits;
        bool rgb565;
        int outW, outH;
        uint32_t format;
        int windowW, windowH;
    } cases[] = {
        {"half size, 32 bits", 0, 32, false, 320, 240, COLOR_FORMAT_BGRX, 640, 480},
        {"quarter turn, 5-6-5", 1, 16, true, 240, 320, COLOR_FORMAT_RGB565, 480, 640},
        {"own size, 5-5-5", 0, 16, false, 0, 0, COLOR_FORMAT_RGB555, 640, 480},
    };
    // The left half red, the right half blue.
    m_drawer.Fill(0, 0, 320, 480, 0xFF0000);
    m_drawer.Fill(320, 0, 320, 480, 0x0000FF);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Collector collector;
        CFrawl frawl;
        frawl.SetDisplayName(m_server.Display());
        frawl.SetCursorMode(false);
        frawl.SetRotation(c.rotation);
        frawl.SetBitCount(c.bits);
        frawl.Set16BitRGB(c.rgb565);
        int w = 0, h = 0;
        frawl.GetWindowSize(w, h);
        EXPECT_EQ(w, c.windowW);
        EXPECT_EQ(h, c.windowH);
        ASSERT_EQ(frawl.Open(&Collector::Callback, &collector, c.outW, c.outH), 0);
        frawl.GetFrameBufSize(w, h);
        ASSERT_TRUE(frawl.Start());
        ASSERT_TRUE(collector.WaitFor(FrameAfter(0)));
        const Received first = collector.Blocks()[0];
        EXPECT_TRUE(first.Whole(w, h));
        EXPECT_EQ(first.block.colorFormat, c.format);
        EXPECT_EQ(first.block.frameRows, static_cast<uint32_t>(h));
        // A point well inside the red half of the screen, after rotation and scaling.
        int x = w / 4, y = h / 2;  // unrotated: left half
        if (c.rotation == 1) {
            x = w / 2;
            y = h / 4;  // the left half of the screen is the top half turned clockwise
        }
        const int bytes = c.bits / 8;
        const uint8_t* p = &first.pixels[(static_cast<size_t>(y) * first.block.width + x) * bytes];
        if (c.bits == 32) {
            EXPECT_EQ(p[2], 0xFF);
            EXPECT_EQ(p[0], 0x00);
        } else {
            const unsigned word = p[0] | (p[1] << 8);
            EXPECT_EQ(word & 0x7FFF, c.rgb565 ? 0xF800u & 0x7FFF : 0x7C00u);
        }
        frawl.Close();
    }
}

TEST_F(FrawlTest, FollowsTheCursorWithoutScreenChanges) {
    m_frawl.SetCursorMode(true);
    m_drawer.MovePointer(100, 100);
    ASSERT_EQ(m_frawl.Open(&Collector::Callback, &m_collector, 0, 0), 0);
    ASSERT_TRUE(m_frawl.Start());
    ASSERT_TRUE(m_collector.WaitFor(FrameAfter(0)));
    const size_t before = m_collector.Count();

    m_drawer.MovePointer(400, 300);
    // The old place is repainted and the new one shows the cursor.
    ASSERT_TRUE(m_collector.WaitFor([&](const std::vector<Received>& blocks) {
        bool oldPlace = false, newPlace = false;
        for (size_t i = before; i < blocks.size(); ++i) {
            const IMAGE_BLOCK& b = blocks[i].block;
            oldPlace |= b.x1 <= 100 && b.x2 >= 100 && b.y1 <= 100 && b.y2 >= 100;
            newPlace |= b.x1 <= 400 && b.x2 >= 400 && b.y1 <= 300 && b.y2 >= 300;
        }
        return oldPlace && newPlace;
    }));
    bool cursorDrawn = false;
    const std::vector<Received> moved = m_collector.Blocks();
    for (size_t i = before; i < moved.size(); ++i) {
        const Received& r = moved[i];
        const IMAGE_BLOCK& b = r.block;
        EXPECT_FALSE(r.Whole(640, 480));
        for (uint32_t y = 0; y < b.height && !cursorDrawn; ++y) {
            for (uint32_t x = 0; x < b.width; ++x) {
                if (b.x1 + static_cast<int>(x) >= 390 &&
                    r.ColourAt(b.x1 + x, b.y1 + y) != 0x204060u) {
                    cursorDrawn = true;
                    break;
                }
            }
        }
    }
    EXPECT_TRUE(cursorDrawn);

    // A fixed cursor position overrides the pointer.
    CapturePoint point{50, 400};
    const size_t beforeFixed = m_collector.Count();
    m_frawl.SetCursorPosition(&point);
    ASSERT_TRUE(m_collector.WaitFor([&](const std::vector<Received>& blocks) {
        for (size_t i = beforeFixed; i < blocks.size(); ++i) {
            const IMAGE_BLOCK& b = blocks[i].block;
            if (b.x1 <= 50 && b.x2 >= 50 && b.y1 <= 400 && b.y2 >= 400) {
                return true;
            }
        }
        return false;
    }));
}

TEST(FrawlOpenTest, UnreachableDisplayOrBadOutputFails) {
    Collector collector;
    CFrawl frawl;
    frawl.SetDisplayName(":999999");
    EXPECT_EQ(frawl.Open(&Collector::Callback, &collector, 0, 0), kFrawlNoDisplay);
    EXPECT_FALSE(frawl.Start());
    int w = -1, h = -1;
    frawl.GetWindowSize(w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    XvfbServer server("320x240x24");
    ASSERT_TRUE(server.Ok());
    frawl.SetDisplayName(server.Display());
    EXPECT_EQ(frawl.Open(&Collector::Callback, &collector, 100000, 100), kFrawlBadOutput);
    frawl.SetScreenCapture(5);
    EXPECT_EQ(frawl.Open(&Collector::Callback, &collector, 0, 0), kFrawlNoDisplay);
}

}  // namespace
