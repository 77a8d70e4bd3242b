#include "ui/widgets/button_look.h"

#include <algorithm>
#include <initializer_list>

#include "ui/widgets/language_menu_hook.h"

namespace ui {
namespace {

using platform::Argb;

constexpr Argb kWhite{0xFFFFFFFFu};
constexpr Argb kAccent{0xFF1A6BBCu};  // the program's blue
constexpr Argb kActiveFill{0xFF0073A9u};

constexpr Argb Grey(uint8_t level) {
    return Argb::FromArgb(0xFF, level, level, level);
}

bool OneOf(uint32_t id, std::initializer_list<uint32_t> ids) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// The flat buttons with a blue active look, and the grey-active pair.
bool IsBlueFlat(uint32_t id) {
    return OneOf(id, {30127, 30128, 20234, 20235, 10203, 30091});
}
bool IsGreyFlat(uint32_t id) {
    return OneOf(id, {30198, 30199});
}
bool IsActive(int state) {
    return state == kButtonHover || state == kButtonPressed;
}
int OneIfNone(int frames) {
    return frames > 0 ? frames : 1;
}

// Whether button `id` of a choice pair is the chosen (blue) one.
std::optional<bool> ChoiceIsBlue(uint32_t id, int firstChoice, int secondChoice) {
    switch (id) {
        case 30155:
            return firstChoice == 0;
        case 30156:
            return firstChoice == 1;
        case 30157:
            return secondChoice == 0;
        case 30158:
            return secondChoice == 1;
        default:
            return std::nullopt;
    }
}

}  // namespace

int ButtonFrame(int frames, int state, int fixedFrame, bool alwaysFirstFrame) {
    if (state == kButtonInactiveAlt) {
        state = kButtonInactive;
    }
    if (frames == 4) {
        return alwaysFirstFrame ? 0 : state;
    }
    if (frames == 2) {
        if (fixedFrame != 0) {
            return fixedFrame - 1;
        }
        return state == kButtonPressed ? 1 : (state == kButtonInactive ? 0 : state);
    }
    return 0;
}

bool IsFlatButton(uint32_t id, int frames) {
    return OneIfNone(frames) == 1 && (IsBlueFlat(id) || IsGreyFlat(id) || id == 20230 ||
                                      ChoiceIsBlue(id, -1, -1).has_value());
}

std::optional<FlatLook> FlatButtonLook(uint32_t id, int frames, int state, int firstChoice,
                                       int secondChoice) {
    const int n = OneIfNone(frames);
    if (n == 2 && IsBlueFlat(id)) {
        return FlatLook{IsActive(state) ? kActiveFill : kWhite, Argb(0xFF1A6BBCu)};
    }
    if (n == 2 && IsGreyFlat(id)) {
        return FlatLook{IsActive(state) ? Grey(0x9A) : kWhite, Grey(0xCB)};
    }
    if (n != 1) {
        return std::nullopt;
    }
    if (OneOf(id, {30127, 30128, 30198, 30199})) {
        return FlatLook{kWhite, Grey(0x95)};
    }
    if (OneOf(id, {10203, 30091, 20234, 20235})) {
        return FlatLook{kActiveFill, Grey(0xE6)};
    }
    if (id == 20230) {
        return FlatLook{kWhite, std::nullopt};
    }
    if (std::optional<bool> blue = ChoiceIsBlue(id, firstChoice, secondChoice)) {
        return FlatLook{*blue ? kAccent : kWhite, Grey(0xAE)};
    }
    return std::nullopt;
}

Argb ButtonTextColour(const ButtonTextInput& in) {
    const int state = in.state == kButtonInactiveAlt ? kButtonInactive : in.state;
    Argb c = in.textColour;
    if (state == kButtonInactive) {
        c = in.name == "PROFILE_CONNECT_BUTTON" ? Argb(0xFF000000u) : Grey(0x7D);
    }
    if ((in.id == 10299 || in.id == 10300) && in.highlight) {
        c = Argb(0xFF005A91u);
    }
    if (in.frames > 1 && IsBlueFlat(in.id)) {
        c = IsActive(state) ? kWhite : kAccent;
    }
    if (in.frames > 1 && IsGreyFlat(in.id)) {
        c = IsActive(state) ? kWhite : Grey(0x9A);
    }
    if (std::optional<bool> blue = ChoiceIsBlue(in.id, in.firstChoice, in.secondChoice)) {
        c = *blue ? kWhite : Grey(0x90);
    }
    if (LanguageMenuHook::IsLanguageEntry(in.id)) {
        c = kAccent;
    }
    return c;
}

std::optional<KnobRange> KnobRangeFor(std::string_view elementName) {
    if (elementName == "VIDEOITEM_VOLUME_BALL") {
        return KnobRange{208, 256};
    }
    if (elementName == "VIDEOITEM_TIMER_BALL") {
        return KnobRange{57, 256};
    }
    if (elementName == "QKINMAIN_SPEEDY_BUTTON") {
        return KnobRange{154, 175};
    }
    if (elementName == "VOL_HANDLE_BUTTON") {
        return KnobRange{60, 198};
    }
    return std::nullopt;
}

int ClampToKnob(int x, const KnobRange& range) {
    return std::clamp(x, range.low, range.high);
}

int SpeedySnapPosition(int leftEdge) {
    const int into = leftEdge - 154;
    return into >= 11 && into <= 21 ? 21 : 0;
}

}  // namespace ui
