// A recording InputInjector for unit tests: it keeps every call in order,
// answers the display layout and the lock-key states the test sets, and can
// fail to read the lock keys as a real display may.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/input/input_injector.h"

namespace platform {

class FakeInputInjector : public InputInjector {
public:
    // One recorded call.
    struct Event {
        enum class Kind { kMouse, kKey, kCharacter, kTouchStart, kFinger, kTouchStop };
        Kind kind = Kind::kMouse;
        MouseInput mouse;
        KeyInput key;
        char32_t character = 0;
        // kTouchStart: screen in `id`; kFinger: all four.
        int id = 0;
        int x = 0;
        int y = 0;
        int state = 0;
    };

    // Index 0 is the primary desktop; empty: 1920 x 1080 alone.
    void SetDesktop(std::vector<DisplayRect> layout) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_layout = std::move(layout);
    }
    void SetLockKeys(LockKeyStates states, bool readable = true) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_locks = states;
        m_locksReadable = readable;
    }
    std::vector<Event> Events() {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_events;
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.clear();
    }

    bool GetDesktopConfig(int index, DisplayRect* rect) override {
        std::lock_guard<std::mutex> guard(m_lock);
        const std::vector<DisplayRect> layout =
            m_layout.empty() ? std::vector<DisplayRect>{{0, 0, 1920, 1080}} : m_layout;
        if (index < 0 || static_cast<size_t>(index) >= layout.size()) {
            return false;
        }
        *rect = layout[static_cast<size_t>(index)];
        return true;
    }
    void SendMouse(const MouseInput& input) override { Record({.mouse = input}); }
    void SendKey(const KeyInput& input) override {
        Record({.kind = Event::Kind::kKey, .key = input});
    }
    void TypeCharacter(char32_t character) override {
        Record({.kind = Event::Kind::kCharacter, .character = character});
    }
    void StartTouch(int screen) override {
        Record({.kind = Event::Kind::kTouchStart, .id = screen});
    }
    void SetFingerInfo(uint8_t id, uint16_t x, uint16_t y, uint8_t state) override {
        Record({.kind = Event::Kind::kFinger, .id = id, .x = x, .y = y, .state = state});
    }
    void StopTouch() override { Record({.kind = Event::Kind::kTouchStop}); }
    bool GetLockKeyStates(LockKeyStates* states) override {
        std::lock_guard<std::mutex> guard(m_lock);
        *states = m_locks;
        return m_locksReadable;
    }

private:
    void Record(Event event) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_events.push_back(event);
    }

    std::mutex m_lock;
    std::vector<DisplayRect> m_layout;
    LockKeyStates m_locks;
    bool m_locksReadable = true;
    std::vector<Event> m_events;
};

}  // namespace platform
