// The glyph words of the skin manifest: what each generated skin image shows.
//
// A glyph is either a symbol (a small vector picture drawn centred on the
// image's body: exit, play, padlock, signal bars, ...) or a surface (the body
// alone: dialog and page backgrounds, rows, panels, plain text buttons whose
// caption the widget draws). The word is chosen by the image's purpose in the
// layout tables. Plain data and lookups, usable on any thread.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace appres {

enum class SkinGlyph {
    // Surfaces.
    kNone,         // plain button body; the widget draws the caption
    kDialog,       // secondary dialog: 29-pixel title bar over a light body
    kDialogList,   // the same with the well of its list control
    kMessage,      // message box: 22-pixel title bar
    kPrompt,       // small card without a title bar (prompts, settings panel)
    kPage,         // main-window-sized page: 26-pixel title bar
    kTiles2,       // main page with two tile places
    kTiles4,       // main page with four tile places
    kPanel,        // list panel
    kRow,          // list row
    kRowAlt,       // list row at an odd position
    kRowSelected,  // the selected list row
    kSeparator,    // a thin horizontal rule
    kField,        // the frame of a text box
    kTrack,        // volume slider groove
    kTrackFill,    // volume slider filled part
    kScrollTrack,  // scrollbar groove
    kThumbTop,     // scrollbar thumb: top cap, body, bottom cap
    kThumbBody,
    kThumbBottom,
    kMask,       // dimming layer under the receiver list
    kHighlight,  // ring around the tile of this PC's presentation
    kTileFrame,  // outline of a receiver choice tile

    // Symbols.
    kExit,
    kMinimise,
    kSettings,
    kPlay,
    kPause,
    kSwap,
    kPadlockOpen,
    kPadlockClosed,
    kSignal1,
    kSignal2,
    kSignal3,
    kPlus,
    kMinus,
    kKey,
    kCheck,
    kRefresh,
    kDropdown,  // chevron on the title bar
    kSelect,    // a drop-down field with its chevron at the right
    kList,
    kArrowUp,
    kArrowDown,
    kVolumeDown,
    kVolumeUp,
    kSwitchOff,
    kSwitchOn,
    kKnob,
    kDot,
    kDotCurrent,
    kTile,      // an empty position tile
    kReceiver,  // a receiver's picture on the choice page
    kSelected,  // the hovered receiver choice
    kEmblem,    // the program's picture on dialogs
    kSplash,    // the waiting screen
    kNetwork,   // PC, receiver and router joined up
    kWifi0,     // access point signal, 0 to 4 bars lit
    kWifi1,
    kWifi2,
    kWifi3,
    kWifi4,
    kWifi0Locked,  // the same for a network that asks for a key
    kWifi1Locked,
    kWifi2Locked,
    kWifi3Locked,
    kWifi4Locked,
    kTrayIdle,
    kTrayConnected,
    kTrayProjecting,
};

// The manifest word of a glyph, e.g. "padlock-open".
std::string_view SkinGlyphName(SkinGlyph glyph);

// The glyph a manifest word names, or nothing for an unknown word.
std::optional<SkinGlyph> SkinGlyphFromName(std::string_view name);

// True for symbols, false for surfaces.
bool IsSkinSymbol(SkinGlyph glyph);

// Every glyph, in declaration order.
const std::vector<SkinGlyph>& AllSkinGlyphs();

}  // namespace appres
