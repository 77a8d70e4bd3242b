// The look of the generated skin: one accent colour, one neutral ramp, and
// the frame states of the image strips. Plain constants, usable anywhere.
//
// No colour here has a blue byte in 0xA0..0xAF, the marker range of
// skin_marker.h (the painter also clears that range from blended pixels).
#pragma once

#include "platform/draw/color.h"

namespace appres::skin {

using platform::Argb;

// The program's blue (the colour of its highlighted captions) and its shades.
inline constexpr Argb kAccent{0xFF1A6BBC};
inline constexpr Argb kAccentLight{0xFF3584D4};
inline constexpr Argb kAccentDark{0xFF12528F};
inline constexpr Argb kAccentTint{0xFFDCE9F7};

// Neutral ramp, light to dark.
inline constexpr Argb kWhite{0xFFFFFFFF};
inline constexpr Argb kN50{0xFFF5F7FA};
inline constexpr Argb kN100{0xFFEBEEF2};
inline constexpr Argb kN200{0xFFD9DEE5};
inline constexpr Argb kN300{0xFFC2C9D2};
inline constexpr Argb kN400{0xFF98A1B0};
inline constexpr Argb kN500{0xFF6B7480};
inline constexpr Argb kN700{0xFF3A434E};
inline constexpr Argb kN800{0xFF28303A};
inline constexpr Argb kN900{0xFF1B2129};

// The title bars of dialogs and pages, and the background of the
// access-point list whose small images are opaque bitmaps.
inline constexpr Argb kTitleBar = kN800;
inline constexpr Argb kListBackground{0xFFDBEBFF};

// Corner radius of buttons, fields and cards, in pixels.
inline constexpr double kRadius = 3.0;

// `colour` with its alpha scaled by `factor` (0..1).
constexpr Argb Faded(Argb colour, double factor) {
    return Argb::FromArgb(static_cast<uint8_t>(colour.Alpha() * factor), colour.Red(),
                          colour.Green(), colour.Blue());
}

// The look a frame of a strip is drawn in.
enum class FrameState {
    kNormal,
    kHover,     // lighter
    kPressed,   // darker, the symbol one pixel lower
    kDisabled,  // grey, reduced contrast
    kActive,    // second frame of a two-frame strip
};

// The state of frame `index` of a strip of `frames` frames: four-frame strips
// run normal, hover, pressed, disabled (as the buttons pick them by state);
// two-frame strips normal and active; longer strips repeat the four looks.
constexpr FrameState StateOfFrame(int frames, int index) {
    if (frames == 2) {
        return index == 0 ? FrameState::kNormal : FrameState::kActive;
    }
    if (frames < 2) {
        return FrameState::kNormal;
    }
    return static_cast<FrameState>(index % 4);
}

}  // namespace appres::skin
