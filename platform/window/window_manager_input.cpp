// WindowManager: input routing, capture, focus, the clipboard, tray icons
// and deferred deletion.
#include "platform/window/window_manager.h"

#include <algorithm>

#include "platform/draw/surface.h"
#include "platform/window/window_log.h"

namespace platform {

// --- Input -----------------------------------------------------------------

void WindowManager::PostAll(const std::vector<Message>& messages) {
    for (const Message& m : messages) {
        m_queue.Push(m);
    }
}

void WindowManager::RouteInput(const BackendEvent& event) {
    uint64_t now = Now();
    std::vector<Message> out;
    if (event.kind == BackendEventKind::kKeyDown || event.kind == BackendEventKind::kKeyUp ||
        event.kind == BackendEventKind::kChar) {
        m_input.OnKey(event, m_active, now, out);
    } else {
        if (event.kind == BackendEventKind::kButtonDown) {
            const WindowNode* t = m_tree.Find(event.topLevel);
            if (t && !t->popup && t->visible && t->enabled && m_active != event.topLevel) {
                SetActive(event.topLevel);
            }
        }
        m_input.OnPointer(event, now, out);
        UpdateCursor();
    }
    for (const Message& m : out) {
        Dispatch(m);
    }
}

void WindowManager::OnBackendEvent(const BackendEvent& event) {
    uint64_t now = Now();
    std::vector<Message> out;
    switch (event.kind) {
        case BackendEventKind::kMouseMove:
        case BackendEventKind::kButtonDown:
        case BackendEventKind::kButtonUp:
        case BackendEventKind::kWheel:
        case BackendEventKind::kPointerLeft:
        case BackendEventKind::kKeyDown:
        case BackendEventKind::kKeyUp:
        case BackendEventKind::kChar:
            m_rawInput.push_back(event);
            break;
        case BackendEventKind::kCloseRequest:
            if (m_tree.Find(event.topLevel)) {
                Message m = Message::Close();
                m.target = event.topLevel;
                m.timeMs = now;
                out.push_back(m);
            }
            break;
        case BackendEventKind::kExpose:
            Invalidate(event.topLevel, event.rect);
            break;
        case BackendEventKind::kMoved:
            if (WindowNode* t = m_tree.Find(event.topLevel); t && !t->child) {
                if (t->rect != event.rect) {
                    t->rect = event.rect;
                    Message m;
                    m.kind = MessageKind::kMove;
                    m.target = t->id;
                    m.rect = event.rect;
                    m.timeMs = now;
                    out.push_back(m);
                }
            }
            break;
        case BackendEventKind::kActivated:
            // A popup that holds the keyboard (an open menu) gets the display's
            // focus, but never the activation: its owner stays the active window.
            if (const WindowNode* t = m_tree.Find(event.topLevel);
                t && !t->popup && !t->clickThrough) {
                SetActive(event.topLevel);
            }
            break;
        case BackendEventKind::kDeactivated:
            if (m_active == event.topLevel) {
                SetActive({});
            }
            break;
        case BackendEventKind::kTray:
            if (m_tree.Find(event.topLevel)) {
                Message m;
                m.kind = MessageKind::kTray;
                m.target = event.topLevel;
                m.code = static_cast<uint32_t>(event.trayAction);
                m.param = event.trayIconId;
                m.point = event.screen;
                m.timeMs = now;
                out.push_back(m);
            }
            break;
    }
    PostAll(out);
}

bool WindowManager::SetCapture(WindowId id) {
    if (!CheckUi("SetCapture") || !m_tree.Find(id)) {
        return false;
    }
    WindowId old = m_input.Capture();
    if (old == id) {
        return true;
    }
    m_input.SetCapture(id);
    m_backend->GrabPointer(m_tree.TopLevelOf(id));
    if (m_tree.Find(old)) {
        Message lost;
        lost.kind = MessageKind::kCaptureLost;
        Send(old, lost);
    }
    return true;
}

void WindowManager::ReleaseCapture() {
    if (!CheckUi("ReleaseCapture")) {
        return;
    }
    WindowId old = m_input.Capture();
    if (!old) {
        return;
    }
    m_input.SetCapture({});
    m_backend->UngrabPointer();
    if (m_tree.Find(old)) {
        Message lost;
        lost.kind = MessageKind::kCaptureLost;
        Send(old, lost);
    }
}

WindowId WindowManager::Capture() const {
    return IsUiThread() ? m_input.Capture() : WindowId{};
}

bool WindowManager::TrackMouse(WindowId id, bool hover, bool leave, uint32_t hoverMs) {
    if (!CheckUi("TrackMouse") || !m_tree.Find(id)) {
        return false;
    }
    std::vector<Message> out;
    m_input.Track(id, hover, leave, hoverMs, Now(), out);
    PostAll(out);
    return true;
}

bool WindowManager::SetFocus(WindowId id) {
    if (!CheckUi("SetFocus")) {
        return false;
    }
    if (id && !m_tree.Find(id)) {
        return false;
    }
    WindowId old = m_input.Focus();
    if (old == id) {
        return true;
    }
    m_input.SetFocus(id);
    if (m_tree.Find(old)) {
        Message out;
        out.kind = MessageKind::kFocusOut;
        Send(old, out);
    }
    if (m_tree.Find(id) && m_input.Focus() == id) {
        Message in;
        in.kind = MessageKind::kFocusIn;
        Send(id, in);
    }
    return true;
}

WindowId WindowManager::Focus() const {
    return IsUiThread() && m_tree.Find(m_input.Focus()) ? m_input.Focus() : WindowId{};
}

bool WindowManager::FocusNext(WindowId topLevel, bool backward) {
    if (!CheckUi("FocusNext")) {
        return false;
    }
    std::vector<WindowId> stops = m_tree.TabStops(topLevel);
    if (stops.empty()) {
        return false;
    }
    auto it = std::find(stops.begin(), stops.end(), m_input.Focus());
    size_t n = stops.size();
    size_t next = 0;
    if (it == stops.end()) {
        next = backward ? n - 1 : 0;
    } else {
        size_t at = static_cast<size_t>(it - stops.begin());
        next = backward ? (at + n - 1) % n : (at + 1) % n;
    }
    return SetFocus(stops[next]);
}

WindowId WindowManager::WindowAt(Point screen) const {
    if (!IsUiThread()) {
        return {};
    }
    WindowId top = m_backend->TopLevelAt(screen);
    const WindowNode* t = m_tree.Find(top);
    if (!t) {
        return {};
    }
    return m_tree.HitTest(top, {screen.x - t->rect.left, screen.y - t->rect.top});
}

// --- Clipboard, tray and deferred deletion ----------------------------------

bool WindowManager::SetClipboardText(const std::string& text) {
    if (!CheckUi("SetClipboardText")) {
        return false;
    }
    m_backend->SetClipboardText(text);
    return true;
}

std::optional<std::string> WindowManager::ClipboardText() {
    if (!CheckUi("ClipboardText")) {
        return std::nullopt;
    }
    return m_backend->ClipboardText();
}

bool WindowManager::AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                                const std::string& tip) {
    if (!CheckUi("AddTrayIcon") || !m_tree.Find(owner)) {
        return false;
    }
    return m_backend->AddTrayIcon(m_tree.TopLevelOf(owner), iconId, icon, tip);
}

