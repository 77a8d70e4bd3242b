#include "app/mainwnd/window_shape.h"

#include <algorithm>

namespace pemuapp {

platform::Region MainWindowRegion(bool fourTiles) {
    return platform::Region::FromRect(
        platform::Rect{0, 0, kMainWidth, MainWindowHeight(fourTiles)});
}

platform::Region ShapeWindowRegion(int height) {
    platform::Region a =
        platform::Region::FromRoundRect(platform::Rect{0, 0, kPanelWidth, 86}, 17, 17);
    const platform::Region b = platform::Region::FromRoundRect(
        platform::Rect{0, 84, kPanelWidth, std::max(84, height + 2)}, 24, 20);
    a.Union(b);
    return a;
}

int ListPanelRows(int top, int bottom) {
    return std::max(0, (bottom - top - 146) / 20);
}

int ListPanelFirstVisible(int firstVisible, int receivers, int rows) {
    int first = std::max(0, firstVisible);
    if (rows > 0 && receivers >= rows && receivers - first < rows) {
        first = receivers - rows;
    }
    return first;
}

}  // namespace pemuapp
