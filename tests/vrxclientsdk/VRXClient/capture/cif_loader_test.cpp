// The picture-file source with the real JPEG reader module: fitting, the
// delivered block, 16-bit frames, failures and delivery on its own thread.
#include "vrxclientsdk/VRXClient/capture/CIFLoader.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

// Writes a JPEG of one colour (0xRRGGBB) and returns its UTF-16 path.
std::u16string WriteJpeg(const testsupport::TempDir& dir, const std::string& name, int width,
                         int height, uint32_t rgb) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = static_cast<unsigned char>(rgb >> 16);
        pixels[i + 1] = static_cast<unsigned char>(rgb >> 8);
        pixels[i + 2] = static_cast<unsigned char>(rgb);
    }
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    EXPECT_EQ(tjCompress2(tj, pixels.data(), width, width * 3, height, TJPF_RGB, &jpeg, &size,
                          TJSAMP_444, 95, 0),
              0);
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
    tjFree(jpeg);
    tjDestroy(tj);
    return std::u16string(path.begin(), path.end());
}

std::u16string WriteFile(const testsupport::TempDir& dir, const std::string& name,
                         const std::string& bytes) {
    const std::string path = dir.File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return std::u16string(path.begin(), path.end());
}

struct Delivery {
    IMAGE_BLOCK block;
    std::vector<unsigned char> frame;  // stride * frameRows bytes
    std::thread::id thread;
};

class Receiver {
public:
    static unsigned long Callback(IMAGE_BLOCK* block, void* context) {
        auto* self = static_cast<Receiver*>(context);
        // Like the pool: the callback needs the lock its caller may hold.
        std::lock_guard outer(self->m_callerLock);
        Delivery d{*block, {}, std::this_thread::get_id()};
        d.frame.assign(block->pBits,
                       block->pBits + static_cast<size_t>(block->stride) * block->frameRows);
        std::lock_guard lock(self->m_lock);
        self->m_deliveries.push_back(std::move(d));
        self->m_changed.notify_all();
        return 0;
    }
    // Waits until `count` deliveries arrived (10 s ceiling for a broken build).
    bool WaitFor(size_t count) {
        std::unique_lock lock(m_lock);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return m_deliveries.size() >= count; });
    }
    std::vector<Delivery> Deliveries() {
        std::lock_guard lock(m_lock);
        return m_deliveries;
    }
    std::mutex& CallerLock() { return m_callerLock; }

private:
    std::mutex m_callerLock;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Delivery> m_deliveries;
};

// Waits for the status the delivery thread sets after the callback returned.
bool WaitForStatus(CIFLoader& loader, STATUS status) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (loader.GetStatus() != status) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

uint32_t Rgb32(const Delivery& d, int x, int y) {
    const unsigned char* p =
        &d.frame[static_cast<size_t>(y) * d.block.stride + static_cast<size_t>(x) * 4];
    return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 4) {
            return false;
        }
    }
    return true;
}

