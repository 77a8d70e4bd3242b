#include "platform/input/input_injector_x11.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>

#include "platform/input/pc_key_codes.h"

namespace platform {

namespace {

// One wheel notch.
constexpr int kWheelDelta = 120;
// Core pointer buttons.
constexpr unsigned kButtonLeft = 1;
constexpr unsigned kButtonMiddle = 2;
constexpr unsigned kButtonRight = 3;
constexpr unsigned kWheelUp = 4;
constexpr unsigned kWheelDown = 5;
// evdev keycodes are the kernel's key codes moved by 8.
constexpr unsigned kEvdevOffset = 8;
// Keysyms of Unicode characters outside Latin-1.
constexpr unsigned long kUnicodeKeysym = 0x01000000;

}  // namespace

std::unique_ptr<InputInjector> InputInjector::Create(const std::string& display) {
    return InputInjectorX11::Create(display);
}

std::unique_ptr<InputInjectorX11> InputInjectorX11::Create(const std::string& display) {
    std::unique_ptr<XDisplay> x = XDisplay::Open(display);
    if (!x) {
        return nullptr;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(x->display(), &event, &error, &major, &minor)) {
        return nullptr;
    }
    return std::unique_ptr<InputInjectorX11>(new InputInjectorX11(std::move(x)));
}

InputInjectorX11::InputInjectorX11(std::unique_ptr<XDisplay> display)
    : m_display(std::move(display)),
      m_mapper(std::make_unique<XKeysymMapper>(m_display->display())) {}

InputInjectorX11::~InputInjectorX11() {
    StopTouch();
    std::lock_guard<std::mutex> guard(m_lock);
    m_mapper.reset();  // gives the lent keycodes back while the display is open
}

DisplayRect InputInjectorX11::ScreenRect(int screen) const {
    Display* d = m_display->display();
    DisplayRect rect;
    for (int i = 0; i < screen; ++i) {
        rect.x += DisplayWidth(d, i);
    }
    rect.width = DisplayWidth(d, screen);
    rect.height = DisplayHeight(d, screen);
    return rect;
}

DisplayRect InputInjectorX11::VirtualDesk() const {
    Display* d = m_display->display();
    DisplayRect bounds;
    for (int i = 0; i < ScreenCount(d); ++i) {
        bounds.width += DisplayWidth(d, i);
        bounds.height = std::max(bounds.height, DisplayHeight(d, i));
    }
    return bounds;
}

bool InputInjectorX11::GetDesktopConfig(int index, DisplayRect* rect) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (index < 0 || index >= ScreenCount(m_display->display()) || !rect) {
        return false;
    }
    *rect = ScreenRect(index);
    return true;
}

void InputInjectorX11::MoveTo(int x, int y) {
    Display* d = m_display->display();
    int screen = ScreenCount(d) - 1;
    while (screen > 0 && x < ScreenRect(screen).x) {
        --screen;
    }
    const DisplayRect area = ScreenRect(screen);
    x = std::clamp(x - area.x, 0, area.width - 1);
    y = std::clamp(y, 0, area.height - 1);
    XTestFakeMotionEvent(d, screen, x, y, CurrentTime);
}

void InputInjectorX11::MoveToNormalised(const DisplayRect& area, int nx, int ny) {
    // 0..65535 spans the area; the pixel is the one the position falls in.
    const int64_t x = area.x + (int64_t{std::clamp(nx, 0, 65535)} * area.width) / 65536;
    const int64_t y = area.y + (int64_t{std::clamp(ny, 0, 65535)} * area.height) / 65536;
    MoveTo(static_cast<int>(x), static_cast<int>(y));
}

void InputInjectorX11::Button(unsigned button, bool down) {
    XTestFakeButtonEvent(m_display->display(), button, down ? True : False, CurrentTime);
}

void InputInjectorX11::Key(unsigned keycode, bool down) {
    XTestFakeKeyEvent(m_display->display(), keycode, down ? True : False, CurrentTime);
}

