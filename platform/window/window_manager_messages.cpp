// WindowManager: messages, message loops and timers.
#include "platform/window/window_manager.h"

#include <algorithm>

#include "platform/draw/surface.h"
#include "platform/window/window_log.h"

namespace platform {

// --- Messages --------------------------------------------------------------

bool WindowManager::Post(WindowId id, Message msg) {
    if (!m_tree.IsAlive(id)) {
        return false;
    }
    msg.target = id;
    if (msg.kind == MessageKind::kQuit || msg.kind == MessageKind::kNone) {
        return false;
    }
    m_queue.Push(msg);
    return true;
}

bool WindowManager::PostCommand(WindowId id, uint32_t commandId, int64_t param) {
    return Post(id, Message::Command(commandId, param));
}

int64_t WindowManager::Send(WindowId id, Message msg) {
    if (!CheckUi("Send") || !m_tree.Find(id)) {
        return 0;
    }
    msg.target = id;
    if (msg.timeMs == 0) {
        msg.timeMs = Now();
    }
    return Dispatch(msg);
}

void WindowManager::PostQuit(int exitCode) {
    Message quit;
    quit.kind = MessageKind::kQuit;
    quit.param = exitCode;
    m_queue.Push(quit);
}

int64_t WindowManager::Dispatch(const Message& msg) {
    WindowNode* node = m_tree.Find(msg.target);
    if (!node) {
        return 0;
    }
    ++m_dispatchDepth;
    if (!node->observers.empty()) {
        NotifyObservers(msg);
    }
    int64_t result = 0;
    bool consumed = false;
    if (IsInputMessage(msg.kind)) {
        // Innermost window first, up to its top-level. Nodes stay valid
        // during the dispatch even when a handler destroys them (their
        // release waits in the graveyard).
        for (WindowNode* n = node; n && !consumed;
             n = n->child ? m_tree.Find(n->parent) : nullptr) {
            if (n->handler) {
                consumed = n->handler->PreTranslate(n->id, msg);
            }
        }
        if (!consumed) {
            consumed = DialogKeys(msg);
        }
    }
    if (!consumed) {
        result =
            node->handler ? node->handler->OnMessage(msg.target, msg) : WindowHandler::kDefault;
        if (result == WindowHandler::kDefault) {
            result = 0;
            DefaultHandling(msg);
        }
    }
    --m_dispatchDepth;
    return result;
}

// Observers may remove themselves (or others) while they are told; each is
// told only while it is still registered. The node itself stays valid for
// the whole dispatch.
void WindowManager::NotifyObservers(const Message& msg) {
    std::vector<MessageObserver*> observers = m_tree.Find(msg.target)->observers;
    for (MessageObserver* o : observers) {
        const WindowNode* node = m_tree.Find(msg.target);
        if (node &&
            std::find(node->observers.begin(), node->observers.end(), o) != node->observers.end()) {
            o->OnObservedMessage(msg.target, msg);
        }
    }
}

bool WindowManager::AddMessageObserver(WindowId id, MessageObserver* observer) {
    if (!CheckUi("AddMessageObserver")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || !observer || node->destroying) {
        return false;
    }
    if (std::find(node->observers.begin(), node->observers.end(), observer) ==
        node->observers.end()) {
        node->observers.push_back(observer);
    }
    return true;
}

bool WindowManager::RemoveMessageObserver(WindowId id, MessageObserver* observer) {
    if (!CheckUi("RemoveMessageObserver")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    return node && std::erase(node->observers, observer) > 0;
}

// Dialog navigation for top-levels made with dialogKeys: Tab and Shift+Tab
// walk the Tab stops, Enter and Escape become kCommandOk and kCommandCancel.
bool WindowManager::DialogKeys(const Message& msg) {
    if (msg.kind != MessageKind::kKeyDown) {
        return false;
    }
    WindowId top = m_tree.TopLevelOf(msg.target);
    const WindowNode* t = m_tree.Find(top);
    if (!t || !t->dialogKeys) {
        return false;
    }
    switch (msg.key) {
        case Key::kTab:
            FocusNext(top, (msg.modifiers & kModShift) != 0);
            return true;
        case Key::kReturn:
            Send(top, Message::Command(kCommandOk));
            return true;
        case Key::kEscape:
            Send(top, Message::Command(kCommandCancel));
            return true;
        default:
            return false;
    }
}

void WindowManager::DefaultHandling(const Message& msg) {
    WindowNode* node = m_tree.Find(msg.target);
    if (!node) {
        return;
    }
    if (msg.kind == MessageKind::kClose) {
        if (node->modal) {
            EndModal(msg.target, static_cast<int>(kCommandCancel));
        } else {
            Destroy(msg.target);
        }
    } else if (msg.kind == MessageKind::kCommand && node->modal &&
               (msg.code == kCommandOk || msg.code == kCommandCancel)) {
        EndModal(msg.target, static_cast<int>(msg.code));
    }
}

// --- Loops -----------------------------------------------------------------

bool WindowManager::ProcessOne(PumpKind kind) {
    uint64_t now = Now();
    if (kind == PumpKind::kAll) {
        if (std::optional<Message> msg = m_queue.Pop()) {
            if (msg->kind == MessageKind::kQuit) {
                m_quitting = true;
                m_exitCode = static_cast<int>(msg->param);
            } else {
                Dispatch(*msg);
            }
            return true;
        }
        if (m_rawInput.empty()) {
            // Display input goes before timers, so a busy timer cannot starve it.
            m_backend->WaitForEvents(0);
        }
        if (!m_rawInput.empty()) {
            BackendEvent event = m_rawInput.front();
            m_rawInput.pop_front();
            RouteInput(event);
            return true;
        }
        if (std::optional<Message> hover = m_input.TakeHover(now)) {
            Dispatch(*hover);
            return true;
        }
    }
    if (std::optional<TimerQueue::Fired> fired = m_timers.TakeDue(now)) {
        Message m;
        m.kind = MessageKind::kTimer;
        m.target = fired->window;
        m.code = fired->timerId;
        m.timeMs = now;
        Dispatch(m);
        return true;
    }
    for (auto it = m_dirty.begin(); it != m_dirty.end(); ++it) {
        WindowId top = it->first;
        if (!m_tree.IsShown(top)) {
            continue;
        }
        Message m;
        m.kind = MessageKind::kPaint;
        m.target = top;
        m.rect = it->second;
        m.timeMs = now;
        m_dirty.erase(it);
        Dispatch(m);
        return true;
    }
    return false;
}

void WindowManager::PumpPending(PumpKind kind) {
    if (!IsUiThread()) {
        return;
    }
    m_backend->WaitForEvents(0);
    while (!m_quitting && ProcessOne(kind)) {
    }
    if (m_dispatchDepth == 0) {
        FlushDeferred();
    }
}

int WindowManager::WaitTimeout() const {
    std::optional<uint64_t> next = m_timers.NextDue();
    if (std::optional<uint64_t> hover = m_input.HoverDue()) {
        next = next ? std::min(*next, *hover) : *hover;
    }
    if (!next) {
        return -1;
    }
    uint64_t now = Now();
    if (*next <= now) {
        return 0;
    }
    return static_cast<int>(std::min<uint64_t>(*next - now, 1u << 30));
}

void WindowManager::RunLoop(const std::function<bool()>& done) {
    ++m_loopDepth;
    while (!m_quitting && !done()) {
        if (ProcessOne(PumpKind::kAll)) {
            if (m_dispatchDepth == 0) {
                FlushDeferred();
            }
            continue;
        }
        if (m_dispatchDepth == 0) {
            FlushDeferred();
        }
        if (m_quitting || done()) {
            break;
        }
        m_backend->WaitForEvents(WaitTimeout());
    }
    --m_loopDepth;
}

int WindowManager::Run() {
    if (!CheckUi("Run")) {
        return kModalAborted;
    }
    RunLoop([] { return false; });
    int code = m_exitCode;
    // The quit has unwound every loop once the outermost one returns.
    if (m_loopDepth == 0) {
        m_quitting = false;
        m_exitCode = 0;
    }
    return code;
}

int WindowManager::RunModal(WindowId id) {
    if (!CheckUi("RunModal")) {
        return kModalAborted;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->child || node->modal || m_quitting) {
        return kModalAborted;
    }
    node->modal = true;
    node->modalEnded = false;
    node->modalResult = 0;
    WindowId owner = m_tree.TopLevelOf(node->owner);
    WindowNode* ownerNode = m_tree.Find(owner);
    bool disabledOwner = false;
    if (ownerNode && ownerNode->enabled) {
        Enable(owner, false);
        disabledOwner = true;
    }
    Show(id, true);
    Raise(id);
    RunLoop([this, id] {
        const WindowNode* n = m_tree.Find(id);
        return !n || n->modalEnded;
    });
    int result = kModalAborted;
    if (WindowNode* n = m_tree.Find(id)) {
        if (n->modalEnded) {
            result = n->modalResult;
        }
        n->modal = false;
        n->modalEnded = false;
        Show(id, false);
    }
    if (disabledOwner && m_tree.Find(owner)) {
        Enable(owner, true);
        if (m_tree.IsShown(owner)) {
            Raise(owner);
        }
    }
    EndNestedLoop();
    return result;
}

bool WindowManager::RunUntil(const std::function<bool()>& done) {
    if (!CheckUi("RunUntil") || !done || m_quitting) {
        return false;
    }
    RunLoop(done);
    bool ended = !m_quitting;
    EndNestedLoop();
    return ended;
}

void WindowManager::EndNestedLoop() {
    if (m_loopDepth == 0 && m_quitting) {
        // A quit that ended an outermost nested loop has nothing left to end.
        m_quitting = false;
    }
}

bool WindowManager::EndModal(WindowId id, int result) {
    if (!CheckUi("EndModal")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || !node->modal) {
        return false;
    }
    node->modalEnded = true;
    node->modalResult = result;
    return true;
}

// --- Timers ----------------------------------------------------------------

bool WindowManager::SetTimer(WindowId id, uint32_t timerId, uint32_t intervalMs) {
    if (!CheckUi("SetTimer") || !m_tree.Find(id)) {
        return false;
    }
    m_timers.Set(id, timerId, intervalMs, Now());
    return true;
}

bool WindowManager::KillTimer(WindowId id, uint32_t timerId) {
    if (!CheckUi("KillTimer")) {
        return false;
    }
    return m_timers.Kill(id, timerId);
}

}  // namespace platform
