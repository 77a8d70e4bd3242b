// Where a common dialog's window goes, by dialog type: its title, size,
// place, stacking and taskbar button when it is made, and the size and place
// the message boxes take when they are shown.
//
// Pure functions of the type, the screen and the placement reference
// window's rectangle; the dialog window applies the result.
#pragma once

#include <optional>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/draw/region.h"

namespace ui {

// The size of the back buffer every common dialog draws into.
inline constexpr int kBackBufferWidth = 614;
inline constexpr int kBackBufferHeight = 400;

struct CommonWindowSpec {
    std::string title;    // as the window shows it (translated where it should be)
    platform::Rect rect;  // screen
    bool topmost = false;
    bool appWindow = true;    // a taskbar button
    bool foreground = false;  // brought to the foreground before it is placed
    // Type 16 over a parent: the round-rectangle shape and alpha 220.
    std::optional<platform::Region> region;
    std::optional<uint8_t> alpha;
};

// `translate` gives the user's-language text of an English title.
using TitleTranslator = std::string (*)(const std::string& english);

// The window title by type ("Pemu" translated for most types).
std::string CommonDialogTitle(int type, TitleTranslator translate);

// Size, place, stacking and taskbar of a new window of `type`. `reference`
// is the placement reference window's screen rectangle (nullopt: none);
// `parent` the parent window's rectangle (type 16 covers it).
CommonWindowSpec CommonWindowSpecFor(int type, const platform::Rect& screen,
                                     std::optional<platform::Rect> reference,
                                     std::optional<platform::Rect> parent,
                                     TitleTranslator translate);

// The place a message box takes when it is shown (types 8..12, 38): the
// rectangle and whether it ends topmost; nullopt for the other types.
struct ShowPlacement {
    platform::Rect rect;
    bool topmost = false;
};
std::optional<ShowPlacement> ShowTimePlacement(int type, const platform::Rect& screen,
                                               std::optional<platform::Rect> reference);

}  // namespace ui
