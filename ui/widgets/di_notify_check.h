// A timer window: DiNotifyCheck, a message-only window ("WND_TIMER_CLASS",
// "TIMER_WND") that turns each kTimer it gets into a call on its handler.
//
// Whoever wants the calls sets the handler and arms timers on Window()
// (WindowManager::SetTimer); every tick of any of its timers calls the
// handler once with this object. Without a window manager the object has no
// window and does nothing.
//
// Ownership: the object owns its window; the handler is borrowed and must
// outlive the object or be replaced (SetHandler(nullptr)) before it goes.
// THREADING: user-interface thread only.
#pragma once

#include <memory>

#include "platform/window/window_id.h"

namespace ui {

class DiNotifyCheck;
class TimerWindowHandler;

class DiNotifyHandler {
public:
    virtual ~DiNotifyHandler() = default;
    // One tick of a timer of `source`'s window.
    virtual void OnNotifyTimer(DiNotifyCheck& source) = 0;
};

class DiNotifyCheck {
public:
    DiNotifyCheck();
    ~DiNotifyCheck();
    DiNotifyCheck(const DiNotifyCheck&) = delete;
    DiNotifyCheck& operator=(const DiNotifyCheck&) = delete;

    void SetHandler(DiNotifyHandler* handler);
    DiNotifyHandler* Handler() const { return m_handler; }
    // The timer window; null when it could not be made.
    platform::WindowId Window() const;

private:
    friend class TimerWindowHandler;

    DiNotifyHandler* m_handler = nullptr;
    std::unique_ptr<TimerWindowHandler> m_window;
};

}  // namespace ui
