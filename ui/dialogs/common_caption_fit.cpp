#include "ui/dialogs/common_caption_fit.h"

#include <algorithm>

namespace ui {
namespace {

bool FitsOnOneLine(std::string_view caption, int size, CaptionBox box,
                   const CaptionMeasure& measure) {
    const platform::Size s = measure(caption, size, -1);
    return s.width <= box.size.width && s.height <= box.size.height;
}

// Wrapped between words: every word fits the width on its own (so none is
// split) and the lines fit the height.
bool FitsWrapped(std::string_view caption, int size, CaptionBox box,
                 const CaptionMeasure& measure) {
    size_t start = 0;
    while (start < caption.size()) {
        size_t end = caption.find(' ', start);
        if (end == std::string_view::npos) {
            end = caption.size();
        }
        if (end > start &&
            measure(caption.substr(start, end - start), size, -1).width > box.size.width) {
            return false;
        }
        start = end + 1;
    }
    const platform::Size s = measure(caption, size, box.size.width);
    return s.width <= box.size.width && s.height <= box.size.height;
}

}  // namespace

int FittingCaptionSize(std::string_view caption, int styleSize, CaptionBox box,
                       const CaptionMeasure& measure) {
    if (caption.empty() || box.size.width <= 0 || box.size.height <= 0) {
        return styleSize;
    }
    if (box.oneLineFirst) {
        for (int size = styleSize; size >= kMinCaptionSize; --size) {
            if (FitsOnOneLine(caption, size, box, measure)) {
                return size;
            }
        }
    }
    for (int size = styleSize; size >= kMinCaptionSize; --size) {
        if (FitsOnOneLine(caption, size, box, measure) ||
            (!box.singleLine && FitsWrapped(caption, size, box, measure))) {
            return size;
        }
    }
    return std::min(styleSize, kMinCaptionSize);
}

}  // namespace ui
