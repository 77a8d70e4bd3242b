// The messages the window layer delivers to window handlers.
//
// One Message type carries everything: the kind says which fields count.
// Mouse points are in the client coordinates of the receiving window (the
// tray's points are screen coordinates); paint areas are in the client
// coordinates of the top-level. Plain value, usable on any thread.
#pragma once

#include <cstdint>

#include "platform/draw/geometry.h"
#include "platform/window/window_id.h"

namespace platform {

enum class MessageKind : uint16_t {
    kNone,
    kCreate,        // the window exists; sent once, before it is shown
    kDestroy,       // the window is being destroyed; its id is still valid during the call
    kFinalRelease,  // the last call: nothing of the window is on the stack any more
    kClose,         // a request to close (window manager, tray owner, PostClose)
    kCommand,       // code = command id, param = argument
    kUser,          // a message of the program's own: code, param, param2
    kTimer,         // code = timer id
    kPaint,         // rect = area to redraw (top-levels only)
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kDoubleClick,  // the second press of a double click (instead of kButtonDown)
    kWheel,        // param = wheel steps, positive away from the user
    kMouseHover,   // the pointer rested on the window (armed by TrackMouse)
    kMouseLeave,   // the pointer left the window (armed by TrackMouse)
    kCaptureLost,  // the window lost the mouse capture
    kKeyDown,      // key = which key; code = its character (see Message::code)
    kKeyUp,
    kChar,  // code = Unicode code point of the typed character
    kFocusIn,
    kFocusOut,
    kShow,      // code = 1 shown, 0 hidden
    kMove,      // rect = the new rectangle (parent or screen coordinates)
    kActivate,  // code = 1 activated, 0 deactivated (top-levels)
    kTray,      // code = TrayAction, param = icon id, point = screen point
    kMinimize,  // the top-level was minimised; it comes back with kShow 1
    kQuit,      // internal: ends the message loops; never reaches a handler
};

enum class MouseButton : uint8_t { kNone, kLeft, kMiddle, kRight };

// Keys the program reacts to by name; typed text arrives as kChar. A key
// that stands for a character also carries it in Message::code of its
// kKeyDown and kKeyUp, with the Control key held too: a Control chord
// (Ctrl+C) types no kChar, and its letter is how the program tells it.
enum class Key : uint16_t {
    kUnknown,
    kTab,
    kReturn,
    kEscape,
    kSpace,
    kBackspace,
    kDelete,
    kLeft,
    kRight,
    kUp,
    kDown,
    kHome,
    kEnd,
    kPageUp,
    kPageDown,
    kF4,
    kF5,
    kAlt,
    kShift,
    kControl,
    kOther,  // a key without a name here; its character, if any, follows as kChar
};

// Modifier bits of Message::modifiers.
inline constexpr uint32_t kModShift = 1u << 0;
inline constexpr uint32_t kModControl = 1u << 1;
inline constexpr uint32_t kModAlt = 1u << 2;
inline constexpr uint32_t kModLeftButton = 1u << 8;
inline constexpr uint32_t kModRightButton = 1u << 9;
inline constexpr uint32_t kModMiddleButton = 1u << 10;

// What happened on a tray icon (Message::code of kTray).
enum class TrayAction : uint32_t {
    kMouseMove = 1,
    kLeftDown,
    kLeftUp,
    kLeftDoubleClick,
    kRightDown,
    kRightUp,
    kRightDoubleClick,
};

// Command ids the layer itself gives meaning to: Enter and Escape in a
// dialog send them, and a modal window ends with them by default.
inline constexpr uint32_t kCommandOk = 1;
inline constexpr uint32_t kCommandCancel = 2;

struct Message {
    MessageKind kind = MessageKind::kNone;
    WindowId target;
    uint32_t code = 0;
    int64_t param = 0;
    int64_t param2 = 0;
    Point point;  // mouse messages: client coordinates; kTray: screen
    Rect rect;    // kPaint, kMove
    MouseButton button = MouseButton::kNone;
    Key key = Key::kUnknown;
    uint32_t modifiers = 0;
    uint64_t timeMs = 0;  // clock time at which the layer took the message in

    static Message Command(uint32_t id, int64_t param = 0) {
        Message m;
        m.kind = MessageKind::kCommand;
        m.code = id;
        m.param = param;
        return m;
    }
    static Message User(uint32_t code, int64_t param = 0, int64_t param2 = 0) {
        Message m;
        m.kind = MessageKind::kUser;
        m.code = code;
        m.param = param;
        m.param2 = param2;
        return m;
    }
    static Message Close() {
        Message m;
        m.kind = MessageKind::kClose;
        return m;
    }
};

// True for the messages that PreTranslate sees: those of the mouse and the
// keyboard, with hover, leave and capture-lost notices.
constexpr bool IsInputMessage(MessageKind kind) {
    return (kind >= MessageKind::kMouseMove && kind <= MessageKind::kChar);
}

}  // namespace platform
