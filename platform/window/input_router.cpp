#include "platform/window/input_router.h"

#include <cstdlib>

#include "platform/window/window_limits.h"

namespace platform {
namespace {

uint32_t ButtonBit(MouseButton button) {
    switch (button) {
        case MouseButton::kLeft:
            return kModLeftButton;
        case MouseButton::kRight:
            return kModRightButton;
        case MouseButton::kMiddle:
            return kModMiddleButton;
        case MouseButton::kNone:
            break;
    }
    return 0;
}

}  // namespace

Message InputRouter::MakeMouse(MessageKind kind, WindowId target, Point screen,
                               uint64_t nowMs) const {
    Message m;
    m.kind = kind;
    m.target = target;
    Point origin = m_tree.ScreenOrigin(target);
    m.point = {screen.x - origin.x, screen.y - origin.y};
    m.modifiers = m_buttons;
    m.timeMs = nowMs;
    return m;
}

void InputRouter::OnPointer(const BackendEvent& event, uint64_t nowMs, std::vector<Message>& out) {
    m_pointer = event.screen;
    WindowId hit;
    if (event.kind != BackendEventKind::kPointerLeft && m_tree.Find(event.topLevel)) {
        Point origin = m_tree.ScreenOrigin(event.topLevel);
        hit =
            m_tree.HitTest(event.topLevel, {event.screen.x - origin.x, event.screen.y - origin.y});
    }
    m_under = hit;
    UpdateTracking(hit, event.screen, nowMs, out);

    if (event.kind == BackendEventKind::kButtonDown) {
        m_buttons |= ButtonBit(event.button);
    }
    WindowId target = m_tree.Find(m_capture) ? m_capture : hit;
    if (!target || event.kind == BackendEventKind::kPointerLeft) {
        if (event.kind == BackendEventKind::kButtonUp) {
            m_buttons &= ~ButtonBit(event.button);
        }
        return;
    }
    // Disabled windows (and every window of a top-level that a modal
    // dialog disabled) get no pointer input at all.
    if (!m_tree.IsEnabledDeep(target)) {
        if (event.kind == BackendEventKind::kButtonUp) {
            m_buttons &= ~ButtonBit(event.button);
        }
        return;
    }
    Message m;
    switch (event.kind) {
        case BackendEventKind::kMouseMove:
            m = MakeMouse(MessageKind::kMouseMove, target, event.screen, nowMs);
            break;
        case BackendEventKind::kButtonDown: {
            const WindowNode* node = m_tree.Find(target);
            bool dbl = node->doubleClicks && m_lastPress.valid && m_lastPress.window == target &&
                       m_lastPress.button == event.button &&
                       nowMs - m_lastPress.timeMs <= kDoubleClickMs &&
                       std::abs(event.screen.x - m_lastPress.screen.x) <= kDoubleClickSlop &&
                       std::abs(event.screen.y - m_lastPress.screen.y) <= kDoubleClickSlop;
            // A third quick press starts a new pair instead of making another double click.
            m_lastPress = LastPress{target, event.button, nowMs, event.screen, !dbl};
            m = MakeMouse(dbl ? MessageKind::kDoubleClick : MessageKind::kButtonDown, target,
                          event.screen, nowMs);
            m.button = event.button;
            break;
        }
        case BackendEventKind::kButtonUp:
            m_buttons &= ~ButtonBit(event.button);
            m = MakeMouse(MessageKind::kButtonUp, target, event.screen, nowMs);
            m.button = event.button;
            break;
        case BackendEventKind::kWheel:
            m = MakeMouse(MessageKind::kWheel, target, event.screen, nowMs);
            m.param = event.wheelSteps;
            break;
        default:
            return;
    }
    m.modifiers |= event.modifiers;
    out.push_back(m);
}

void InputRouter::UpdateTracking(WindowId hit, Point screen, uint64_t nowMs,
                                 std::vector<Message>& out) {
    if (!m_track.window) {
        return;
    }
    if (!m_tree.Find(m_track.window)) {
        m_track = {};
        return;
    }
    if (hit != m_track.window) {
        if (m_track.leave) {
            Message m;
            m.kind = MessageKind::kMouseLeave;
            m.target = m_track.window;
            m.timeMs = nowMs;
            out.push_back(m);
        }
        m_track = {};
        return;
    }
    if (std::abs(screen.x - m_track.anchor.x) > kHoverSlop ||
        std::abs(screen.y - m_track.anchor.y) > kHoverSlop) {
        m_track.anchor = screen;
        m_track.anchorMs = nowMs;
    }
}

void InputRouter::Track(WindowId window, bool hover, bool leave, uint32_t hoverMs, uint64_t nowMs,
                        std::vector<Message>& out) {
    if (!m_tree.Find(window)) {
        return;
    }
    if (m_under != window) {
        if (leave) {
            Message m;
            m.kind = MessageKind::kMouseLeave;
            m.target = window;
            m.timeMs = nowMs;
            out.push_back(m);
        }
        if (m_track.window == window) {
            m_track = {};
        }
        return;
    }
    if (m_track.window == window && m_track.hover && hover) {
        // Re-arming keeps the time the pointer has already rested.
        m_track.leave = m_track.leave || leave;
        m_track.hoverMs = hoverMs;
        return;
    }
    m_track = Tracking{window, hover, leave, hoverMs, m_pointer, nowMs};
}

std::optional<uint64_t> InputRouter::HoverDue() const {
    if (!m_track.window || !m_track.hover) {
        return std::nullopt;
    }
    return m_track.anchorMs + m_track.hoverMs;
}

std::optional<Message> InputRouter::TakeHover(uint64_t nowMs) {
    std::optional<uint64_t> due = HoverDue();
    if (!due || *due > nowMs) {
        return std::nullopt;
    }
    m_track.hover = false;
    Message m = MakeMouse(MessageKind::kMouseHover, m_track.window, m_track.anchor, nowMs);
    if (!m_track.leave) {
        m_track = {};
    }
    return m;
}

void InputRouter::OnKey(const BackendEvent& event, WindowId active, uint64_t nowMs,
                        std::vector<Message>& out) {
    WindowId top = m_tree.Find(event.topLevel) ? event.topLevel : active;
    // An open popup (a menu) that holds the focus takes every key.
    const WindowNode* focusTop = m_tree.Find(m_tree.TopLevelOf(m_focus));
    if (focusTop && focusTop->popup && m_tree.IsShown(m_focus)) {
        top = focusTop->id;
    }
    if (!m_tree.Find(top) || !m_tree.IsEnabledDeep(top)) {
        return;
    }
    WindowId target = top;
    if (m_tree.Find(m_focus) && m_tree.TopLevelOf(m_focus) == top &&
        m_tree.IsEnabledDeep(m_focus)) {
        target = m_focus;
    }
    Message m;
    m.target = target;
    m.modifiers = event.modifiers;
    m.timeMs = nowMs;
    switch (event.kind) {
        case BackendEventKind::kKeyDown:
            m.kind = MessageKind::kKeyDown;
            m.key = event.key;
            m.code = event.codePoint;
            break;
        case BackendEventKind::kKeyUp:
            m.kind = MessageKind::kKeyUp;
            m.key = event.key;
            m.code = event.codePoint;
            break;
        case BackendEventKind::kChar:
            m.kind = MessageKind::kChar;
            m.code = event.codePoint;
            break;
        default:
            return;
    }
    out.push_back(m);
}

void InputRouter::Forget(WindowId window) {
    if (m_capture == window) {
        m_capture = {};
    }
    if (m_focus == window) {
        m_focus = {};
    }
    if (m_under == window) {
        m_under = {};
    }
    if (m_track.window == window) {
        m_track = {};
    }
    if (m_lastPress.window == window) {
        m_lastPress = {};
    }
}

}  // namespace platform
