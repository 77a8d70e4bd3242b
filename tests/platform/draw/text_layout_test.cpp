#include "platform/draw/text_layout.h"

#include <gtest/gtest.h>

#include "platform/draw/painter.h"

namespace platform {
namespace {

constexpr Argb kBlack{0xFF000000};

// The smallest rectangle holding every pixel that is not fully transparent.
Rect InkBounds(const Surface& s) {
    Rect ink{s.Width(), s.Height(), 0, 0};
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (s.PixelAt(x, y).Alpha() != 0) {
                ink.left = std::min(ink.left, x);
                ink.top = std::min(ink.top, y);
                ink.right = std::max(ink.right, x + 1);
                ink.bottom = std::max(ink.bottom, y + 1);
            }
    return ink.IsEmpty() ? Rect{} : ink;
}

struct Drawn {
    TextResult result;
    Rect ink;
};

Drawn Draw(std::string_view text, const Rect& rect, const TextStyle& style, int w = 200,
           int h = 120) {
    auto s = Surface::Create(w, h);
    Drawn d;
    d.result = Painter(*s).DrawText(text, rect, style, kBlack);
    d.ink = InkBounds(*s);
    return d;
}

TEST(TextLayoutTest, TextNeverLeavesItsRectangle) {
    const Rect rect{20, 30, 90, 50};
    TextStyle cut;
    cut.ellipsis = true;
    TextStyle wrapped;
    wrapped.wordWrap = true;
    TextStyle big;
    big.pixelSize = 40;
    big.horizontal = TextAlign::kCenter;
    big.vertical = TextAlign::kCenter;
    struct Case {
        const char* name;
        TextStyle style;
    } cases[] = {{"plain", {}}, {"ellipsis", cut}, {"wrapped", wrapped}, {"large centred", big}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Drawn d = Draw("Wireless presentation receivers everywhere", rect, c.style);
        ASSERT_FALSE(d.ink.IsEmpty());
        EXPECT_EQ(d.ink.Intersect(rect), d.ink)
            << d.ink.left << "," << d.ink.top << "," << d.ink.right << "," << d.ink.bottom;
    }
}

TEST(TextLayoutTest, EllipsisIsReportedOnlyWhenTextIsCut) {
    TextStyle style;
    style.ellipsis = true;
    TextStyle wrapped = style;
    wrapped.wordWrap = true;
    struct Case {
        const char* name;
        std::string_view text;
        Rect rect;
        TextStyle style;
        bool ellipsized;
    } cases[] = {
        {"long caption", "Looking for a receiver on the network", {0, 0, 80, 20}, style, true},
        {"short caption", "OK", {0, 0, 80, 20}, style, false},
        {"wraps into a tall box", "Looking for a receiver", {0, 0, 80, 100}, wrapped, false},
        {"too many lines",
         "Looking for a receiver on the network now",
         {0, 0, 80, 20},
         wrapped,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Draw(c.text, c.rect, c.style).result.ellipsized, c.ellipsized);
    }
}

TEST(TextLayoutTest, AlignmentPlacesTheTextInsideTheBox) {
    const Rect rect{10, 10, 190, 110};
    struct Case {
        TextAlign horizontal, vertical;
    } cases[] = {{TextAlign::kNear, TextAlign::kNear},
                 {TextAlign::kCenter, TextAlign::kCenter},
                 {TextAlign::kFar, TextAlign::kFar},
                 {TextAlign::kNear, TextAlign::kFar}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.horizontal) << "/" << int(c.vertical));
        TextStyle style;
        style.pixelSize = 20;
        style.horizontal = c.horizontal;
        style.vertical = c.vertical;
        const Drawn d = Draw("Hello", rect, style);
        ASSERT_FALSE(d.ink.IsEmpty());
        // The ink sits within a few pixels of the side it is aligned to
        // (glyph side bearings and the line's descent keep it off the edge).
        auto check = [](TextAlign a, int lo, int hi, int inkLo, int inkHi, int slack) {
            switch (a) {
                case TextAlign::kNear:
                    EXPECT_LE(inkLo - lo, slack);
                    break;
                case TextAlign::kCenter:
                    EXPECT_LE(std::abs((inkLo + inkHi) - (lo + hi)), 2 * slack);
                    break;
                case TextAlign::kFar:
                    EXPECT_LE(hi - inkHi, slack);
                    break;
            }
        };
        check(c.horizontal, rect.left, rect.right, d.ink.left, d.ink.right, 3);
        check(c.vertical, rect.top, rect.bottom, d.ink.top, d.ink.bottom, 8);
    }
}

TEST(TextLayoutTest, WordWrapBreaksIntoLinesWithinTheWidth) {
    TextStyle style;
    style.wordWrap = true;
    const Rect rect{0, 0, 60, 120};
    const Drawn d = Draw("one two three four five six", rect, style);
    const Size single = MeasureText("one two three four five six", {});
    EXPECT_GT(d.result.height, 2 * single.height);
    EXPECT_LE(d.ink.right, 60);

    // Single-line mode shows a line break as one line.
    TextStyle oneLine;
    oneLine.singleLine = true;
    EXPECT_EQ(MeasureText("one\ntwo", oneLine).height, MeasureText("one two", {}).height);
    EXPECT_GT(MeasureText("one\ntwo", {}).height, MeasureText("one two", {}).height);
}

TEST(TextLayoutTest, RotatedCaptionRunsUpFromTheBottom) {
    TextStyle style;
    style.family = "Arial";
    style.pixelSize = 14;
    style.weight = 600;
    style.italic = true;
    style.rotation = TextRotation::kUp90;
    const Rect band{0, 0, 20, 118};
    const Drawn d = Draw("Quick menu", band, style);
    ASSERT_FALSE(d.ink.IsEmpty());
    EXPECT_GT(d.ink.Height(), 2 * d.ink.Width());
    EXPECT_GE(d.ink.bottom, 110);  // starts at the bottom edge
    EXPECT_EQ(d.ink.Intersect(band), d.ink);
}

TEST(TextLayoutTest, InvalidUtf8IsShownWithReplacementMarks) {
    // A receiver name cut in the middle of a two-byte character, and stray bytes.
    const std::string broken = std::string("Salle r\xC3") + "\xFF\xFE end";
    const Drawn d = Draw(broken, {0, 0, 200, 30}, {});
    EXPECT_FALSE(d.ink.IsEmpty());
    // The text after the bad bytes is still laid out.
    EXPECT_GT(MeasureText(broken, {}).width, MeasureText("Salle r", {}).width + 20);
    EXPECT_EQ(MeasureText(std::string_view(), {}).width, 0);
}

TEST(TextLayoutTest, EveryNamedFamilyIsSetInDejaVuSans) {
    TextStyle dejavu;
    dejavu.family = "DejaVu Sans";
    const Size reference = MeasureText("Pemu sender 0123", dejavu);
    ASSERT_GT(reference.width, 50);
    for (const char* family : {"Arial", "Microsoft Sans Serif", "Tahoma", "Futura-Book"}) {
        SCOPED_TRACE(family);
        TextStyle style;
        style.family = family;
        EXPECT_EQ(MeasureText("Pemu sender 0123", style), reference);
    }
    // Longer text measures wider; a larger size measures taller.
    EXPECT_LT(MeasureText("Pemu", dejavu).width, reference.width);
    TextStyle big = dejavu;
    big.pixelSize = 24;
    EXPECT_GT(MeasureText("Pemu", big).height, MeasureText("Pemu", dejavu).height);
}

}  // namespace
}  // namespace platform
