// A soft drop shadow for a borderless window: CWndShadow.
//
// The shadow is a window of its own ("OrvikShadowWnd"): click-through,
// with per-pixel alpha, owned by the parent (so it ends with it), a little
// larger than the parent and offset from it. Its picture comes from
// MakeShadow (shadow_maker.h) and follows the parent's shape. The shadow
// follows the parent by watching its messages (a message observer): moves
// move it, a show, a hide or a minimise shows or hides it, and a change of
// size draws it again (at once when the parent shrinks, at the parent's next
// paint when it grows; a plain move never redraws).
//
// Without layered windows (no compositing manager) nothing is made: an
// opaque shadow would be a dark frame. Initialize() must have been called
// once in the process before Create does anything.
//
// Ownership: the object owns the shadow window and removes it when it goes;
// the parent is only watched.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>

#include "platform/window/window_handler.h"
#include "platform/window/window_id.h"
#include "ui/widgets/shadow_maker.h"

namespace ui {

class ShadowView;

class CWndShadow final : private platform::MessageObserver {
public:
    explicit CWndShadow(ShadowParams params = {});
    ~CWndShadow() override;
    CWndShadow(const CWndShadow&) = delete;
    CWndShadow& operator=(const CWndShadow&) = delete;

    // Once per process, before the first Create: true the first time, false
    // (and nothing done) after.
    static bool Initialize();
    static void ResetInitializationForTest();

    // Gives `parent` (a top-level) this shadow, shown when the parent is
    // visible and not minimised. Nothing when not initialised, without
    // layered windows (logged), for a dead parent, or when the object has a
    // shadow already.
    void Create(platform::WindowId parent);
    // Show or hide the shadow window, whatever the parent does.
    void Show();
    void Hide();
    // Hides the shadow window and minimises it.
    void Close();

    // The shadow window (null when none) and how often its picture was made.
    platform::WindowId Window() const;
    int RenderCount() const { return m_renders; }

private:
    void OnObservedMessage(platform::WindowId window, const platform::Message& msg) override;
    // Shows or hides the shadow as the parent's state asks.
    void ShowShadow();
    // Makes the picture for the parent's current shape and places the window.
    void Update();
    void Move();
    bool Alive() const;

    ShadowParams m_params;
    platform::WindowId m_parent;
    platform::WindowId m_window;
    ShadowView* m_view = nullptr;  // the window's handler; it ends with the window
    bool m_enabled = false;
    bool m_shown = false;
    bool m_updatePending = false;
    platform::Size m_lastSize;
    int m_renders = 0;
};

}  // namespace ui
