#include "platform/draw/painter.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace platform {
namespace {

constexpr Argb kNone{0};
constexpr Argb kWhite{0xFFFFFFFF};
constexpr Argb kRed{0xFFFF0000};
constexpr Argb kGreen{0xFF00FF00};
constexpr Argb kBlue{0xFF0000FF};

std::unique_ptr<Surface> MakeSurface(int w, int h, Argb fill = kNone) {
    auto s = Surface::Create(w, h);
    EXPECT_NE(s, nullptr);
    s->Clear(fill);
    return s;
}

// Checks every pixel of the surface against `expected(x, y)`.
void ExpectPixels(const Surface& s, const std::function<Argb(int, int)>& expected) {
    int wrong = 0;
    for (int y = 0; y < s.Height(); ++y) {
        for (int x = 0; x < s.Width(); ++x) {
            const Argb want = expected(x, y);
            const Argb got = s.PixelAt(x, y);
            if (got != want && ++wrong <= 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << got.value
                              << ", expected " << want.value;
        }
    }
    EXPECT_EQ(wrong, 0);
}

std::unique_ptr<Image> MakeImage(int w, int h, const std::vector<uint32_t>& argb,
                                 ImageFormat format) {
    auto s = Surface::Create(w, h);
    uint32_t* px = s->MutablePixels();
    const int stride = s->Stride() / 4;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            px[y * stride + x] = PremultiplyArgb(Argb(argb[y * w + x]));
    s->MarkDirty();
    return std::make_unique<Image>(std::move(s), format);
}

TEST(SurfaceTest, CreateRejectsBadSizes) {
    EXPECT_EQ(Surface::Create(0, 10), nullptr);
    EXPECT_EQ(Surface::Create(10, -1), nullptr);
    EXPECT_EQ(Surface::Create(100000, 1), nullptr);
    auto s = Surface::Create(3, 2);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->PixelAt(2, 1), kNone);
    EXPECT_EQ(s->PixelAt(3, 0), kNone);  // outside reads as nothing
}

TEST(PainterTest, FillRectCoversExactlyItsPixelsAndBlendsByAlpha) {
    struct Case {
        const char* name;
        Argb background;
        Argb fill;
        Argb inside;
    } cases[] = {
        {"opaque on transparent", kNone, kRed, kRed},
        {"opaque on white", kWhite, kBlue, kBlue},
        {"half red on white", kWhite, Argb(0x80FF0000), Argb(0xFFFF7F7F)},
        {"transparent changes nothing", kWhite, Argb(0x00FF0000), kWhite},
    };
    const Rect rect{2, 3, 5, 7};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = MakeSurface(10, 10, c.background);
        Painter(*s).FillRect(rect, c.fill);
        ExpectPixels(*s,
                     [&](int x, int y) { return rect.Contains(x, y) ? c.inside : c.background; });
    }
}

TEST(PainterTest, FrameRectDrawsInsideTheEdgesOnly) {
    for (int thickness : {1, 2, 5}) {
        SCOPED_TRACE(thickness);
        auto s = MakeSurface(20, 16, kWhite);
        const Rect rect{2, 1, 18, 15};
        Painter(*s).FrameRect(rect, Argb(0x80000000), thickness);
        const Rect inner{rect.left + thickness, rect.top + thickness, rect.right - thickness,
                         rect.bottom - thickness};
        // Half black over white, blended once even at the corners.
        const Argb grey{0xFF7F7F7F};
        ExpectPixels(*s, [&](int x, int y) {
            return rect.Contains(x, y) && !inner.Contains(x, y) ? grey : kWhite;
        });
    }
}

