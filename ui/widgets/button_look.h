// How a skinned button looks in each state, and where its knob values lie:
// pure rules of CQKButton, kept apart so that they can be read (and tested)
// as tables.
//
// Button states: 0 normal, 1 hover, 2 pressed, 3 inactive (4 is drawn as 3).
// Plain functions, usable anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/draw/color.h"

namespace ui {

inline constexpr int kButtonNormal = 0;
inline constexpr int kButtonHover = 1;
inline constexpr int kButtonPressed = 2;
inline constexpr int kButtonInactive = 3;
inline constexpr int kButtonInactiveAlt = 4;

// The frame of its strip a button shows: a 4-frame strip shows the state
// (the speed switch always frame 0); a 2-frame strip shows `fixedFrame` - 1
// when that is set, else the state with pressed shown as hover and inactive
// as normal; any other strip frame 0.
int ButtonFrame(int frames, int state, int fixedFrame, bool alwaysFirstFrame);

// True for the buttons drawn as flat rectangles instead of a strip frame.
bool IsFlatButton(uint32_t id, int frames);

// A flat button's fill and one-pixel outline (none for some), for the ids
// and frame counts that have one. `firstChoice` and `secondChoice` are the
// main dialog's choice flags (any other value: neither button is chosen).
struct FlatLook {
    platform::Argb fill;
    std::optional<platform::Argb> outline;
};
std::optional<FlatLook> FlatButtonLook(uint32_t id, int frames, int state, int firstChoice,
                                       int secondChoice);

struct ButtonTextInput {
    uint32_t id = 0;
    std::string_view name;
    int frames = 1;
    int state = kButtonNormal;
    bool highlight = false;
    platform::Argb textColour{0xFF000000u};
    int firstChoice = -1;
    int secondChoice = -1;
};
// The caption's colour; later rules override earlier ones: inactive grey
// (black for "PROFILE_CONNECT_BUTTON") or the text colour, the highlight of
// 10299/10300, the flat strips' white-on-active, the choice pairs, the
// language entries' blue.
platform::Argb ButtonTextColour(const ButtonTextInput& in);

// Slider knobs: the range of the knob's left edge and what the value is.
struct KnobRange {
    int low;
    int high;
};
// The range for a knob's element name, or nothing when it is no knob.
std::optional<KnobRange> KnobRangeFor(std::string_view elementName);
int ClampToKnob(int x, const KnobRange& range);

// Where the speed switch snaps on release: 21 when its left edge lies 11 to
// 21 pixels into its track (which starts at 154), else 0.
int SpeedySnapPosition(int leftEdge);

}  // namespace ui
