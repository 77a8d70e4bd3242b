// The arithmetic of the skinned scrollbar and its list: pages, the thumb's
// place and drag steps. Every division is guarded: row counts of 0 count as
// 1, and a first visible row never lies past the last page.
//
// The track runs from 15 to (client height - 15); the thumb's top and
// bottom are in the scrollbar's client coordinates. Plain functions, usable
// anywhere.
#pragma once

namespace ui {

inline constexpr int kTrackInset = 15;

struct ThumbSpan {
    int top = 0;
    int bottom = 0;
    bool operator==(const ThumbSpan&) const = default;
};

// The first visible row of the last page: rows - visible, at least 0.
int LastPage(int rowCount, int visibleRows);
// `firstVisible` kept within 0 .. LastPage.
int ClampFirstVisible(int firstVisible, int rowCount, int visibleRows);

// Pixels per row while drawing: (height - 30) / rows, never negative.
float PixelsPerRow(int clientHeight, int rowCount);
// The thumb the scrollbar draws for `firstVisible`: it starts at
// 15 + pixels per row x first visible and spans the visible rows; the whole
// track when the rows fit.
ThumbSpan ThumbForRows(int clientHeight, int rowCount, int visibleRows, int firstVisible);
// The thumb placed by a scroll notice: 15 at the top, height - 33 on the
// last row, else (height - 30) / (rows - 1) x first visible + 6; 18 high.
ThumbSpan ThumbForNotice(int clientHeight, int rowCount, int firstVisible);
// The thumb moved back inside the track (top at least 15, bottom at most
// height - 15), keeping its height where it fits.
ThumbSpan KeepInTrack(ThumbSpan thumb, int clientHeight);
bool ThumbFillsTrack(const ThumbSpan& thumb, int clientHeight);
// Rows a drag of `movement` pixels moves: movement / pixels per row, plus
// 0.1 (minus 0.1 upward), truncated; 0 when pixels per row is not positive.
int DragRows(int movement, float pixelsPerRow);

}  // namespace ui
