#include "ui/widgets/di_notify_check.h"

#include "platform/controls/release_after_windows.h"
#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"

namespace ui {

// The window's handler; it outlives its window (see ReleaseAfterWindows)
// and forgets its object when the object goes.
class TimerWindowHandler final : public platform::WindowHandler {
public:
    TimerWindowHandler(platform::WindowManager& wm, DiNotifyCheck* owner)
        : m_wm(wm), m_owner(owner) {
        platform::WindowOptions o;
        o.className = "WND_TIMER_CLASS";
        o.title = "TIMER_WND";
        o.messageOnly = true;
        o.handler = this;
        m_window = wm.Create(o);
        if (!m_window) {
            platform::WindowLog("the timer window could not be made");
        }
    }

    void Detach() {
        m_owner = nullptr;
        if (platform::WindowManager::Current() == &m_wm && m_wm.IsAlive(m_window)) {
            m_wm.Destroy(m_window);
        }
    }

    int64_t OnMessage(platform::WindowId, const platform::Message& msg) override {
        if (msg.kind == platform::MessageKind::kTimer && m_owner && m_owner->m_handler) {
            m_owner->m_handler->OnNotifyTimer(*m_owner);
        }
        return kDefault;
    }

    platform::WindowId Window() const {
        return m_wm.IsAlive(m_window) ? m_window : platform::WindowId{};
    }
    platform::WindowManager& Wm() const { return m_wm; }

private:
    platform::WindowManager& m_wm;
    DiNotifyCheck* m_owner;
    platform::WindowId m_window;
};

DiNotifyCheck::DiNotifyCheck() {
    if (platform::WindowManager* wm = platform::WindowManager::Current()) {
        m_window = std::make_unique<TimerWindowHandler>(*wm, this);
    }
}

DiNotifyCheck::~DiNotifyCheck() {
    if (m_window) {
        m_window->Detach();
        platform::WindowManager* wm = &m_window->Wm();
        platform::ReleaseAfterWindows(wm, std::move(m_window));
    }
}

void DiNotifyCheck::SetHandler(DiNotifyHandler* handler) {
    m_handler = handler;
}

platform::WindowId DiNotifyCheck::Window() const {
    return m_window ? m_window->Window() : platform::WindowId{};
}

}  // namespace ui
