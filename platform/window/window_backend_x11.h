// The window layer's backend on an X server (Xlib).
//
// Every top-level is an undecorated X window; popups (menus, tooltips) are
// override-redirect windows. Shapes go through XShape, click-through windows
// get an empty input shape, and windows that want per-pixel alpha get a
// 32-bit ARGB visual when a compositing manager runs; without one the
// backend reports "no layered windows" and such windows are opaque. Tray
// icons dock into the system tray by the XEmbed tray protocol, and dock again
// when a tray (re)starts. The clipboard is the CLIPBOARD selection
// (ClipboardX11). Pixels go to the screen with XPutImage from the
// presented surface. X errors outside a trap are logged, never fatal.
//
// THREADING: user-interface thread only, except Wake(), which writes to a
// pipe that WaitForEvents polls together with the X connection.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window/clipboard_x11.h"
#include "platform/window/window_backend.h"

struct _XDisplay;
union _XEvent;
struct _XGC;

namespace platform {

using XWindowId = unsigned long;

class WindowBackendX11 final : public WindowBackend {
public:
    // Connects to `displayName` (empty: the DISPLAY variable). nullptr when
    // the display cannot be opened or lacks the shape extension.
    static std::unique_ptr<WindowBackendX11> Create(const std::string& displayName = "");
    ~WindowBackendX11() override;
    WindowBackendX11(const WindowBackendX11&) = delete;
    WindowBackendX11& operator=(const WindowBackendX11&) = delete;

    _XDisplay* display() const { return m_display; }
    // The X window of a top-level, or of a docked tray icon; 0 when none.
    XWindowId NativeWindow(WindowId id) const;
    XWindowId TrayIconWindow(WindowId owner, uint32_t iconId) const;
    ClipboardX11& Clipboard() { return *m_clipboard; }

    // --- WindowBackend ------------------------------------------------------
    void SetSink(BackendSink* sink) override { m_sink = sink; }
    bool CreateTopLevel(const TopLevelSpec& spec) override;
    void DestroyTopLevel(WindowId id) override;
    void SetVisible(WindowId id, bool visible) override;
    void SetGeometry(WindowId id, const Rect& rect) override;
    void SetTitle(WindowId id, const std::string& title) override;
    void SetTopmost(WindowId id, bool topmost) override;
    void SetShape(WindowId id, const std::optional<Region>& shape) override;
    void SetOpacity(WindowId id, uint8_t opacity) override;
    void Raise(WindowId id) override;
    void Minimize(WindowId id) override;
    void Present(WindowId id, const Surface& surface, const Rect& area) override;
    void SetCursor(WindowId id, CursorShape shape) override;
    void GrabPointer(WindowId id) override;
    void UngrabPointer() override;
    void Bell() override;
    void SetClipboardText(const std::string& text) override;
    std::optional<std::string> ClipboardText() override;
    Rect ScreenRect() const override;
    Rect WorkArea() const override;
    Point PointerPosition() const override;
    WindowId TopLevelAt(Point screen) const override;
    bool SupportsLayered() const override { return m_layered; }
    bool AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                     const std::string& tip) override;
    bool ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                        const std::string& tip) override;
    bool RemoveTrayIcon(WindowId owner, uint32_t iconId) override;
    void WaitForEvents(int timeoutMs) override;
    void Wake() override;

private:
    struct TopLevel {
        WindowId id;
        XWindowId window = 0;
        _XGC* gc = nullptr;
        int depth = 24;
        Rect rect;
        bool mapped = false;
        bool popup = false;
        bool clickThrough = false;
        std::optional<Region> shape;
    };
    struct TrayIcon {
        WindowId owner;
        uint32_t iconId = 0;
        XWindowId window = 0;  // 0 while no tray holds it
        _XGC* gc = nullptr;
        std::string tip;
        std::vector<uint32_t> pixels;  // premultiplied ARGB, kTrayIconSide squared
        unsigned long lastLeftPressMs = 0;
        bool havePress = false;
    };
    struct Atoms;

    WindowBackendX11(_XDisplay* display, int wakeRead, int wakeWrite);
    void Init();
    void HandleEvent(_XEvent& event);
    void HandleTrayEvent(TrayIcon& icon, _XEvent& event);
    void Emit(const BackendEvent& event);
    TopLevel* FindTop(WindowId id);
    const TopLevel* FindTop(WindowId id) const;
    TopLevel* FindByWindow(XWindowId window);
    TrayIcon* FindTray(WindowId owner, uint32_t iconId);
    TrayIcon* FindTrayByWindow(XWindowId window);
    void SetNetState(const TopLevel& top, unsigned long atom, bool on);
    bool PutPixels(XWindowId window, _XGC* gc, int depth, const uint32_t* pixels, int width,
                   int height, int strideBytes, const Rect& area);
    void PaintTrayIcon(const TrayIcon& icon);
    bool DockTrayIcon(TrayIcon& icon);
    void SetTrayTip(const TrayIcon& icon);
    void SetTrayPicture(TrayIcon& icon, const Surface* picture);

    _XDisplay* m_display;
    int m_screen = 0;
    XWindowId m_root = 0;
    int m_wakeRead;
    int m_wakeWrite;
    BackendSink* m_sink = nullptr;
    std::unique_ptr<Atoms> m_atoms;
    void* m_argbVisual = nullptr;  // Visual*
    unsigned long m_argbColormap = 0;
    bool m_layered = false;
    std::map<uint64_t, TopLevel> m_tops;  // by WindowId value
    std::vector<TrayIcon> m_tray;
    std::map<CursorShape, unsigned long> m_cursors;
    std::unique_ptr<ClipboardX11> m_clipboard;
    // Server time of the last key or button event: the time of a copy or paste.
    unsigned long m_lastEventTime = 0;
    bool m_grabbed = false;
    bool m_keyboardGrabbed = false;
};

}  // namespace platform
