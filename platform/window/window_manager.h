// The window layer of the user interface: WindowManager.
//
// One WindowManager exists per process. It owns every window (as checked
// WindowIds), the message queue, the timers and the input rules, and it
// runs the message loops: the outer loop (Run), nested loops of modal
// windows (RunModal) and the pumps that waits on the user-interface thread
// use (installed into PumpMessages / PumpTimerPaintMessages). A backend
// realises the top-level windows on a display: HeadlessBackend in memory,
// WindowBackendX11 on an X server.
//
// Messages are taken in this order: posted messages, then input from the
// display, then a due hover, then due timers, then one paint per top-level
// whose area was invalidated. Input finds its window when it is taken, so
// a capture set while handling a press applies to the moves queued behind it.
//
// THREADING: the thread that creates the manager is the user-interface
// thread; every call must come from it except Post, PostCommand, PostQuit
// and IsAlive, which are safe on any thread. A UI-thread-only call made on
// another thread fails (false, null or kModalAborted) and is logged.
//
// Deletion: Destroy() ends a window at once (its id dies, its messages and
// timers go), but its node, and so its handler's kFinalRelease, waits until
// no message dispatch is running, so that a handler destroyed while it is
// on the stack (inside a nested loop) is never used after release.
// DeleteSoon() defers any other deletion the same way.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/pump.h"
#include "platform/window/input_router.h"
#include "platform/window/message_queue.h"
#include "platform/window/timer_queue.h"
#include "platform/window/window_backend.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_limits.h"
#include "platform/window/window_options.h"
#include "platform/window/window_tree.h"

namespace platform {

class Surface;

class WindowManager final : private BackendSink {
public:
    // Makes the manager of the calling (user-interface) thread on `backend`
    // and installs its pump into the foundation's pump hook. `clock` is
    // borrowed (nullptr: the process clock, CurrentClock()). Returns nullptr
    // when `backend` is null or another manager exists.
    static std::unique_ptr<WindowManager> Create(std::unique_ptr<WindowBackend> backend,
                                                 Clock* clock = nullptr);
    // The manager of the process, or nullptr. Any thread; the pointer is
    // valid until the manager is destroyed.
    static WindowManager* Current();

    // Destroys every remaining window and removes the pump hook.
    ~WindowManager() override;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    WindowBackend& Backend() { return *m_backend; }
    bool IsUiThread() const { return std::this_thread::get_id() == m_uiThread; }

    // --- Windows ---------------------------------------------------------
    // Creates a window (kCreate is sent, then it is shown when
    // options.visible). Null when the parent is dead, the table is full or
    // the display refuses the top-level.
    WindowId Create(const WindowOptions& options);
    // Destroys the window, the windows it owns and its children (kDestroy
    // to each, parents before children). False for a dead id.
    bool Destroy(WindowId id);
    bool IsAlive(WindowId id) const { return m_tree.IsAlive(id); }  // any thread
    // Called by a handler that goes away before the kFinalRelease of windows
    // it served (it destroyed them itself): those windows' nodes forget it,
    // so nothing reaches it afterwards. WindowHandler's destructor calls it.
    void ForgetHandler(const WindowHandler* handler);

