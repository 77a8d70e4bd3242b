#include <gtest/gtest.h>

#include "vrxclientsdk/VRXClient/imagechannel/DirtyRectList.h"

TEST(RefreshListTest, AddMergesCheapNeighboursAndDropsContainedOnes) {
    struct Case {
        const char* name;
        std::vector<IBRect> add;
        std::vector<IBRect> expected;
    } cases[] = {
        {"side by side merge", {{0, 0, 15, 15}, {16, 0, 31, 15}}, {{0, 0, 31, 15}}},
        {"contained is dropped", {{0, 0, 63, 63}, {16, 16, 31, 31}}, {{0, 0, 63, 63}}},
        {"container replaces", {{16, 16, 31, 31}, {0, 0, 63, 63}}, {{0, 0, 63, 63}}},
        {"far apart stay apart",
         {{0, 0, 15, 15}, {500, 500, 515, 515}},
         {{0, 0, 15, 15}, {500, 500, 515, 515}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshList list;
        for (const IBRect& r : c.add) {
            list.Add(r);
        }
        EXPECT_EQ(list.Rects(), c.expected);
    }
}

TEST(RefreshListTest, SubtractCutsOrShrinksWithoutLosingUncoveredArea) {
    struct Case {
        const char* name;
        IBRect entry, cut;
        std::vector<IBRect> expected;
    } cases[] = {
        {"covered", {16, 16, 31, 31}, {0, 0, 63, 63}, {}},
        {"top band cut off", {0, 0, 63, 63}, {0, 0, 63, 15}, {{0, 16, 63, 63}}},
        {"disjoint untouched", {0, 0, 15, 15}, {100, 100, 110, 110}, {{0, 0, 15, 15}}},
        {"hole in the middle shrinks to the parts' box",
         {0, 0, 63, 63},
         {16, 16, 47, 47},
         {{0, 0, 63, 63}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RefreshList list;
        list.Add(c.entry);
        list.Subtract(c.cut);
        EXPECT_EQ(list.Rects(), c.expected);
    }
}

TEST(DirtyRectListTest, LowQualityAreasComeBackOnceAfter1100Ms) {
    const IBRect a{0, 0, 127, 15};
    struct Case {
        const char* name;
        bool resentAt100;
        uint64_t at;
        bool refreshed;
    } cases[] = {
        {"not yet", false, 1100, false},
        {"after 1100 ms", false, 1101, true},
        {"re-sent at 100 meanwhile", true, 1101, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DirtyRectList dirty;
        RefreshList refresh;
        dirty.Add(0, false, a);
        if (c.resentAt100) {
            dirty.Add(500, true, a);
        }
        dirty.BuildRefreshList(c.at, refresh);
        EXPECT_EQ(!refresh.Empty(), c.refreshed);
        if (c.refreshed) {
            EXPECT_EQ(refresh.Rects(), std::vector<IBRect>{a});
            dirty.BuildRefreshList(c.at + 5000, refresh);  // only once
            EXPECT_TRUE(refresh.Empty());
        }
    }
}

TEST(DirtyRectListTest, OldEntriesLeaveAndTheListIsCapped) {
    DirtyRectList dirty;
    RefreshList refresh;
    for (uint64_t t = 0; t < 3000; ++t) {
        dirty.Add(t, true, {0, 0, 15, 15});
    }
    EXPECT_EQ(dirty.Size(), DirtyRectList::kCapacity);
    dirty.BuildRefreshList(5000, refresh);
    EXPECT_EQ(dirty.Size(), 0u);
}
