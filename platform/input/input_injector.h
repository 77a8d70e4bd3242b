// Replays input on the local desktop: pointer motion and buttons, the wheel,
// keys by PC scan code or by media-key number, Unicode text, single-finger
// touch, and reads the lock-key toggles.
//
// The input replay builds one record per event (MouseInput, KeyInput) with the
// same meaning a desktop's own input queue gives them, and the injector turns
// it into events of the window system. It does not know the receiver or its
// wire format. The X11 implementation sends XTest events to one X display;
// FakeInputInjector records the calls for tests.
//
// Screens: index 0 of GetDesktopConfig() is the primary desktop (X screen 0),
// index n > 0 is X screen n, the numbering the capture library uses for
// SetScreenCapture(). On the virtual desktop the X screens lie side by side
// from left to right, X screen 0 at the origin.
//
// THREADING: every operation may be called from any thread; an
// implementation serialises them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A rectangle of the desktop, in pixels.
struct DisplayRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool operator==(const DisplayRect&) const = default;
};

// Flags of a MouseInput.
enum MouseInputFlags : uint32_t {
    kMouseMove = 0x0001,
    kMouseLeftDown = 0x0002,
    kMouseLeftUp = 0x0004,
    kMouseRightDown = 0x0008,
    kMouseRightUp = 0x0010,
    kMouseMiddleDown = 0x0020,
    kMouseMiddleUp = 0x0040,
    kMouseWheel = 0x0800,
    // With kMouseAbsolute: dx and dy span the whole virtual desktop instead
    // of the primary desktop.
    kMouseVirtualDesk = 0x4000,
    // dx and dy are a position, 0..65535 across the reference area, instead
    // of a motion in pixels.
    kMouseAbsolute = 0x8000,
};

// One pointer event. A move is applied before the buttons and the wheel.
struct MouseInput {
    int32_t dx = 0;
    int32_t dy = 0;
    // With kMouseWheel: 120 per notch, positive away from the user.
    int32_t wheel = 0;
    uint32_t flags = 0;

    bool operator==(const MouseInput&) const = default;
};

// Flags of a KeyInput.
enum KeyInputFlags : uint32_t {
    kKeyExtended = 0x0001,  // the scan code has the 0xE0 prefix
    kKeyUp = 0x0002,
    kKeyScanCode = 0x0008,  // `scan` names the key; else `virtualKey` does
};

// Media and browser keys, and Pause, by their virtual-key number.
enum VirtualKey : uint16_t {
    kVkPause = 0x13,
    kVkBrowserBack = 0xA6,
    kVkBrowserForward = 0xA7,
    kVkBrowserRefresh = 0xA8,
    kVkBrowserSearch = 0xAA,
    kVkBrowserFavorites = 0xAB,
    kVkBrowserHome = 0xAC,
    kVkVolumeMute = 0xAD,
    kVkVolumeDown = 0xAE,
    kVkVolumeUp = 0xAF,
    kVkMediaNextTrack = 0xB0,
    kVkMediaPrevTrack = 0xB1,
    kVkMediaStop = 0xB2,
    kVkMediaPlayPause = 0xB3,
    kVkLaunchMail = 0xB4,
    kVkLaunchMediaSelect = 0xB5,
};

// One key press or release: a PC set-1 scan code (kKeyScanCode, with
// kKeyExtended for the 0xE0 keys) or a VirtualKey.
struct KeyInput {
    uint16_t virtualKey = 0;
    uint16_t scan = 0;
    uint32_t flags = 0;

    bool operator==(const KeyInput&) const = default;
};

// Toggle state of the three lock keys.
struct LockKeyStates {
    bool numLock = false;
    bool capsLock = false;
    bool scrollLock = false;

    bool operator==(const LockKeyStates&) const = default;
};

class InputInjector {
public:
    // The XTest injector on `display` (empty: the DISPLAY variable); nullptr
    // when the display cannot be opened or lacks XTest.
    static std::unique_ptr<InputInjector> Create(const std::string& display = "");

    virtual ~InputInjector() = default;

    // The layout the absolute positions refer to: index 0 the primary
    // desktop, 1, 2, ... the further screens; false past the last one.
    virtual bool GetDesktopConfig(int index, DisplayRect* rect) = 0;

    virtual void SendMouse(const MouseInput& input) = 0;
    virtual void SendKey(const KeyInput& input) = 0;
    // Types one character (press and release), whatever the keyboard
    // layout holds. Surrogates and values past U+10FFFF are ignored.
    virtual void TypeCharacter(char32_t character) = 0;

    // Touch: one finger drives the pointer while it touches. `x` and `y` are
    // 0..65535 across the screen given to StartTouch(); `state` 0 lifts the
    // finger, any other value puts it down or moves it.
    virtual void StartTouch(int screen) = 0;
    virtual void SetFingerInfo(uint8_t id, uint16_t x, uint16_t y, uint8_t state) = 0;
    // Lifts a finger still down.
    virtual void StopTouch() = 0;

    // False when the states cannot be read.
    virtual bool GetLockKeyStates(LockKeyStates* states) = 0;
};

}  // namespace platform