    bool Show(WindowId id, bool visible);
    bool IsVisible(WindowId id) const;  // itself and all its parents
    bool Enable(WindowId id, bool enabled);
    bool IsEnabled(WindowId id) const;  // itself, its parents and its top-level
    // Child: parent client coordinates; top-level: screen.
    bool Move(WindowId id, const Rect& rect);
    std::optional<Rect> GetRect(WindowId id) const;
    std::optional<Rect> ScreenRect(WindowId id) const;
    // Between the window's client coordinates and the screen; nullopt for a dead id.
    std::optional<Point> ClientToScreen(WindowId id, Point client) const;
    std::optional<Point> ScreenToClient(WindowId id, Point screen) const;
    bool SetTitle(WindowId id, std::string_view title);
    std::string Title(WindowId id) const;
    std::string ClassName(WindowId id) const;
    uint32_t ControlId(WindowId id) const;
    WindowId Parent(WindowId id) const;  // children
    WindowId Owner(WindowId id) const;   // top-levels
    WindowId TopLevelOf(WindowId id) const { return m_tree.TopLevelOf(id); }
    std::vector<WindowId> Children(WindowId id) const;
    WindowId FindChild(WindowId parent, uint32_t controlId) const;
    // The first top-level with this class and title; an empty text matches any.
    WindowId FindTopLevel(std::string_view className, std::string_view title) const {
        return m_tree.FindTopLevel(className, title);
    }
    // The window's shape in its own coordinates (nullopt: its rectangle).
    // Restricts hits; a top-level is also cut to it on screen.
    bool SetRegion(WindowId id, std::optional<Region> region);
    std::optional<Region> GetRegion(WindowId id) const;  // nullopt: none, or a dead id
    bool SetOpacity(WindowId id, uint8_t opacity);       // top-levels
    bool SetTopmost(WindowId id, bool topmost);          // top-levels
    // Top-levels: to the front, and active unless a popup or click-through.
    bool Raise(WindowId id);
    // Minimises a top-level; the window gets kMinimize (once, until it is
    // shown again).
    bool Minimize(WindowId id);
    bool IsMinimized(WindowId id) const;
    WindowId ActiveTopLevel() const { return m_active; }
    bool SetCursor(WindowId id, CursorShape shape);
    // A cursor for every window (the wait cursor); nullopt restores theirs.
    void SetOverrideCursor(std::optional<CursorShape> shape);

    // --- Messages --------------------------------------------------------
    // Queues `msg` for `id`. Any thread. False (and nothing queued) when the
    // id is dead; a window destroyed before the message is taken drops it.
    bool Post(WindowId id, Message msg);
    bool PostCommand(WindowId id, uint32_t commandId, int64_t param = 0);
    // Lets `observer` (borrowed) see every later message of `id`, before
    // its handler; see MessageObserver. False for a dead id or a null
    // observer; adding one twice keeps one registration.
    bool AddMessageObserver(WindowId id, MessageObserver* observer);
    // Ends the registration; false when there was none (or the id is dead).
    bool RemoveMessageObserver(WindowId id, MessageObserver* observer);
    // Dispatches `msg` to `id` now and returns the handler's result; 0 for
    // a dead id. User-interface thread only.
    int64_t Send(WindowId id, Message msg);
    // Ends the message loops: the innermost running loop ends and every loop
    // around it ends too; Run() returns `exitCode`. Any thread.
    void PostQuit(int exitCode);

    // --- Loops -----------------------------------------------------------
    // Runs messages until a quit; returns its exit code.
    int Run();
    // Shows `id` (a top-level), disables its owner, and runs a nested loop
    // until EndModal(id, result), a quit (which then also ends the loops
    // around this one) or the window's destruction; re-enables the owner
    // and hides the window. Returns the result, or kModalAborted.
    int RunModal(WindowId id);
    bool EndModal(WindowId id, int result);
    // Runs a nested loop until `done` returns true (it is asked after every
    // message) or a quit, which then also ends the loops around this one.
    // Unlike RunModal it shows, disables and hides nothing: popup menus and
    // the common dialogs run their own windows inside it. True when `done`
    // ended it, false on a quit (also one already unwinding) or off the
    // user-interface thread.
    bool RunUntil(const std::function<bool()>& done);
    // Dispatches what is pending without waiting: everything (kAll), or only
    // due timers and then paints (kTimerAndPaint; other messages stay
    // queued). This is the pump installed for PumpMessages and
    // PumpTimerPaintMessages; tests call it to run what they queued.
    void PumpPending(PumpKind kind);
    // True once a quit was taken and the loops are unwinding.
    bool IsQuitting() const { return m_quitting; }

    // --- Timers ----------------------------------------------------------
    bool SetTimer(WindowId id, uint32_t timerId, uint32_t intervalMs);
    bool KillTimer(WindowId id, uint32_t timerId);

