// The rules that keep the main page's tile widgets in step with the
// connection, the tile mode, the position list and the pointer.
//
// RefreshTiles and UpdateTileButtons are pure: from their inputs they give,
// for each tile widget they touch, its visibility, its picture and its
// tooltip. The window applies the changes to its widgets; tests read them
// as tables. Widgets a rule does not name are left as they are.
// Plain functions, usable on any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/mainwnd/position_record.h"
#include "platform/draw/geometry.h"

namespace pemuapp {

// Widget ids of the main page's tiles (k = tile index 0..3).
inline constexpr uint32_t kBackgroundId = 30130;
inline constexpr uint32_t kTileButtonFirst = 30131;  // + k
inline constexpr uint32_t kPlayFirst = 30135;        // + 2k
inline constexpr uint32_t kPauseFirst = 30136;       // + 2k
inline constexpr uint32_t kSignalFirst = 30143;      // + k
inline constexpr uint32_t kNameFirst = 30149;        // + k
inline constexpr uint32_t kLockFirst = 30161;        // + k
inline constexpr uint32_t kHighlightFirst = 30208;   // + k
inline constexpr uint32_t kSwapFirst = 30214;        // + k
inline constexpr uint32_t kTileImageFirst = 30222;   // + k
inline constexpr int kTileCount = 4;

// Hover codes the tiles send.
inline constexpr uint32_t kPointerEntered = 0x4000000;
inline constexpr uint32_t kPointerLeft = 0x8000000;

// Pictures of the page.
inline constexpr uint32_t kBitmapFourTiles = 5206;
inline constexpr uint32_t kBitmapTwoTiles = 5179;
inline constexpr uint32_t kBitmapEmptyTile = 5180;
inline constexpr uint32_t kPngPause = 5183;
inline constexpr uint32_t kPngSignalLow = 5185;
inline constexpr uint32_t kPngSignalModerate = 5186;
inline constexpr uint32_t kPngSignalExcellent = 5187;
inline constexpr uint32_t kPngLockOpen = 5197;
inline constexpr uint32_t kPngLockClosed = 5198;
// Tooltips of the signal levels (string table).
inline constexpr uint32_t kTipSignalLow = 65445;
inline constexpr uint32_t kTipSignalModerate = 65444;
inline constexpr uint32_t kTipSignalExcellent = 65443;

// What a widget shows.
struct TilePicture {
    enum class Kind { kBitmap, kPng, kFile };
    Kind kind = Kind::kBitmap;
    uint32_t id = 0;   // bitmap or PNG resource
    std::string file;  // kFile: the picture file's path
    bool operator==(const TilePicture&) const = default;
};

// One widget's changes; unset fields stay as they are.
struct TileChange {
    uint32_t id = 0;
    std::optional<bool> visible;
    std::optional<TilePicture> picture;
    uint32_t tooltip = 0;  // string id; 0: unchanged
    bool operator==(const TileChange&) const = default;
};

class TileChanges {
public:
    void Set(uint32_t id, std::optional<bool> visible, std::optional<TilePicture> picture = {},
             uint32_t tooltip = 0);
    // The change of `id`, or null when the rule left the widget alone.
    const TileChange* Find(uint32_t id) const;
    // The visibility the rule gave `id`; nullopt: left alone.
    std::optional<bool> Visible(uint32_t id) const;
    const std::vector<TileChange>& All() const { return m_changes; }

private:
    std::vector<TileChange> m_changes;
};

struct TileInputs {
    bool connected = false;
    bool fourTiles = false;
    const PositionList* positions = nullptr;
    // The tile button under the pointer (30131..30134), or 30130 for none.
    uint32_t hoverId = kBackgroundId;
    // The pointer in the window's client coordinates.
    platform::Point pointer{-1, -1};
    int moderatedTile = -1;
    // The folder of the thumbnails; a thumbnail is found by the safe base
    // name of its record's name text, with ".bmp".
    std::string thumbnailFolder;
    // Whether a file exists (tests give their own); null: the file system.
    std::function<bool(const std::string&)> fileExists;
};

// True when `p` (client coordinates) lies over the tiles: x 29..238 or
// 285..489 with y 55..164, and in four-tile mode also y 240..355.
bool PointerOverTiles(platform::Point p, bool fourTiles);

// The picture and tooltip of a signal level.
TilePicture SignalPicture(int level);
uint32_t SignalTooltip(int level);

// The text a tile's name shows: the display name, or the dotted address
// when the name is empty.
std::string TileNameText(const PositionRecord& record);

// The thumbnail path of a record in `folder`; empty when the record names
// no usable file.
std::string ThumbnailPath(const std::string& folder, const PositionRecord& record);

TileChanges RefreshTiles(const TileInputs& in);
TileChanges UpdateTileButtons(uint32_t tileId, uint32_t hoverCode, const PositionList& positions);

// Marks this PC's own records (their address is one of `ownAddresses`,
// network order) as projecting; the index of the last one, or -1.
int MarkOwnRecords(PositionList& positions, const std::vector<uint32_t>& ownAddresses);

// LayoutTileTexts arithmetic: the left edge of a tile name `textWidth`
// wide in the tile whose left edge is `tileLeft`; the left edge of the
// signal icon after a name `nameWidth` wide, from the icon's layout left.
int TileNameLeft(int tileLeft, int textWidth);
int SignalIconLeft(int layoutLeft, int nameWidth, int iconWidth);

}  // namespace pemuapp
