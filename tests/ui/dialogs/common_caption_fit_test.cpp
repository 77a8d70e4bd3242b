// Caption fitting on a measure whose widths are known: every character is
// half the size wide, a line is the size + 2 high.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ui/dialogs/common_caption_fit.h"

namespace ui {
namespace {

platform::Size Measure(std::string_view text, int size, int maxWidth) {
    auto width = [size](size_t chars) { return static_cast<int>(chars) * size / 2; };
    if (maxWidth < 0) {
        return {width(text.size()), size + 2};
    }
    // Greedy wrapping between words; a word wider than the line stands alone.
    int lines = 1;
    int widest = 0;
    size_t line = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = std::min(text.find(' ', start), text.size());
        const size_t word = end - start;
        const size_t joined = line == 0 ? word : line + 1 + word;
        if (line != 0 && width(joined) > maxWidth) {
            ++lines;
            line = word;
        } else {
            line = joined;
        }
        widest = std::max(widest, width(line));
        start = end + 1;
    }
    return {widest, lines * (size + 2)};
}

TEST(CommonCaptionFit, LargestSizeThatShowsTheCaptionWhole) {
    const struct {
        const char* caption;
        int style;
        int w, h;
        bool singleLine, oneLineFirst;
        int want;
    } cases[] = {
        // Fits as styled: unchanged.
        {"OK", 12, 80, 28, false, true, 12},
        // One long word: as styled while it fits, else smaller.
        {"TROUBLESHOOT", 12, 79, 28, false, true, 12},
        {"TROUBLESHOOT", 12, 66, 28, false, true, 11},
        // A word is never split: wrapping does not help it.
        {"TROUBLESHOOT", 12, 60, 60, false, false, 10},
        // A text may wrap: two lines at the styled size.
        {"Connect PEMU to get started.", 15, 120, 40, false, false, 15},
        // A button keeps to one line while a size allows it.
        {"Connect PEMU to get started.", 15, 120, 40, false, true, 8},
        // Single-line texts only shrink.
        {"Connect PEMU to get started.", 15, 150, 40, true, false, 10},
        // No size fits: the smallest.
        {"A caption far too long for its box", 12, 30, 10, false, false, kMinCaptionSize},
        // A style below the smallest size stays as it is.
        {"xx", 6, 2, 2, false, false, 6},
        // Empty captions and empty boxes: the style's size.
        {"", 12, 0, 0, false, false, 12},
        {"OK", 12, 0, 20, false, false, 12},
    };
    for (const auto& c : cases) {
        CaptionBox box{{c.w, c.h}, c.singleLine, c.oneLineFirst};
        EXPECT_EQ(FittingCaptionSize(c.caption, c.style, box, &Measure), c.want)
            << '"' << c.caption << "\" in " << c.w << " x " << c.h;
    }
}

}  // namespace
}  // namespace ui
