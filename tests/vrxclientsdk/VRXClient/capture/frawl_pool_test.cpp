#include <gtest/gtest.h>

#include <vector>

#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace {

// A channel stand-in that counts the blocks it receives.
struct Channel {
    std::atomic<int> blocks{0};
    std::atomic<int> refreshBlocks{0};
    static unsigned long OnBlock(IMAGE_BLOCK* block, void* context) {
        auto* self = static_cast<Channel*>(context);
        ++self->blocks;
        if (block->refresh) {
            ++self->refreshBlocks;
        }
        return 0;
    }
};

class FrawlPoolTest : public testing::Test {
protected:
    FrawlPoolTest() {
        pool.SetCaptureFactory([this](const CaptureClientRecord&) {
            auto source = std::make_unique<FakeCaptureSource>(counters);
            sources.push_back(source.get());
            return source;
        });
    }
    int Open(Channel& c, int w = 64, int h = 32) {
        return pool.Open(&c, &Channel::OnBlock, &c, w, h);
    }

    FakeCaptureSource::Counters counters;
    std::vector<FakeCaptureSource*> sources;
    FrawlPool pool;
    Channel a, b;
};

}  // namespace

TEST_F(FrawlPoolTest, ChannelsWithEqualSettingsShareOneCaptureObject) {
    struct Case {
        const char* name;
        int widthB;
        int alive;
    } cases[] = {{"same output size", 64, 1}, {"other output size", 128, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(a), 0);
        ASSERT_EQ(Open(b, c.widthB), 0);
        EXPECT_EQ(counters.alive.load(), c.alive);
        pool.RemoveClient(&a);
        pool.RemoveClient(&b);
        EXPECT_EQ(counters.alive.load(), 0);
    }
}

TEST_F(FrawlPoolTest, PausingKeepsCaptureRunningWhileASharerRuns) {
    ASSERT_EQ(Open(a), 0);
    ASSERT_EQ(Open(b), 0);
    ASSERT_TRUE(pool.Start(&a));
    ASSERT_TRUE(pool.Start(&b));
    pool.Pause(&a);
    EXPECT_EQ(counters.pauses.load(), 0);
    EXPECT_EQ(pool.GetState(&a), STATUS_PAUSED);
    pool.Pause(&b);
    EXPECT_EQ(counters.pauses.load(), 1);
    pool.RemoveClient(&a);
    pool.RemoveClient(&b);
}

TEST_F(FrawlPoolTest, DetachingTheLastChannelClosesAndDeletesTheCaptureObject) {
    ASSERT_EQ(Open(a), 0);
    ASSERT_EQ(Open(b), 0);
    pool.Start(&a);
    pool.Start(&b);
    pool.Detach(&a);
    EXPECT_EQ(counters.alive.load(), 1);
    EXPECT_EQ(pool.GetState(&a), STATUS_STOPPED);
    sources.back()->SetPicture(std::vector<uint8_t>(64 * 32 * 4));
    sources.back()->DeliverNow(0, 0, 63, 31, 1, 1);
    EXPECT_EQ(a.blocks.load(), 0);  // detached: no more blocks
    EXPECT_EQ(b.blocks.load(), 1);
    pool.Detach(&b);
    EXPECT_EQ(counters.alive.load(), 0);
}

TEST_F(FrawlPoolTest, APausedChannelGetsTheNextRefreshBlockItAskedForOnce) {
    ASSERT_EQ(Open(a), 0);
    pool.Start(&a);
    pool.Pause(&a);
    FakeCaptureSource* source = sources.back();
    source->SetPicture(std::vector<uint8_t>(64 * 32 * 4));
    source->DeliverNow(0, 0, 63, 31, 1, 1);  // ordinary block: skipped
    EXPECT_EQ(a.blocks.load(), 0);
    pool.RefreshScreen(&a);
    source->WaitIdle();                            // the fake's own thread delivered the refresh
    source->DeliverNow(0, 0, 63, 31, 1, 1, true);  // a second refresh: not asked for
    EXPECT_EQ(a.refreshBlocks.load(), 1);
    EXPECT_EQ(a.blocks.load(), 1);
    pool.RemoveClient(&a);
}

TEST_F(FrawlPoolTest, OpenFailuresAreReported) {
    pool.SetCaptureFactory(nullptr);  // nothing can be created
    EXPECT_EQ(Open(a), FrawlPool::kNoScreenCapture);
    pool.SetImagePath(&a, u"/pictures/a.jpg");
    EXPECT_EQ(Open(a), FrawlPool::kNoPictureSource);
    EXPECT_FALSE(pool.Start(&a));
    pool.RemoveClient(&a);
}
