// Input rules of the window layer: turns the display's pointer and keyboard
// events into messages for the right window.
//
// It owns the pointer state: the mouse capture (every pointer message goes
// to the capturing window), hover and leave tracking (one-shot, armed by
// Track), double-click detection and the keyboard focus. It only decides;
// the window manager queues the messages it produces and sends the capture
// and focus notifications.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/window/window_backend.h"
#include "platform/window/window_tree.h"

namespace platform {

class InputRouter {
public:
    // `tree` is borrowed and must outlive the router.
    explicit InputRouter(const WindowTree& tree) : m_tree(tree) {}

    // A pointer event (move, press, release, wheel, leave): appends the
    // messages to post to `out`.
    void OnPointer(const BackendEvent& event, uint64_t nowMs, std::vector<Message>& out);

    // A key or character event for the top-level `active` (the event's own
    // top-level when it names one; a shown popup holding the focus takes
    // every key): appends the message for the focus window, or for the
    // top-level when the focus lies elsewhere.
    void OnKey(const BackendEvent& event, WindowId active, uint64_t nowMs,
               std::vector<Message>& out);

    // Arms tracking for `window`: a kMouseLeave when the pointer leaves it,
    // a kMouseHover when it rests on it for `hoverMs`. When the pointer is
    // not over the window, the leave (if asked for) is appended at once.
    void Track(WindowId window, bool hover, bool leave, uint32_t hoverMs, uint64_t nowMs,
               std::vector<Message>& out);
    bool IsTracking(WindowId window) const { return m_track.window == window; }

    // When the armed hover is due; nullopt when none is armed.
    std::optional<uint64_t> HoverDue() const;
    // The hover message when it is due at `nowMs` (it fires once).
    std::optional<Message> TakeHover(uint64_t nowMs);

    WindowId Capture() const { return m_capture; }
    void SetCapture(WindowId window) { m_capture = window; }
    WindowId Focus() const { return m_focus; }
    void SetFocus(WindowId window) { m_focus = window; }

    // The window under the pointer at the last pointer event, and where.
    WindowId UnderPointer() const { return m_under; }
    // kMod*Button bits of the mouse buttons held down.
    uint32_t ButtonsDown() const { return m_buttons; }
    Point Pointer() const { return m_pointer; }

    // Drops every reference to a destroyed window.
    void Forget(WindowId window);

private:
    struct Tracking {
        WindowId window;
        bool hover = false;
        bool leave = false;
        uint32_t hoverMs = 0;
        Point anchor;  // screen
        uint64_t anchorMs = 0;
    };
    struct LastPress {
        WindowId window;
        MouseButton button = MouseButton::kNone;
        uint64_t timeMs = 0;
        Point screen;
        bool valid = false;
    };

    Message MakeMouse(MessageKind kind, WindowId target, Point screen, uint64_t nowMs) const;
    void UpdateTracking(WindowId hit, Point screen, uint64_t nowMs, std::vector<Message>& out);

    const WindowTree& m_tree;
    WindowId m_capture;
    WindowId m_focus;
    WindowId m_under;
    Point m_pointer;
    uint32_t m_buttons = 0;  // kMod*Button bits held down
    Tracking m_track;
    LastPress m_lastPress;
};

}  // namespace platform
