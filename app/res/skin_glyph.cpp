#include "app/res/skin_glyph.h"

#include <array>
#include <utility>

namespace appres {

namespace {

using Entry = std::pair<SkinGlyph, std::string_view>;

// In declaration order, so that an index is the glyph's value.
constexpr std::array kNames = {
    Entry{SkinGlyph::kNone, "none"},
    Entry{SkinGlyph::kDialog, "dialog"},
    Entry{SkinGlyph::kDialogList, "dialog-list"},
    Entry{SkinGlyph::kMessage, "message"},
    Entry{SkinGlyph::kPrompt, "prompt"},
    Entry{SkinGlyph::kPage, "page"},
    Entry{SkinGlyph::kTiles2, "tiles-2"},
    Entry{SkinGlyph::kTiles4, "tiles-4"},
    Entry{SkinGlyph::kPanel, "panel"},
    Entry{SkinGlyph::kRow, "row"},
    Entry{SkinGlyph::kRowAlt, "row-alt"},
    Entry{SkinGlyph::kRowSelected, "row-selected"},
    Entry{SkinGlyph::kSeparator, "separator"},
    Entry{SkinGlyph::kField, "field"},
    Entry{SkinGlyph::kTrack, "track"},
    Entry{SkinGlyph::kTrackFill, "track-fill"},
    Entry{SkinGlyph::kScrollTrack, "scroll-track"},
    Entry{SkinGlyph::kThumbTop, "thumb-top"},
    Entry{SkinGlyph::kThumbBody, "thumb-body"},
    Entry{SkinGlyph::kThumbBottom, "thumb-bottom"},
    Entry{SkinGlyph::kMask, "mask"},
    Entry{SkinGlyph::kHighlight, "highlight"},
    Entry{SkinGlyph::kTileFrame, "tile-frame"},
    Entry{SkinGlyph::kExit, "exit"},
    Entry{SkinGlyph::kMinimise, "minimise"},
    Entry{SkinGlyph::kSettings, "settings"},
    Entry{SkinGlyph::kPlay, "play"},
    Entry{SkinGlyph::kPause, "pause"},
    Entry{SkinGlyph::kSwap, "swap"},
    Entry{SkinGlyph::kPadlockOpen, "padlock-open"},
    Entry{SkinGlyph::kPadlockClosed, "padlock-closed"},
    Entry{SkinGlyph::kSignal1, "signal-1"},
    Entry{SkinGlyph::kSignal2, "signal-2"},
    Entry{SkinGlyph::kSignal3, "signal-3"},
    Entry{SkinGlyph::kPlus, "plus"},
    Entry{SkinGlyph::kMinus, "minus"},
    Entry{SkinGlyph::kKey, "key"},
    Entry{SkinGlyph::kCheck, "check"},
    Entry{SkinGlyph::kRefresh, "refresh"},
    Entry{SkinGlyph::kDropdown, "dropdown"},
    Entry{SkinGlyph::kSelect, "select"},
    Entry{SkinGlyph::kList, "list"},
    Entry{SkinGlyph::kArrowUp, "arrow-up"},
    Entry{SkinGlyph::kArrowDown, "arrow-down"},
    Entry{SkinGlyph::kVolumeDown, "volume-down"},
    Entry{SkinGlyph::kVolumeUp, "volume-up"},
    Entry{SkinGlyph::kSwitchOff, "switch-off"},
    Entry{SkinGlyph::kSwitchOn, "switch-on"},
    Entry{SkinGlyph::kKnob, "knob"},
    Entry{SkinGlyph::kDot, "dot"},
    Entry{SkinGlyph::kDotCurrent, "dot-current"},
    Entry{SkinGlyph::kTile, "tile"},
    Entry{SkinGlyph::kReceiver, "receiver"},
    Entry{SkinGlyph::kSelected, "selected"},
    Entry{SkinGlyph::kEmblem, "emblem"},
    Entry{SkinGlyph::kSplash, "splash"},
    Entry{SkinGlyph::kNetwork, "network"},
    Entry{SkinGlyph::kWifi0, "wifi-0"},
    Entry{SkinGlyph::kWifi1, "wifi-1"},
    Entry{SkinGlyph::kWifi2, "wifi-2"},
    Entry{SkinGlyph::kWifi3, "wifi-3"},
    Entry{SkinGlyph::kWifi4, "wifi-4"},
    Entry{SkinGlyph::kWifi0Locked, "wifi-0-locked"},
    Entry{SkinGlyph::kWifi1Locked, "wifi-1-locked"},
    Entry{SkinGlyph::kWifi2Locked, "wifi-2-locked"},
    Entry{SkinGlyph::kWifi3Locked, "wifi-3-locked"},
    Entry{SkinGlyph::kWifi4Locked, "wifi-4-locked"},
    Entry{SkinGlyph::kTrayIdle, "tray-idle"},
    Entry{SkinGlyph::kTrayConnected, "tray-connected"},
    Entry{SkinGlyph::kTrayProjecting, "tray-projecting"},
};

constexpr bool NamesInOrder() {
    for (size_t i = 0; i < kNames.size(); ++i) {
        if (static_cast<size_t>(kNames[i].first) != i) {
            return false;
        }
    }
    return kNames.back().first == SkinGlyph::kTrayProjecting;
}
static_assert(NamesInOrder(), "every glyph has its name, in declaration order");

}  // namespace

std::string_view SkinGlyphName(SkinGlyph glyph) {
    return kNames[static_cast<size_t>(glyph)].second;
}

std::optional<SkinGlyph> SkinGlyphFromName(std::string_view name) {
    for (const Entry& e : kNames) {
        if (e.second == name) {
            return e.first;
        }
    }
    return std::nullopt;
}

bool IsSkinSymbol(SkinGlyph glyph) {
    return static_cast<int>(glyph) >= static_cast<int>(SkinGlyph::kExit);
}

const std::vector<SkinGlyph>& AllSkinGlyphs() {
    static const std::vector<SkinGlyph> all = [] {
        std::vector<SkinGlyph> glyphs;
        for (const Entry& e : kNames) {
            glyphs.push_back(e.first);
        }
        return glyphs;
    }();
    return all;
}

}  // namespace appres
