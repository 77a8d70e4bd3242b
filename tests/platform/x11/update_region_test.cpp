#include "platform/x11/update_region.h"

#include <gtest/gtest.h>

#include <vector>

namespace platform {
namespace {

using Rects = std::vector<CaptureRect>;

TEST(UpdateRegionTest, WidensToTheGridAndClipsToTheFrame) {
    struct Case {
        const char* name;
        CaptureRect in;
        Rects out;
    } cases[] = {
        {"inside one block", {20, 5, 21, 9}, {{16, 0, 32, 16}}},
        {"across blocks", {15, 15, 17, 17}, {{0, 0, 32, 32}}},
        {"already aligned", {32, 16, 48, 32}, {{32, 16, 48, 32}}},
        {"past the right and bottom edge", {90, 50, 200, 200}, {{80, 48, 100, 60}}},
        {"negative origin", {-5, -20, 3, 2}, {{0, 0, 16, 16}}},
        {"outside", {120, 0, 130, 10}, {}},
        {"empty", {10, 10, 10, 20}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRegion region(CaptureRect::FromSize(100, 60), 16);
        region.Add(c.in);
        EXPECT_EQ(region.Rects(), c.out);
    }
}

TEST(UpdateRegionTest, MergesByDistance) {
    struct Case {
        const char* name;
        Rects in;
        int distance;
        Rects out;
    } cases[] = {
        {"far apart stay apart",
         {{0, 0, 16, 16}, {64, 64, 80, 80}},
         32,
         {{0, 0, 16, 16}, {64, 64, 80, 80}}},
        {"gap below the distance", {{0, 0, 16, 16}, {32, 0, 48, 16}}, 32, {{0, 0, 48, 16}}},
        {"gap equal to the distance",
         {{0, 0, 16, 16}, {48, 0, 64, 16}},
         32,
         {{0, 0, 16, 16}, {48, 0, 64, 16}}},
        {"touching at distance 0", {{0, 0, 16, 16}, {16, 0, 32, 16}}, 0, {{0, 0, 32, 16}}},
        {"chain merges through",
         {{0, 0, 16, 16}, {32, 0, 48, 16}, {64, 0, 80, 16}},
         32,
         {{0, 0, 80, 16}}},
        {"huge distance gives one box",
         {{0, 0, 16, 16}, {160, 96, 176, 112}},
         10000,
         {{0, 0, 176, 112}}},
        {"sorted top to bottom",
         {{64, 64, 80, 80}, {0, 0, 16, 16}},
         0,
         {{0, 0, 16, 16}, {64, 64, 80, 80}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateRegion region(CaptureRect::FromSize(400, 300), 16);
        for (const CaptureRect& r : c.in) {
            region.Add(r);
        }
        region.Merge(c.distance);
        EXPECT_EQ(region.Rects(), c.out);
    }
}

TEST(UpdateRegionTest, CoveredRectsAreDroppedAndTooManyBecomeOneBox) {
    UpdateRegion region(CaptureRect::FromSize(4096, 64), 16);
    region.Add({0, 0, 64, 64});
    region.Add({16, 16, 32, 32});
    EXPECT_EQ(region.Rects().size(), 1u);

    region.Clear();
    for (int i = 0; i <= static_cast<int>(UpdateRegion::kMaxRects); ++i) {
        region.Add({i * 32, 0, i * 32 + 16, 16});
    }
    ASSERT_EQ(region.Rects().size(), 1u);
    EXPECT_EQ(region.Rects()[0],
              (CaptureRect{0, 0, static_cast<int>(UpdateRegion::kMaxRects) * 32 + 16, 16}));
}

}  // namespace
}  // namespace platform
