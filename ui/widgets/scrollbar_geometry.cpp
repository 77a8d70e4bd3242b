#include "ui/widgets/scrollbar_geometry.h"

#include <algorithm>

namespace ui {

int LastPage(int rowCount, int visibleRows) {
    return std::max(0, rowCount - std::max(visibleRows, 1));
}

int ClampFirstVisible(int firstVisible, int rowCount, int visibleRows) {
    return std::clamp(firstVisible, 0, LastPage(rowCount, visibleRows));
}

float PixelsPerRow(int clientHeight, int rowCount) {
    // A scrollbar shorter than its two insets has no track to divide.
    return static_cast<float>(std::max(clientHeight - 2 * kTrackInset, 0)) /
           static_cast<float>(std::max(rowCount, 1));
}

ThumbSpan ThumbForRows(int clientHeight, int rowCount, int visibleRows, int firstVisible) {
    const int first = ClampFirstVisible(firstVisible, rowCount, visibleRows);
    const float perRow = PixelsPerRow(clientHeight, rowCount);
    ThumbSpan t;
    t.top = kTrackInset + static_cast<int>(perRow * static_cast<float>(first));
    if (rowCount <= visibleRows) {
        t.bottom = clientHeight - kTrackInset;
    } else {
        t.bottom = clientHeight - kTrackInset -
                   static_cast<int>(perRow * static_cast<float>(rowCount - first - visibleRows));
    }
    return t;
}

ThumbSpan ThumbForNotice(int clientHeight, int rowCount, int firstVisible) {
    constexpr int kNoticeThumbHeight = 18;
    const int rows = std::max(rowCount - 1, 1);
    const int perRow = (clientHeight - 2 * kTrackInset) / rows;
    ThumbSpan t;
    if (firstVisible <= 0) {
        t.top = kTrackInset;
    } else if (firstVisible + 1 >= rowCount) {
        t.top = clientHeight - 33;
    } else {
        t.top = perRow * firstVisible + 6;
    }
    t.bottom = t.top + kNoticeThumbHeight;
    return t;
}

ThumbSpan KeepInTrack(ThumbSpan thumb, int clientHeight) {
    const int low = kTrackInset;
    const int high = clientHeight - kTrackInset;
    if (thumb.top < low) {
        thumb.bottom += low - thumb.top;
        thumb.top = low;
    }
    if (thumb.bottom > high) {
        thumb.top -= thumb.bottom - high;
        thumb.bottom = high;
    }
    thumb.top = std::max(thumb.top, low);  // a thumb longer than the track
    return thumb;
}

bool ThumbFillsTrack(const ThumbSpan& thumb, int clientHeight) {
    return thumb.top <= kTrackInset && thumb.bottom >= clientHeight - kTrackInset;
}

int DragRows(int movement, float pixelsPerRow) {
    if (pixelsPerRow <= 0.0f || movement == 0) {
        return 0;
    }
    const float rows = static_cast<float>(movement) / pixelsPerRow;
    return static_cast<int>(movement > 0 ? rows + 0.1f : rows - 0.1f);
}

}  // namespace ui
