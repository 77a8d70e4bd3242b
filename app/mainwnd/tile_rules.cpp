#include "app/mainwnd/tile_rules.h"

#include <sys/stat.h>

#include <algorithm>

#include "app/features/thumbnail_store.h"
#include "app/maindlg/address_text.h"

namespace pemuapp {
namespace {

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TilePicture Bitmap(uint32_t id) {
    return TilePicture{TilePicture::Kind::kBitmap, id, {}};
}

TilePicture Png(uint32_t id) {
    return TilePicture{TilePicture::Kind::kPng, id, {}};
}

int TileIndexOf(uint32_t tileId) {
    const int k = static_cast<int>(tileId) - static_cast<int>(kTileButtonFirst);
    return k >= 0 && k < kTileCount ? k : -1;
}

}  // namespace

void TileChanges::Set(uint32_t id, std::optional<bool> visible, std::optional<TilePicture> picture,
                      uint32_t tooltip) {
    auto it = std::find_if(m_changes.begin(), m_changes.end(),
                           [id](const TileChange& c) { return c.id == id; });
    if (it == m_changes.end()) {
        m_changes.push_back(TileChange{id, visible, std::move(picture), tooltip});
        return;
    }
    if (visible) {
        it->visible = visible;
    }
    if (picture) {
        it->picture = std::move(picture);
    }
    if (tooltip) {
        it->tooltip = tooltip;
    }
}

const TileChange* TileChanges::Find(uint32_t id) const {
    auto it = std::find_if(m_changes.begin(), m_changes.end(),
                           [id](const TileChange& c) { return c.id == id; });
    return it == m_changes.end() ? nullptr : &*it;
}

std::optional<bool> TileChanges::Visible(uint32_t id) const {
    const TileChange* c = Find(id);
    return c ? c->visible : std::nullopt;
}

bool PointerOverTiles(platform::Point p, bool fourTiles) {
    const bool column = (p.x >= 29 && p.x <= 238) || (p.x >= 285 && p.x <= 489);
    const bool row = (p.y >= 55 && p.y <= 164) || (fourTiles && p.y >= 240 && p.y <= 355);
    return column && row;
}

TilePicture SignalPicture(int level) {
    return Png(level == 1 ? kPngSignalLow : level == 2 ? kPngSignalModerate : kPngSignalExcellent);
}

uint32_t SignalTooltip(int level) {
    return level == 1 ? kTipSignalLow : level == 2 ? kTipSignalModerate : kTipSignalExcellent;
}

std::string TileNameText(const PositionRecord& record) {
    return record.displayName.empty() ? DottedAddress(record.address) : record.displayName;
}

std::string ThumbnailPath(const std::string& folder, const PositionRecord& record) {
    return ThumbnailBmpPath(folder, record.nameText);
}

TileChanges RefreshTiles(const TileInputs& in) {
    TileChanges out;
    out.Set(kBackgroundId, true, Bitmap(in.fourTiles ? kBitmapFourTiles : kBitmapTwoTiles));
    if (!in.connected || !in.positions) {
        // Without a connection no tile widget stays: pause overlays and
        // padlocks of the last session go too.
        for (int k = 0; k < kTileCount; ++k) {
            for (uint32_t id : {kTileImageFirst + k, kTileButtonFirst + k, kPlayFirst + 2 * k,
                                kPauseFirst + 2 * k, kSwapFirst + k, kNameFirst + k,
                                kSignalFirst + k, kHighlightFirst + k, kLockFirst + k}) {
                out.Set(id, false);
            }
        }
        return out;
    }
    const PositionList& list = *in.positions;
    const int n = static_cast<int>(std::min<size_t>(list.size(), kTileCount));
    const auto& exists = in.fileExists ? in.fileExists : FileExists;
    for (int k = 0; k < kTileCount; ++k) {
        const bool has = k < n;
        std::optional<TilePicture> picture;
        if (has) {
            const PositionRecord& r = list[k];
            if (r.thumbnailUrl.find(".jpg") != std::string::npos) {
                const std::string path = ThumbnailPath(in.thumbnailFolder, r);
                if (!path.empty() && exists(path)) {
                    picture = TilePicture{TilePicture::Kind::kFile, 0, path};
                }
                // A thumbnail not (yet) on disk keeps the picture shown.
            } else {
                picture = Bitmap(kBitmapEmptyTile);
            }
        }
        out.Set(kTileImageFirst + k, has, picture);
        out.Set(kTileButtonFirst + k, has, picture);
        out.Set(kNameFirst + k, has);
        if (has) {
            out.Set(kSignalFirst + k, true, SignalPicture(list[k].signalLevel),
                    SignalTooltip(list[k].signalLevel));
        } else {
            out.Set(kSignalFirst + k, false);
        }
    }
    const int h = TileIndexOf(in.hoverId);
    if (h < 0) {
        return out;
    }
    const bool over = PointerOverTiles(in.pointer, in.fourTiles);
    if (over && h < n) {
        const PositionRecord& r = list[h];
        out.Set(kPlayFirst + 2 * h, r.state == kPositionIdle);
        out.Set(kPauseFirst + 2 * h, r.state == kPositionProjecting, Png(kPngPause));
        out.Set(kSwapFirst + h, r.state == kPositionModerated);
        out.Set(kLockFirst + h, true, Png(r.lockText.empty() ? kPngLockOpen : kPngLockClosed));
    }
    out.Set(kHighlightFirst + h, h == in.moderatedTile);
    return out;
}

TileChanges UpdateTileButtons(uint32_t tileId, uint32_t hoverCode, const PositionList& positions) {
    TileChanges out;
    const int k = TileIndexOf(tileId);
    const int n = static_cast<int>(std::min<size_t>(positions.size(), kTileCount));
    for (int j = 0; j < kTileCount; ++j) {
        const bool has = j < n;
        const int state = has ? positions[j].state : -1;
        out.Set(kHighlightFirst + j,
                has && (state == kPositionProjecting || state == kPositionModerated));
        if (!has) {
            continue;  // missing positions keep their widgets as they are
        }
        const PositionRecord& r = positions[j];
        if (hoverCode == kPointerEntered) {
            if (j == k) {
                out.Set(kLockFirst + j, true,
                        Png(r.lockText.empty() ? kPngLockOpen : kPngLockClosed));
                out.Set(kPlayFirst + 2 * j, state == kPositionIdle);
                out.Set(kPauseFirst + 2 * j, state == kPositionProjecting);
                out.Set(kSwapFirst + j, state == kPositionModerated);
            } else {
                out.Set(kPlayFirst + 2 * j, false);
                out.Set(kPauseFirst + 2 * j, false);
                out.Set(kSwapFirst + j, false);
            }
        } else {
            if (hoverCode == kPointerLeft) {
                out.Set(kPlayFirst + 2 * j, false);
                out.Set(kPauseFirst + 2 * j, false);
                // A locked position keeps its closed padlock in sight.
                if (j == k) {
                    out.Set(kLockFirst + j, !r.lockText.empty());
                }
            }
            out.Set(kSwapFirst + j, false);
        }
    }
    return out;
}

int MarkOwnRecords(PositionList& positions, const std::vector<uint32_t>& ownAddresses) {
    int last = -1;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (std::find(ownAddresses.begin(), ownAddresses.end(), positions[i].address) !=
            ownAddresses.end()) {
            positions[i].state = kPositionProjecting;
            last = static_cast<int>(i);
        }
    }
    return last;
}

int TileNameLeft(int tileLeft, int textWidth) {
    return (192 - textWidth) / 2 + tileLeft + 20;
}

int SignalIconLeft(int layoutLeft, int nameWidth, int iconWidth) {
    return layoutLeft + (204 - nameWidth - iconWidth) / 2;
}

}  // namespace pemuapp
