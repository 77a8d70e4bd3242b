#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "vrxclientsdk/VRXClient/imagechannel/IBFlowControl.h"

TEST(IBFlowControlTest, PacesOnlyTheLastFragmentAfterAnAcknowledgement) {
    struct Case {
        const char* name;
        uint32_t ack;  // 0: none received
        int window;
        bool lastFragment, raw;
        uint64_t lastBigSendMs, nowMs;
        bool applies;
    } cases[] = {
        {"paced", 5, 4, true, false, 0, 10000, true},
        {"never acknowledged", 0, 4, true, false, 0, 10000, false},
        {"window 0", 5, 0, true, false, 0, 10000, false},
        {"not the last fragment", 5, 4, false, false, 0, 10000, false},
        {"raw with a recent big send", 5, 4, true, true, 7000, 10000, true},
        {"raw without a recent big send", 5, 4, true, true, 6999, 10000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IBFlowControl flow;
        flow.SetWindow(c.window);
        if (c.ack) {
            flow.OnAck(c.ack);
        }
        EXPECT_EQ(flow.Applies(c.lastFragment, c.raw, c.lastBigSendMs, c.nowMs), c.applies);
    }
}

TEST(IBFlowControlTest, WaitsUntilTheSerialFitsTheWindowOrTheBoundPasses) {
    // Window 4, extra 0, last acknowledged 10: serial 13 fits, 14 must wait.
    IBFlowControl flow;
    flow.SetWaitStepForTest(1);
    flow.OnAck(10);
    auto running = [] { return true; };
    EXPECT_EQ(flow.WaitForWindow(13, running), 0);
    EXPECT_EQ(flow.WaitForWindow(14, running), IBFlowControl::kWaitSteps);
    flow.SetExtraWindow(1);
    EXPECT_EQ(flow.WaitForWindow(14, running), 0);
    EXPECT_EQ(flow.WaitForWindow(15, [] { return false; }), 0);  // stopped: no wait
}

TEST(IBFlowControlTest, AnAcknowledgementEndsTheWait) {
    IBFlowControl flow;
    flow.OnAck(10);
    std::atomic<bool> waiting{false};
    std::thread acker([&] {
        while (!waiting.load()) {
            std::this_thread::yield();
        }
        flow.OnAck(11);
    });
    waiting = true;
    // Without the acknowledgement this would take all 250 steps.
    EXPECT_LT(flow.WaitForWindow(14, [] { return true; }), IBFlowControl::kWaitSteps);
    acker.join();
    EXPECT_EQ(flow.LastAcked(), 11u);
}

TEST(IBFlowControlTest, ScoresTheAverageSendTime) {
    struct Case {
        uint32_t averageMs, count;
        int score;
    } cases[] = {
        {0, 5, 100},   {10, 5, 95},   {11, 5, 93},  {100, 5, 47},
        {100, 24, 68}, {100, 31, 82}, {1000, 5, 0}, {5000, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.averageMs << " ms over " << c.count);
        EXPECT_EQ(IBFlowControl::ScoreFor(c.averageMs, c.count), c.score);
    }
}

TEST(IBFlowControlTest, RatesTheLinkOnceASecondWasMeasured) {
    IBFlowControl flow;
    uint64_t now = 50000;
    for (int i = 0; i < 10; ++i, now += 100) {
        flow.Measure(now, now + 100);  // 100 ms each
        EXPECT_EQ(flow.LinkScore(), 100) << "before a second passed, send " << i;
    }
    flow.Measure(now, now + 100);  // 11 sends, 1100 ms since the start
    EXPECT_EQ(flow.LinkScore(), 47);
    flow.Reset();
    EXPECT_EQ(flow.LinkScore(), 100);
}
