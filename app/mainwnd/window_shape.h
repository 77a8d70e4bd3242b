// The main window's outlines and sizes: the region and height of the tile
// modes, the rounded outline of the list panel and its rows.
// Plain functions, usable on any thread.
#pragma once

#include "platform/draw/region.h"

namespace pemuapp {

inline constexpr int kMainWidth = 526;
inline constexpr int kTwoTileHeight = 230;
inline constexpr int kFourTileHeight = 400;

// The height of the window in a tile mode.
constexpr int MainWindowHeight(bool fourTiles) {
    return fourTiles ? kFourTileHeight : kTwoTileHeight;
}
// The window's region in a tile mode: (0, 0, 526, height).
platform::Region MainWindowRegion(bool fourTiles);

// The rounded outline of a panel `height` pixels high and 320 wide: the
// title part down to y 86 (corners 17 x 17) joined with the body from y 84
// to height + 2 (corners 24 x 20).
inline constexpr int kPanelWidth = 320;
platform::Region ShapeWindowRegion(int height);

// The rows a list panel from `top` to `bottom` shows: (bottom - top - 146)
// / 20, never below 0.
int ListPanelRows(int top, int bottom);
// The first visible row of a list of `receivers` rows shown `rows` at a
// time: at least 0, and pulled up so that the last page is full.
int ListPanelFirstVisible(int firstVisible, int receivers, int rows);

}  // namespace pemuapp