TEST(PainterTest, DrawLineLeavesOutItsEndPoint) {
    struct Case {
        const char* name;
        Point from, to;
        std::vector<Point> pixels;
    } cases[] = {
        {"right", {1, 2}, {5, 2}, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
        {"left", {5, 2}, {1, 2}, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
        {"down", {3, 0}, {3, 3}, {{3, 0}, {3, 1}, {3, 2}}},
        {"up", {3, 3}, {3, 0}, {{3, 3}, {3, 2}, {3, 1}}},
        {"diagonal", {0, 0}, {4, 4}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {"shallow", {0, 0}, {6, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}, {5, 2}}},
        {"point", {2, 2}, {2, 2}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = MakeSurface(8, 6);
        Painter(*s).DrawLine(c.from, c.to, kRed);
        ExpectPixels(*s, [&](int x, int y) {
            for (Point p : c.pixels)
                if (p == Point{x, y})
                    return kRed;
            return kNone;
        });
    }
}

TEST(PainterTest, VerticalGradientStepsFromBottomToTop) {
    // Four rows: one row per band, the colour moving a quarter per band.
    auto s = MakeSurface(3, 4);
    Painter(*s).FillVerticalGradient({0, 0, 3, 4}, Argb(0xFF000000), Argb(0xFF0000FF));
    const uint32_t blueByRowFromTop[] = {191, 127, 63, 0};
    ExpectPixels(*s, [&](int, int y) { return Argb(0xFF000000 | blueByRowFromTop[y]); });

    // 300 rows make bands of 2 rows (300 / 128); the bottom band has the bottom colour.
    auto tall = MakeSurface(1, 300);
    Painter(*tall).FillVerticalGradient({0, 0, 1, 300}, kRed, kBlue);
    EXPECT_EQ(tall->PixelAt(0, 299), kRed);
    EXPECT_EQ(tall->PixelAt(0, 298), kRed);
    EXPECT_NE(tall->PixelAt(0, 297), kRed);
    for (int y = 0; y < 300; y += 2)
        EXPECT_EQ(tall->PixelAt(0, y), tall->PixelAt(0, y + 1)) << y;
    EXPECT_GT(tall->PixelAt(0, 0).Blue(), 250);
}

TEST(PainterTest, FillPolygonFillsPixelsWhoseCentresAreInside) {
    auto s = MakeSurface(10, 10);
    const Point square[] = {{2, 2}, {6, 2}, {6, 5}, {2, 5}};
    Painter(*s).FillPolygon(square, kGreen);
    const Rect r{2, 2, 6, 5};
    ExpectPixels(*s, [&](int x, int y) { return r.Contains(x, y) ? kGreen : kNone; });

    auto t = MakeSurface(10, 10);
    const Point triangle[] = {{0, 0}, {8, 0}, {0, 8}};
    Painter(*t).FillPolygon(triangle, kGreen);
    ExpectPixels(*t, [&](int x, int y) {
        return x + y < 7 ? kGreen : (x + y > 7 ? kNone : t->PixelAt(x, y));
    });
    EXPECT_EQ(t->PixelAt(0, 0), kGreen);
    EXPECT_EQ(t->PixelAt(6, 6), kNone);

    auto u = MakeSurface(4, 4);
    const Point line[] = {{0, 0}, {3, 3}};
    Painter(*u).FillPolygon(line, kGreen);
    ExpectPixels(*u, [](int, int) { return kNone; });
}

TEST(PainterTest, DrawImageCopiesThePartUnscaledAndClips) {
    // 3 x 2 image: distinct colours per pixel.
    const std::vector<uint32_t> px = {0xFF010203, 0xFF040506, 0xFF070809,
                                      0xFF0A0B0C, 0xFF0D0E0F, 0x80FF0000};
    auto image = MakeImage(3, 2, px, ImageFormat::kDrawn);
    auto at = [&](int x, int y) { return Argb(px[y * 3 + x]); };

    struct Case {
        const char* name;
        Rect src;
        Point dst;
    } cases[] = {
        {"whole", {0, 0, 3, 2}, {1, 1}},
        {"part", {1, 0, 3, 1}, {0, 3}},
        {"source beyond the image", {-1, -1, 2, 2}, {4, 4}},
        {"destination off the surface", {0, 0, 3, 2}, {-2, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto s = MakeSurface(6, 6, kWhite);
        Painter(*s).DrawImage(*image, c.src, c.dst);
        ExpectPixels(*s, [&](int x, int y) {
            const int sx = x - c.dst.x + c.src.left;
            const int sy = y - c.dst.y + c.src.top;
            if (!c.src.Contains(sx, sy) || !Rect{0, 0, 3, 2}.Contains(sx, sy))
                return kWhite;
            // The half-transparent red blends over the white background.
            return sx == 2 && sy == 1 ? Argb(0xFFFF7F7F) : at(sx, sy);
        });
    }
}

TEST(PainterTest, ColourKeyLeavesOutMagentaOfBitmapsButNotOfPng) {
    const uint32_t m = kMagentaKey.value;
    const std::vector<uint32_t> px = {m, 0xFF123456, 0xFF00FF00, m};
    struct Case {
        const char* name;
        ImageFormat format;
        bool keyed;
        bool magentaShows;
    } cases[] = {
        {"bitmap keyed", ImageFormat::kBmp, true, false},
        {"JPEG keyed", ImageFormat::kJpeg, true, false},
        {"bitmap unkeyed", ImageFormat::kBmp, false, true},
        {"PNG keyed", ImageFormat::kPng, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(2, 2, px, c.format);
        auto s = MakeSurface(2, 2, kBlue);
        Painter p(*s);
        p.DrawImage(*image, {0, 0, 2, 2}, {0, 0},
                    c.keyed ? std::optional<Argb>(kMagentaKey) : std::nullopt);
        ExpectPixels(*s, [&](int x, int y) {
            const Argb src(px[y * 2 + x]);
            return src == kMagentaKey && !c.magentaShows ? kBlue : src;
        });
    }
}

TEST(PainterTest, DrawImageScaledKeepsEdgeColoursAndDoesNotBleed) {
    // Four solid quadrants scaled up keep their colours at the corners.
    auto image =
        MakeImage(2, 2, {kRed.value, kGreen.value, kBlue.value, kWhite.value}, ImageFormat::kDrawn);
    auto s = MakeSurface(20, 20);
    Painter(*s).DrawImageScaled(*image, {0, 0, 2, 2}, {0, 0, 20, 20});
    EXPECT_EQ(s->PixelAt(0, 0), kRed);
    EXPECT_EQ(s->PixelAt(19, 0), kGreen);
    EXPECT_EQ(s->PixelAt(0, 19), kBlue);
    EXPECT_EQ(s->PixelAt(19, 19), kWhite);

    // One pixel of the image stretched over a rectangle: its neighbours never show.
    auto one = MakeSurface(12, 12, kNone);
    Painter(*one).DrawImageScaled(*image, {1, 0, 2, 1}, {1, 1, 11, 9});
    const Rect dst{1, 1, 11, 9};
    ExpectPixels(*one, [&](int x, int y) { return dst.Contains(x, y) ? kGreen : kNone; });
}

// A stretched bitmap with key pixels at its corners: keyed, the corners show
// what lies below and no pink reaches the stretched body; a PNG keeps them.
TEST(PainterTest, DrawImageScaledKeysBitmapsBeforeScaling) {
    const uint32_t m = kMagentaKey.value;
    const uint32_t g = kGreen.value;
    const std::vector<uint32_t> px = {m, g, g, m, g, g, g, g, m, g, g, m};  // 4x3
    struct Case {
        const char* name;
        ImageFormat format;
        bool keyed;
        bool pinkShows;
    } cases[] = {
        {"bitmap keyed", ImageFormat::kBmp, true, false},
        {"bitmap unkeyed", ImageFormat::kBmp, false, true},
        {"PNG keyed", ImageFormat::kPng, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto image = MakeImage(4, 3, px, c.format);
        auto s = MakeSurface(40, 30, kBlue);
        Painter(*s).DrawImageScaled(*image, {0, 0, 4, 3}, {0, 0, 40, 30},
                                    c.keyed ? std::optional<Argb>(kMagentaKey) : std::nullopt);
        EXPECT_EQ(s->PixelAt(0, 0), c.pinkShows ? kMagentaKey : kBlue);
        EXPECT_EQ(s->PixelAt(39, 29), c.pinkShows ? kMagentaKey : kBlue);
        EXPECT_EQ(s->PixelAt(20, 15), kGreen);
        int pinkish = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 40; ++x) {
                const Argb p = s->PixelAt(x, y);
                pinkish += p.Red() > 0x40 && p.Blue() > 0x40 && p.Green() < 0x40;
            }
        }
        EXPECT_EQ(pinkish > 0, c.pinkShows);
    }
}

TEST(PainterTest, CopyFromReplacesPixelsIncludingAlpha) {
    auto src = MakeSurface(4, 4, Argb(0x80FF0000));
    Painter(*src).FillRect({0, 0, 1, 1}, kBlue);
    auto dst = MakeSurface(6, 6, kWhite);
    Painter(*dst).CopyFrom(*src, {0, 0, 2, 2}, {3, 3});
    const Rect copied{3, 3, 5, 5};
    ExpectPixels(*dst, [&](int x, int y) {
        if (!copied.Contains(x, y))
            return kWhite;
        return x == 3 && y == 3 ? kBlue : Argb(0x80FF0000);
    });
    // A source rectangle beyond the source is cut to it.
    auto clipped = MakeSurface(6, 6, kWhite);
    Painter(*clipped).CopyFrom(*src, {3, 3, 8, 8}, {0, 0});
    ExpectPixels(*clipped,
                 [](int x, int y) { return x == 0 && y == 0 ? Argb(0x80FF0000) : kWhite; });
}

TEST(PainterTest, FillRegionPaintsExactlyTheRegion) {
    Region region = Region::FromRoundRect({1, 1, 15, 11}, 6, 6);
    region.Union(Region::FromRect({12, 8, 16, 12}));
    auto s = MakeSurface(16, 12);
    Painter(*s).FillRegion(region, kRed);
    ExpectPixels(*s, [&](int x, int y) { return region.Contains(x, y) ? kRed : kNone; });
}

}  // namespace
}  // namespace platform
