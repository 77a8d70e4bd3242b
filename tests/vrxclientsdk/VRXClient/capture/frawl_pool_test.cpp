#include <gtest/gtest.h>

#include <functional>
#include <latch>
#include <thread>
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

// Runs fn on `count` threads released at the same moment; returns when all ended.
void OnThreadsAtOnce(int count, const std::function<void()>& fn) {
    std::latch go(count);
    std::vector<std::thread> threads;
    for (int t = 0; t < count; ++t) {
        threads.emplace_back([&] {
            go.arrive_and_wait();
            fn();
        });
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

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

// Capture objects deliver on threads of their own, and more than one thread
// may deliver at the same time: each block reaches every running channel.
TEST_F(FrawlPoolTest, BlocksDeliveredFromSeveralThreadsAtOnceReachEveryChannel) {
    ASSERT_EQ(Open(a), 0);
    ASSERT_EQ(Open(b), 0);
    pool.Start(&a);
    pool.Start(&b);
    FakeCaptureSource* source = sources.back();
    source->SetPicture(std::vector<uint8_t>(64 * 32 * 4));
    constexpr int kThreads = 4, kBlocks = 2000;
    OnThreadsAtOnce(kThreads, [&] {
        for (int i = 0; i < kBlocks; ++i) {
            source->DeliverNow(0, 0, 63, 31, 1, 1);
        }
    });
    EXPECT_EQ(a.blocks.load(), kThreads * kBlocks);
    EXPECT_EQ(b.blocks.load(), kThreads * kBlocks);
    pool.RemoveClient(&a);
    pool.RemoveClient(&b);
}

// A refresh asked for while paused is handed over once, however many threads
// deliver refresh blocks at that moment (the source's own among them).
TEST_F(FrawlPoolTest, APausedChannelGetsOneRefreshWhenSeveralThreadsDeliverRefreshBlocks) {
    ASSERT_EQ(Open(a), 0);
    pool.Start(&a);
    pool.Pause(&a);
    FakeCaptureSource* source = sources.back();
    source->SetPicture(std::vector<uint8_t>(64 * 32 * 4));
    constexpr int kRounds = 50, kThreads = 4;
    for (int round = 1; round <= kRounds; ++round) {
        pool.RefreshScreen(&a);
        OnThreadsAtOnce(kThreads, [&] { source->DeliverNow(0, 0, 63, 31, 1, 1, true); });
        source->WaitIdle();
        ASSERT_EQ(a.refreshBlocks.load(), round);
    }
    EXPECT_EQ(a.blocks.load(), kRounds);
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