TEST(CIFLoaderTest, FitsThePictureCentredInABlackFrame) {
    struct Case {
        const char* name;
        int pictureW, pictureH, width, height;
        int frameW, frameH, drawnW, drawnH;
    } cases[] = {
        {"large photo into 720p", 3000, 2000, 1280, 720, 1280, 720, 1080, 720},
        {"small picture keeps its size", 640, 480, 1280, 720, 1280, 720, 640, 480},
        {"width 0: frame as wide as the drawn picture", 3000, 2000, 0, 720, 1080, 720, 1080, 720},
        {"height 0", 3000, 2000, 1280, 0, 1280, 853, 1280, 853},
        {"no size at all: the picture's own", 200, 100, 0, 0, 200, 100, 200, 100},
        {"narrower than tall", 400, 1600, 1280, 720, 1280, 720, 180, 720},
    };
    testsupport::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string path = WriteJpeg(dir, "p.jpg", c.pictureW, c.pictureH, 0x3080C0);
        Receiver receiver;
        CIFLoader loader(path);
        ASSERT_EQ(loader.Open(&Receiver::Callback, &receiver, c.width, c.height), 0);
        EXPECT_EQ(loader.FrameWidth(), c.frameW);
        EXPECT_EQ(loader.FrameHeight(), c.frameH);
        EXPECT_EQ(loader.DrawnWidth(), c.drawnW);
        EXPECT_EQ(loader.DrawnHeight(), c.drawnH);
        int fbw = 0, fbh = 0;
        loader.GetFrameBufSize(fbw, fbh);
        EXPECT_EQ(fbw, c.frameW);  // 32-bit rows need no padding
        EXPECT_EQ(fbh, c.frameH);

        ASSERT_TRUE(loader.Start());
        ASSERT_TRUE(receiver.WaitFor(1));
        const Delivery d = receiver.Deliveries()[0];
        const IMAGE_BLOCK& b = d.block;
        EXPECT_EQ(b.x1, 0);
        EXPECT_EQ(b.y1, 0);
        EXPECT_EQ(b.x2, c.frameW - 1);
        EXPECT_EQ(b.y2, c.frameH - 1);
        EXPECT_EQ(b.width, static_cast<uint32_t>(c.frameW));
        EXPECT_EQ(b.size, static_cast<uint32_t>(32 * c.frameW * c.frameH / 8));
        EXPECT_EQ(b.refresh, 1);
        EXPECT_EQ(b.quality100, 0);
        EXPECT_EQ(b.fsn, 1);
        EXPECT_EQ(b.ftot, 1);
        EXPECT_EQ(b.et, 0u);
        EXPECT_EQ(b.colorFormat, COLOR_FORMAT_BGRX);
        const int x = (c.frameW - c.drawnW) / 2, y = (c.frameH - c.drawnH) / 2;
        EXPECT_TRUE(Near(Rgb32(d, x + c.drawnW / 2, y + c.drawnH / 2), 0x3080C0));
        EXPECT_TRUE(Near(Rgb32(d, x + 1, y + 1), 0x3080C0));
        if (x > 0) {
            EXPECT_EQ(Rgb32(d, x - 1, y), 0u);
        }
        if (y > 0) {
            EXPECT_EQ(Rgb32(d, x, y - 1), 0u);
        }
        EXPECT_TRUE(WaitForStatus(loader, STATUS_PAUSED));
    }
}

TEST(CIFLoaderTest, SixteenBitFramesOfOddWidthHavePaddedRowsThatFit) {
    testsupport::TempDir dir;
    const std::u16string path = WriteJpeg(dir, "odd.jpg", 641, 5, 0xFF0000);
    struct Case {
        const char* name;
        bool is565;
        COLOR_FORMAT format;
        unsigned red;
    } cases[] = {{"5-6-5", true, COLOR_FORMAT_RGB565, 0xF800},
                 {"5-5-5", false, COLOR_FORMAT_RGB555, 0x7C00}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver receiver;
        CIFLoader loader(path);
        loader.SetBitCount(16);
        loader.Set16BitRGB(c.is565);
        ASSERT_EQ(loader.Open(&Receiver::Callback, &receiver, 641, 5), 0);
        int fbw = 0, fbh = 0;
        loader.GetFrameBufSize(fbw, fbh);
        EXPECT_EQ(fbw, 642);  // 1282 bytes padded to 1284
        EXPECT_EQ(fbh, 5);
        ASSERT_TRUE(loader.Start());
        ASSERT_TRUE(receiver.WaitFor(1));
        const Delivery d = receiver.Deliveries()[0];
        EXPECT_EQ(d.block.colorFormat, static_cast<uint32_t>(c.format));
        EXPECT_EQ(d.block.stride, 1284u);
        EXPECT_EQ(d.block.size, 16u * 5 * 641 / 8);
        // The last pixel of the last row is the picture's, inside the buffer.
        const unsigned char* p = &d.frame[4 * 1284 + 640 * 2];
        EXPECT_EQ((p[0] | (p[1] << 8)) & 0x7FFF, c.red & 0x7FFF);
    }
}