    // --- Painting --------------------------------------------------------
    // Marks an area of the window (its client coordinates; nullopt: all of
    // it) for a kPaint to its top-level.
    bool Invalidate(WindowId id, std::optional<Rect> area = std::nullopt);
    // Copies `area` of `surface` (the top-level's client coordinates) to the
    // screen; `id` may be any window of the top-level.
    bool Present(WindowId id, const Surface& surface, const Rect& area);

    // --- Input -----------------------------------------------------------
    bool SetCapture(WindowId id);
    void ReleaseCapture();
    WindowId Capture() const;
    // Arms a one-shot kMouseHover (after `hoverMs` at rest) and/or
    // kMouseLeave for the window under the pointer.
    bool TrackMouse(WindowId id, bool hover, bool leave, uint32_t hoverMs);
    bool SetFocus(WindowId id);  // null clears
    WindowId Focus() const;
    // Moves the focus to the next (or previous) Tab stop of the top-level.
    bool FocusNext(WindowId topLevel, bool backward);
    // The window at a screen point, as a click there would find it.
    WindowId WindowAt(Point screen) const;
    Point CursorPos() const { return m_backend->PointerPosition(); }
    // kModLeftButton, kModRightButton, kModMiddleButton: the buttons held
    // down, as the layer last saw them.
    uint32_t MouseButtonsDown() const { return m_input.ButtonsDown(); }

    // --- Screen and tray -------------------------------------------------
    void Bell() { m_backend->Bell(); }
    // The clipboard's text (UTF-8); see WindowBackend. Reading may wait for
    // another program, never longer than the backend's bound.
    bool SetClipboardText(const std::string& text);
    std::optional<std::string> ClipboardText();
    Rect ScreenArea() const { return m_backend->ScreenRect(); }
    Rect WorkArea() const { return m_backend->WorkArea(); }
    // False means "no layered windows": opacity and per-pixel alpha are not shown.
    bool SupportsLayered() const { return m_backend->SupportsLayered(); }
    // Tray icon events reach `owner` as kTray messages.
    bool AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon, const std::string& tip);
    bool ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                        const std::string& tip);
    bool RemoveTrayIcon(WindowId owner, uint32_t iconId);

    // --- Deferred deletion -----------------------------------------------
    // Runs `deleter` as soon as no message dispatch is running (at once when
    // none is).
    void DeleteSoon(std::function<void()> deleter);

private:
    WindowManager(std::unique_ptr<WindowBackend> backend, Clock* clock);

    uint64_t Now() const { return m_clock->NowMs(); }
    bool CheckUi(const char* what) const;
    void OnBackendEvent(const BackendEvent& event) override;
    void RouteInput(const BackendEvent& event);
    // Takes and dispatches one message; false when nothing was pending.
    bool ProcessOne(PumpKind kind);
    void RunLoop(const std::function<bool()>& done);
    void EndNestedLoop();
    int64_t Dispatch(const Message& msg);
    void NotifyObservers(const Message& msg);
    void DefaultHandling(const Message& msg);
    bool DialogKeys(const Message& msg);
    void DestroyTree(WindowId id);
    void FlushDeferred();
    void PostAll(const std::vector<Message>& messages);
    void SetActive(WindowId top);
    void UpdateCursor();
    int WaitTimeout() const;

    std::unique_ptr<WindowBackend> m_backend;
    Clock* m_clock;
    std::thread::id m_uiThread;
    WindowTree m_tree;
    MessageQueue m_queue;
    TimerQueue m_timers;
    InputRouter m_input;
    std::deque<BackendEvent> m_rawInput;  // pointer and keys not yet routed
    std::map<WindowId, Rect> m_dirty;     // per top-level, its client coordinates
    WindowId m_active;
    std::optional<CursorShape> m_overrideCursor;
    std::optional<CursorShape> m_shownCursor;
    WindowId m_cursorTop;

    int m_dispatchDepth = 0;
    int m_loopDepth = 0;
    bool m_quitting = false;
    int m_exitCode = 0;
    std::vector<std::unique_ptr<WindowNode>> m_graveyard;
    std::vector<std::unique_ptr<WindowNode>> m_releasing;  // being released now
    std::vector<std::function<void()>> m_deferred;
    bool m_flushing = false;
};

}  // namespace platform