bool WindowManager::ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                                   const std::string& tip) {
    if (!CheckUi("ModifyTrayIcon") || !m_tree.Find(owner)) {
        return false;
    }
    return m_backend->ModifyTrayIcon(m_tree.TopLevelOf(owner), iconId, icon, tip);
}

bool WindowManager::RemoveTrayIcon(WindowId owner, uint32_t iconId) {
    if (!CheckUi("RemoveTrayIcon") || !m_tree.Find(owner)) {
        return false;
    }
    return m_backend->RemoveTrayIcon(m_tree.TopLevelOf(owner), iconId);
}

void WindowManager::DeleteSoon(std::function<void()> deleter) {
    if (!CheckUi("DeleteSoon") || !deleter) {
        return;
    }
    m_deferred.push_back(std::move(deleter));
    if (m_dispatchDepth == 0) {
        FlushDeferred();
    }
}

void WindowManager::ForgetHandler(const WindowHandler* handler) {
    if (!IsUiThread()) {
        return;
    }
    for (auto* nodes : {&m_graveyard, &m_releasing}) {
        for (auto& node : *nodes) {
            if (node && node->handler == handler) {
                node->handler = nullptr;
            }
        }
    }
}

void WindowManager::FlushDeferred() {
    if (m_flushing) {
        return;
    }
    m_flushing = true;
    while (!m_graveyard.empty() || !m_deferred.empty()) {
        m_releasing.swap(m_graveyard);
        // By index: a handler released here may forget itself in the nodes
        // still waiting.
        for (size_t i = 0; i < m_releasing.size(); ++i) {
            WindowNode* node = m_releasing[i].get();
            if (node->handler) {
                Message release;
                release.kind = MessageKind::kFinalRelease;
                release.target = node->id;
                release.timeMs = Now();
                node->handler->OnMessage(node->id, release);
            }
        }
        m_releasing.clear();
        std::vector<std::function<void()>> deferred;
        deferred.swap(m_deferred);
        for (auto& d : deferred) {
            d();
        }
    }
    m_flushing = false;
}

}  // namespace platform