void InputInjectorX11::SendMouse(const MouseInput& input) {
    std::lock_guard<std::mutex> guard(m_lock);
    Display* d = m_display->display();
    if (input.flags & kMouseMove) {
        if (input.flags & kMouseAbsolute) {
            const DisplayRect area =
                (input.flags & kMouseVirtualDesk) ? VirtualDesk() : ScreenRect(0);
            MoveToNormalised(area, input.dx, input.dy);
        } else if (input.dx != 0 || input.dy != 0) {
            XTestFakeRelativeMotionEvent(d, input.dx, input.dy, CurrentTime);
        }
    }
    const struct {
        uint32_t down, up;
        unsigned button;
    } buttons[] = {{kMouseLeftDown, kMouseLeftUp, kButtonLeft},
                   {kMouseRightDown, kMouseRightUp, kButtonRight},
                   {kMouseMiddleDown, kMouseMiddleUp, kButtonMiddle}};
    for (const auto& b : buttons) {
        if (input.flags & b.down) {
            Button(b.button, true);
        }
        if (input.flags & b.up) {
            Button(b.button, false);
        }
    }
    if (input.flags & kMouseWheel) {
        // X has whole notches only: parts of a notch add up over events.
        m_wheelRemainder += input.wheel;
        const int notches = m_wheelRemainder / kWheelDelta;
        m_wheelRemainder -= notches * kWheelDelta;
        const unsigned button = notches > 0 ? kWheelUp : kWheelDown;
        for (int i = 0; i < std::abs(notches); ++i) {
            Button(button, true);
            Button(button, false);
        }
    }
    XSync(d, False);
}

void InputInjectorX11::SendKey(const KeyInput& input) {
    const uint16_t code = (input.flags & kKeyScanCode)
                              ? KeyCodeOfScanCode(input.scan, input.flags & kKeyExtended)
                              : KeyCodeOfVirtualKey(input.virtualKey);
    std::lock_guard<std::mutex> guard(m_lock);
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(m_display->display(), &minCode, &maxCode);
    const unsigned keycode = code + kEvdevOffset;
    if (code == 0 || keycode < static_cast<unsigned>(minCode) ||
        keycode > static_cast<unsigned>(maxCode)) {
        return;  // no such key on this server
    }
    Key(keycode, !(input.flags & kKeyUp));
    XSync(m_display->display(), False);
}

void InputInjectorX11::TypeCharacter(char32_t character) {
    // The control characters a typed text carries are keys of their own.
    unsigned long keysym = 0;
    switch (character) {
        case 0x08:
            keysym = XK_BackSpace;
            break;
        case 0x09:
            keysym = XK_Tab;
            break;
        case 0x0A:
        case 0x0D:
            keysym = XK_Return;
            break;
        default:
            if (character < 0x20 || (character >= 0xD800 && character <= 0xDFFF) ||
                character > 0x10FFFF || (character >= 0x7F && character < 0xA0)) {
                return;
            }
            // Latin-1 characters are their own keysyms; the rest live in the
            // Unicode keysym range.
            keysym = character < 0x100 ? character : (kUnicodeKeysym | character);
            break;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    const unsigned keycode = m_mapper->KeycodeFor(keysym);
    if (keycode == 0) {
        return;
    }
    Key(keycode, true);
    Key(keycode, false);
    XSync(m_display->display(), False);
}

void InputInjectorX11::StartTouch(int screen) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_touchScreen = std::clamp(screen, 0, ScreenCount(m_display->display()) - 1);
}

void InputInjectorX11::SetFingerInfo(uint8_t id, uint16_t x, uint16_t y, uint8_t state) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_finger && *m_finger != id) {
        return;  // one finger at a time drives the pointer
    }
    if (!m_finger && state == 0) {
        return;
    }
    MoveToNormalised(ScreenRect(m_touchScreen), x, y);
    if (!m_finger) {
        m_finger = id;
        Button(kButtonLeft, true);
    } else if (state == 0) {
        m_finger.reset();
        Button(kButtonLeft, false);
    }
    XSync(m_display->display(), False);
}

void InputInjectorX11::StopTouch() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_finger) {
        m_finger.reset();
        Button(kButtonLeft, false);
        XSync(m_display->display(), False);
    }
}

bool InputInjectorX11::Indicator(const char* name) {
    Display* d = m_display->display();
    Bool on = False;
    const Atom atom = XInternAtom(d, name, False);
    if (!XkbGetNamedIndicator(d, atom, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on == True;
}

bool InputInjectorX11::GetLockKeyStates(LockKeyStates* states) {
    std::lock_guard<std::mutex> guard(m_lock);
    int opcode = 0, event = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (!states ||
        !XkbQueryExtension(m_display->display(), &opcode, &event, &error, &major, &minor)) {
        return false;
    }
    states->numLock = Indicator("Num Lock");
    states->capsLock = Indicator("Caps Lock");
    states->scrollLock = Indicator("Scroll Lock");
    return true;
}

}  // namespace platform
