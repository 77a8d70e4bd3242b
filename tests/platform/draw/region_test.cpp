#include "platform/draw/region.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(RegionTest, RectangleContainsItsPixelsOnly) {
    const Region r = Region::FromRect({2, 3, 5, 6});
    struct Case {
        int x, y;
        bool in;
    } cases[] = {{2, 3, true},  {4, 5, true},  {5, 3, false},
                 {2, 6, false}, {1, 3, false}, {3, 2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(r.Contains(c.x, c.y), c.in);
    }
    EXPECT_EQ(r.Bounds(), (Rect{2, 3, 5, 6}));
    EXPECT_EQ(r.Spans().size(), 3u);
    EXPECT_TRUE(Region::FromRect({4, 4, 4, 9}).IsEmpty());
    EXPECT_TRUE(Region().Bounds().IsEmpty());
}

TEST(RegionTest, UnionMergesSpansWhateverTheOrder) {
    const Region a = Region::FromRect({0, 0, 4, 2});
    const Region b = Region::FromRect({3, 1, 8, 3});   // overlaps a on row 1
    const Region c = Region::FromRect({8, 1, 10, 2});  // touches b on row 1
    const Region far = Region::FromRect({20, 0, 22, 1});

    Region abc = a;
    abc.Union(b);
    abc.Union(c);
    abc.Union(far);
    Region cba = far;
    cba.Union(c);
    cba.Union(b);
    cba.Union(a);
    EXPECT_EQ(abc, cba);

    const std::vector<Region::Span> expected = {{0, 0, 4}, {0, 20, 22}, {1, 0, 10}, {2, 3, 8}};
    EXPECT_EQ(abc.Spans(), expected);
    EXPECT_TRUE(abc.Contains(9, 1));
    EXPECT_FALSE(abc.Contains(9, 2));
    EXPECT_FALSE(abc.Contains(10, 0));
    EXPECT_EQ(abc.Bounds(), (Rect{0, 0, 22, 3}));
}

TEST(RegionTest, ToRectsJoinsRowsWithTheSameSpans) {
    Region r = Region::FromRect({0, 0, 10, 4});
    r.Union(Region::FromRect({20, 0, 30, 4}));
    r.Union(Region::FromRect({0, 4, 30, 6}));
    const std::vector<Rect> expected = {{0, 0, 10, 4}, {20, 0, 30, 4}, {0, 4, 30, 6}};
    EXPECT_EQ(r.ToRects(), expected);

    // Rebuilding a region from its rectangles gives the same region.
    Region rebuilt;
    for (const Rect& rect : r.ToRects())
        rebuilt.Union(Region::FromRect(rect));
    EXPECT_EQ(rebuilt, r);
}

TEST(RegionTest, RoundRectCutsSymmetricCorners) {
    // The shape of the small reconnect window: 239 x 65 with 9 x 9 corners.
    const Rect rect{0, 0, 239, 65};
    const Region r = Region::FromRoundRect(rect, 9, 9);
    EXPECT_EQ(r.Bounds(), rect);
    EXPECT_FALSE(r.Contains(0, 0));
    EXPECT_FALSE(r.Contains(238, 0));
    EXPECT_FALSE(r.Contains(0, 64));
    EXPECT_FALSE(r.Contains(238, 64));
    EXPECT_TRUE(r.Contains(119, 0));
    EXPECT_TRUE(r.Contains(0, 32));
    EXPECT_TRUE(r.Contains(238, 32));
    ASSERT_EQ(r.Spans().size(), 65u);
    int previousInset = 239;
    for (int y = 0; y < 65; ++y) {
        SCOPED_TRACE(y);
        const Region::Span& s = r.Spans()[y];
        const Region::Span& mirror = r.Spans()[64 - y];
        EXPECT_EQ(s.left, 239 - s.right);  // left and right corners alike
        EXPECT_EQ(s.left, mirror.left);    // top and bottom corners alike
        if (y <= 32) {
            EXPECT_LE(s.left, previousInset);  // widening toward the middle
            previousInset = s.left;
        }
        EXPECT_EQ(s.left == 0, y >= 2 && y <= 62);  // only the outer rows are cut
    }
    // Corners too small to round leave the rectangle.
    EXPECT_EQ(Region::FromRoundRect(rect, 1, 9), Region::FromRect(rect));
    // Oversized corners are clamped: a circle-like shape, still inside the rectangle.
    const Region pill = Region::FromRoundRect({0, 0, 10, 10}, 100, 100);
    EXPECT_EQ(pill.Bounds(), (Rect{0, 0, 10, 10}));
    EXPECT_TRUE(pill.Contains(5, 5));
    EXPECT_FALSE(pill.Contains(0, 0));
}

TEST(RegionTest, OffsetMovesEverySpan) {
    Region r = Region::FromRoundRect({0, 0, 20, 10}, 6, 6);
    const Region before = r;
    r.Offset(5, -3);
    EXPECT_EQ(r.Bounds(), (Rect{5, -3, 25, 7}));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(r.Contains(x + 5, y - 3), before.Contains(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace platform
