// The seam between the window core and a display: WindowBackend.
//
// The core (WindowManager) keeps every window, message, timer and input rule;
// a backend only realises the top-level windows on a display and reports what
// the user does to them. HeadlessBackend runs in memory for tests;
// WindowBackendX11 talks to an X server. A backend is driven only from the
// user-interface thread, except Wake(), which any thread may call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/draw/region.h"
#include "platform/window/window_id.h"
#include "platform/window/window_message.h"
#include "platform/window/window_options.h"

namespace platform {

class Surface;

// One top-level window as the backend sees it.
struct TopLevelSpec {
    WindowId id;
    WindowId owner;  // null: none
    Rect rect;       // screen coordinates
    std::string className;
    std::string title;
    bool topmost = false;
    bool popup = false;
    bool toolWindow = false;
    bool clickThrough = false;
    bool perPixelAlpha = false;
};

enum class BackendEventKind : uint8_t {
    kMouseMove,
    kButtonDown,
    kButtonUp,
    kWheel,
    kPointerLeft,  // the pointer left every window of ours (topLevel may be null)
    kKeyDown,
    kKeyUp,
    kChar,
    kCloseRequest,  // the user asked to close the top-level
    kExpose,        // rect of the top-level must be presented again
    kMoved,         // the display moved or resized the top-level to rect
    kActivated,
    kDeactivated,
    kTray,  // a tray icon of `topLevel` (its owner) saw trayAction
};

struct BackendEvent {
    BackendEventKind kind = BackendEventKind::kMouseMove;
    // The top-level the event belongs to: for the pointer, the one under it
    // (or the one holding a pointer grab); null when none of ours.
    WindowId topLevel;
    Point screen;  // pointer position in screen coordinates
    MouseButton button = MouseButton::kNone;
    int wheelSteps = 0;
    Key key = Key::kUnknown;
    // kChar: the typed character. kKeyDown, kKeyUp: the character the key
    // stands for (with Control held too), 0 for none.
    uint32_t codePoint = 0;
    uint32_t modifiers = 0;
    Rect rect;  // kExpose (client coordinates), kMoved (screen)
    TrayAction trayAction = TrayAction::kMouseMove;
    uint32_t trayIconId = 0;
};

// Receives the backend's events, on the user-interface thread, from inside
// WindowBackend::WaitForEvents.
class BackendSink {
public:
    virtual ~BackendSink() = default;
    virtual void OnBackendEvent(const BackendEvent& event) = 0;
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    // Where events go; set once by the window manager. Borrowed.
    virtual void SetSink(BackendSink* sink) = 0;

    // Top-levels. Create returns false when the display refuses the window;
    // the other calls ignore unknown ids.
    virtual bool CreateTopLevel(const TopLevelSpec& spec) = 0;
    virtual void DestroyTopLevel(WindowId id) = 0;
    virtual void SetVisible(WindowId id, bool visible) = 0;
    virtual void SetGeometry(WindowId id, const Rect& rect) = 0;
    virtual void SetTitle(WindowId id, const std::string& title) = 0;
    virtual void SetTopmost(WindowId id, bool topmost) = 0;
    // The window's shape in its own coordinates; nullopt: the whole rectangle.
    virtual void SetShape(WindowId id, const std::optional<Region>& shape) = 0;
    // Constant opacity of the whole window, 255 = opaque.
    virtual void SetOpacity(WindowId id, uint8_t opacity) = 0;
    virtual void Raise(WindowId id) = 0;  // to the front and active (popups: front only)
    virtual void Minimize(WindowId id) = 0;

    // Copies `area` of `surface` (top-level client coordinates) to the screen.
    virtual void Present(WindowId id, const Surface& surface, const Rect& area) = 0;

    virtual void SetCursor(WindowId id, CursorShape shape) = 0;
    // Sends every pointer event to `id` until UngrabPointer (mouse capture).
    virtual void GrabPointer(WindowId id) = 0;
    virtual void UngrabPointer() = 0;

    virtual void Bell() = 0;

    // The clipboard's text (UTF-8). Setting makes this program the
    // clipboard's owner until another program takes it. Reading returns
    // nullopt when the clipboard holds no text or its owner does not answer
    // within the backend's bound; it never blocks longer than that bound.
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual std::optional<std::string> ClipboardText() = 0;
    virtual Rect ScreenRect() const = 0;
    // The screen less panels and task bars.
    virtual Rect WorkArea() const = 0;
    virtual Point PointerPosition() const = 0;
    // The front-most shown top-level of ours whose shape holds the point
    // (click-through windows excluded); null when none.
    virtual WindowId TopLevelAt(Point screen) const = 0;
    // True when windows can be translucent (a compositor runs).
    virtual bool SupportsLayered() const = 0;

    // Tray icons, identified by owner and icon id. `icon` may be null (keeps
    // the previous picture, or none). False when there is no tray.
    virtual bool AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                             const std::string& tip) = 0;
    virtual bool ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                                const std::string& tip) = 0;
    virtual bool RemoveTrayIcon(WindowId owner, uint32_t iconId) = 0;

    // Delivers pending display events to the sink. When none is pending,
    // waits up to `timeoutMs` (negative: without limit) for one or for
    // Wake(); 0 only polls.
    virtual void WaitForEvents(int timeoutMs) = 0;

    // Ends a running WaitForEvents early. Any thread.
    virtual void Wake() = 0;
};

}  // namespace platform
