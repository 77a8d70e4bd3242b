// InputInjector over XTest on one X display.
//
// Pointer and keys become XTest events; keys by scan code go through their
// Linux key code to the evdev keycode (code + 8) that Xorg and Xvfb use;
// characters get a keycode lent by XKeysymMapper; touch drives the core
// pointer with button 1; the lock-key toggles are the XKB indicators.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/input/input_injector.h"
#include "platform/input/x_keysym_mapper.h"
#include "platform/x11/x_display.h"

namespace platform {

class InputInjectorX11 : public InputInjector {
public:
    // nullptr when `display` cannot be opened or has no XTest.
    static std::unique_ptr<InputInjectorX11> Create(const std::string& display);
    ~InputInjectorX11() override;

    bool GetDesktopConfig(int index, DisplayRect* rect) override;
    void SendMouse(const MouseInput& input) override;
    void SendKey(const KeyInput& input) override;
    void TypeCharacter(char32_t character) override;
    void StartTouch(int screen) override;
    void SetFingerInfo(uint8_t id, uint16_t x, uint16_t y, uint8_t state) override;
    void StopTouch() override;
    bool GetLockKeyStates(LockKeyStates* states) override;

private:
    explicit InputInjectorX11(std::unique_ptr<XDisplay> display);

    // Callers hold m_lock.
    DisplayRect ScreenRect(int screen) const;
    DisplayRect VirtualDesk() const;
    // Moves the pointer to pixel (x, y) of the virtual desktop.
    void MoveTo(int x, int y);
    // Moves to a 0..65535 position across `area`.
    void MoveToNormalised(const DisplayRect& area, int nx, int ny);
    void Button(unsigned button, bool down);
    void Key(unsigned keycode, bool down);
    bool Indicator(const char* name);

    std::mutex m_lock;
    std::unique_ptr<XDisplay> m_display;
    std::unique_ptr<XKeysymMapper> m_mapper;
    int m_wheelRemainder = 0;
    int m_touchScreen = 0;
    std::optional<uint8_t> m_finger;  // the finger that drives the pointer
};

}  // namespace platform
