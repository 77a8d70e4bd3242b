// A display in memory: the backend the window layer's tests run on.
//
// Top-levels are records with a stacking order and a presented surface (what
// the screen would show). Tests inject pointer, keyboard, close and tray
// input at screen points; the events reach the window manager the next time
// it polls or waits, exactly as a display's events would. When a loop would
// wait, the idle handler (if set) runs instead, so that a test can step its
// fake clock or inject the next input; without one the wait is real (posts
// from other threads end it).
// THREADING: user-interface thread only, except Wake().
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/surface.h"
#include "platform/window/window_backend.h"

namespace platform {

class HeadlessBackend final : public WindowBackend {
public:
    struct TopLevelState {
        TopLevelSpec spec;
        bool visible = false;
        bool minimized = false;
        std::optional<Region> shape;
        uint8_t opacity = 255;
        CursorShape cursor = CursorShape::kArrow;
        std::unique_ptr<Surface> presented;  // the window's size; null while empty
        int presentCount = 0;
    };
    struct TrayIcon {
        WindowId owner;
        uint32_t iconId = 0;
        std::string tip;
        std::unique_ptr<Surface> picture;  // a copy of the last picture given; null: none yet
    };

    explicit HeadlessBackend(Rect screen = {0, 0, 1920, 1080});
    HeadlessBackend(Rect screen, Rect workArea);
    ~HeadlessBackend() override = default;

    // --- Test input (delivered at the manager's next poll or wait) -------
    void MoveMouse(Point screen);
    void PressButton(MouseButton button, Point screen);
    void ReleaseButton(MouseButton button, Point screen);
    // Press and release at one point.
    void Click(MouseButton button, Point screen);
    void Wheel(Point screen, int steps);
    // `codePoint`: the character the key stands for (a chord's letter).
    void PressKey(Key key, uint32_t modifiers = 0, uint32_t codePoint = 0);
    void ReleaseKey(Key key, uint32_t modifiers = 0, uint32_t codePoint = 0);
    void TypeChar(uint32_t codePoint);
    void RequestClose(WindowId topLevel);
    void Expose(WindowId topLevel, const Rect& area);
    void TrayInput(WindowId owner, uint32_t iconId, TrayAction action, Point screen = {});

    // Runs instead of a blocking wait; gets the wait's time-out (negative:
    // none). Borrowed callbacks stay until replaced.
    void SetIdleHandler(std::function<void(int timeoutMs)> handler);
    void SetLayeredSupport(bool supported) { m_layered = supported; }
    // Without a tray (no notification area runs) adding an icon fails; the
    // icons already added stay.
    void SetTrayAvailable(bool available) { m_trayAvailable = available; }
    // Makes CreateTopLevel fail, as a display out of resources would.
    void SetRefuseTopLevels(bool refuse) { m_refuseTopLevels = refuse; }

    // --- What the screen shows --------------------------------------------
    const TopLevelState* State(WindowId id) const;
    // Shown top-levels from the back to the front.
    std::vector<WindowId> StackingOrder() const;
    WindowId GrabWindow() const { return m_grab; }
    int BellCount() const { return m_bells; }
    const TrayIcon* Tray(WindowId owner, uint32_t iconId) const;

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
    void GrabPointer(WindowId id) override { m_grab = id; }
    void UngrabPointer() override { m_grab = {}; }
    void Bell() override { ++m_bells; }
    // The clipboard lives in memory; another program's text is what a test
    // puts there with SetClipboardText.
    void SetClipboardText(const std::string& text) override { m_clipboard = text; }
    std::optional<std::string> ClipboardText() override { return m_clipboard; }
    Rect ScreenRect() const override { return m_screen; }
    Rect WorkArea() const override { return m_workArea; }
    Point PointerPosition() const override { return m_pointer; }
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
    void QueuePointer(BackendEventKind kind, MouseButton button, Point screen, int steps);
    bool DeliverPending();

    Rect m_screen;
    Rect m_workArea;
    BackendSink* m_sink = nullptr;
    std::map<WindowId, TopLevelState> m_windows;
    std::vector<WindowId> m_stack;  // back to front
    std::deque<BackendEvent> m_pending;
    std::vector<TrayIcon> m_tray;
    std::function<void(int)> m_idle;
    Point m_pointer;
    WindowId m_grab;
    int m_bells = 0;
    std::optional<std::string> m_clipboard;
    bool m_layered = true;
    bool m_trayAvailable = true;
    bool m_refuseTopLevels = false;

    std::mutex m_wakeLock;
    std::condition_variable m_wakeCv;
    bool m_woken = false;
};

}  // namespace platform