TEST(CIFLoaderTest, DeliversOnItsOwnThreadWhileTheCallerHoldsItsLock) {
    testsupport::TempDir dir;
    const std::u16string path = WriteJpeg(dir, "p.jpg", 64, 48, 0x00FF00);
    Receiver receiver;
    CIFLoader first(path);
    CIFLoader second(path);
    ASSERT_EQ(first.Open(&Receiver::Callback, &receiver, 64, 48), 0);
    ASSERT_EQ(second.Open(&Receiver::Callback, &receiver, 64, 48), 0);
    {
        // The pool starts and refreshes sources under its lock, and its
        // block callback takes that lock: a delivery on this thread would
        // never get it.
        std::lock_guard poolLock(receiver.CallerLock());
        EXPECT_TRUE(first.Start());
        EXPECT_TRUE(second.Start());
    }
    ASSERT_TRUE(receiver.WaitFor(2));
    {
        // A refresh delivers the same picture once more.
        std::lock_guard poolLock(receiver.CallerLock());
        first.RefreshScreen();
    }
    ASSERT_TRUE(receiver.WaitFor(3));
    for (const Delivery& d : receiver.Deliveries()) {
        EXPECT_NE(d.thread, std::this_thread::get_id());
        EXPECT_EQ(d.block.refresh, 1);
    }
    EXPECT_TRUE(WaitForStatus(first, STATUS_PAUSED));
    // After Close no callback can come: the delivery thread is gone.
    first.Close();
    second.Close();
    const size_t count = receiver.Deliveries().size();
    EXPECT_FALSE(first.Start());
    first.RefreshScreen();
    EXPECT_EQ(receiver.Deliveries().size(), count);
    EXPECT_EQ(first.GetStatus(), STATUS_STOPPED);
}

TEST(CIFLoaderTest, UnreadableFilesFailWithTheReadersNegativeResult) {
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        std::u16string path;
        int result;
    } cases[] = {
        {"missing file", u"/nonexistent/picture.jpg", kQuilletCannotRead},
        {"empty file", WriteFile(dir, "empty.jpg", ""), kQuilletNotJpeg},
        {"not a JPEG", WriteFile(dir, "text.jpg", "this is not a picture at all"), kQuilletNotJpeg},
        {"truncated header",
         WriteFile(dir, "cut.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10)),
         kQuilletNotJpeg},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver receiver;
        CIFLoader loader(c.path);
        EXPECT_EQ(loader.Open(&Receiver::Callback, &receiver, 640, 480), c.result);
        EXPECT_FALSE(loader.Start());
        int fbw = -1, fbh = -1;
        loader.GetFrameBufSize(fbw, fbh);
        EXPECT_EQ(fbw, 0);
        EXPECT_EQ(fbh, 0);
        int w = -1, h = -1;
        loader.GetWindowSize(w, h);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(CIFLoaderTest, ColourFormatsFollowBitCountAndTheFlag) {
    testsupport::TempDir dir;
    const std::u16string path = WriteJpeg(dir, "p.jpg", 16, 16, 0x0000FF);
    struct Case {
        const char* name;
        int setFormat;  // -1: leave
        unsigned short bits;
        bool is565;
        uint32_t want;
        uint32_t stride;
    } cases[] = {
        {"default", -1, 0, false, COLOR_FORMAT_BGRX, 64},
        {"16 bits, 5-5-5", -1, 16, false, COLOR_FORMAT_RGB555, 32},
        {"16 bits, 5-6-5", -1, 16, true, COLOR_FORMAT_RGB565, 32},
        {"format 2", COLOR_FORMAT_RGB565, 0, false, COLOR_FORMAT_RGB565, 32},
        {"format 5 reads as 32 bits", COLOR_FORMAT_RGBX, 0, false, COLOR_FORMAT_RGBX, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Receiver receiver;
        CIFLoader loader(path);
        if (c.bits) {
            loader.Set16BitRGB(c.is565);
            loader.SetBitCount(c.bits);
        }
        if (c.setFormat >= 0) {
            loader.SetColorFormat(static_cast<COLOR_FORMAT>(c.setFormat));
        }
        ASSERT_EQ(loader.Open(&Receiver::Callback, &receiver, 16, 16), 0);
        ASSERT_TRUE(loader.Start());
        ASSERT_TRUE(receiver.WaitFor(1));
        const Delivery d = receiver.Deliveries()[0];
        EXPECT_EQ(d.block.colorFormat, c.want);
        EXPECT_EQ(d.block.stride, c.stride);
    }
}

}  // namespace
