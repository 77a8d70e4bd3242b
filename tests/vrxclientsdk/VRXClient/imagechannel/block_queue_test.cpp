#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "vrxclientsdk/VRXClient/imagechannel/BlockQueue.h"

namespace {

bool Running() {
    return true;
}

}  // namespace

TEST(BlockQueueTest, RefusesBlocksLargerThanTheUsableRing) {
    BlockQueue q;
    ASSERT_TRUE(q.Allocate(1000, 4000));  // usable: min(frame, ring)
    EXPECT_EQ(q.UsableBytes(), 1000u);
    EXPECT_EQ(q.Reserve(1001, Running), nullptr);
    EXPECT_EQ(q.Reserve(0, Running), nullptr);
    EXPECT_NE(q.Reserve(1000, Running), nullptr);
    ASSERT_TRUE(q.Allocate(1000, 600));
    EXPECT_EQ(q.UsableBytes(), 600u);
}

TEST(BlockQueueTest, RestartsTheRingOnlyAfterTheQueueDrained) {
    BlockQueue q;
    ASSERT_TRUE(q.Allocate(300, 300));
    QueuedBlock rec;
    uint8_t* first = q.Reserve(200, Running);
    ASSERT_NE(first, nullptr);
    std::memset(first, 0xAB, 200);
    rec.block.et = 1;
    q.Push(rec, first, 200);
    // 200 more would pass the end: the capture thread waits for the encoder.
    std::thread encoder([&] {
        QueuedBlock front;
        ASSERT_TRUE(q.Front(&front, 1000));
        EXPECT_EQ(front.block.pBits, first);
        EXPECT_EQ(front.block.pBits[199], 0xAB);  // untouched while queued
        q.PopFront();
    });
    uint8_t* second = q.Reserve(200, Running);
    encoder.join();
    EXPECT_EQ(second, first);  // back at the start, after the drain
    EXPECT_EQ(q.Size(), 0u);
}

TEST(BlockQueueTest, DeliversRecordsInOrderAcrossThreads) {
    BlockQueue q;
    ASSERT_TRUE(q.Allocate(64 * 16, 64 * 16, 4));  // few slots: the producer waits often
    constexpr uint32_t kBlocks = 500;
    std::thread producer([&] {
        for (uint32_t i = 1; i <= kBlocks; ++i) {
            uint8_t* p = q.Reserve(64, Running);
            ASSERT_NE(p, nullptr);
            std::memset(p, static_cast<int>(i & 0xFF), 64);
            QueuedBlock rec;
            rec.block.et = i;
            rec.coded = i;  // the coded length travels with the record
            q.Push(rec, p, 64);
        }
    });
    for (uint32_t expected = 1; expected <= kBlocks; ++expected) {
        QueuedBlock front;
        while (!q.Front(&front, 10)) {
        }
        ASSERT_EQ(front.block.et, expected);
        ASSERT_EQ(front.coded, static_cast<long>(expected));
        ASSERT_EQ(front.block.pBits[63], expected & 0xFF);
        q.PopFront();
    }
    producer.join();
}

TEST(BlockQueueTest, AStoppedChannelEndsTheDrainWait) {
    BlockQueue q;
    ASSERT_TRUE(q.Allocate(100, 100));
    QueuedBlock rec;
    q.Push(rec, q.Reserve(80, Running), 80);
    // Nobody consumes; the channel stopped.
    EXPECT_EQ(q.Reserve(80, [] { return false; }), nullptr);
}
