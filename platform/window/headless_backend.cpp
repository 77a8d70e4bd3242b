#include "platform/window/headless_backend.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/draw/painter.h"

namespace platform {

HeadlessBackend::HeadlessBackend(Rect screen) : HeadlessBackend(screen, screen) {}

HeadlessBackend::HeadlessBackend(Rect screen, Rect workArea)
    : m_screen(screen), m_workArea(workArea) {}

// --- Test input ------------------------------------------------------------

void HeadlessBackend::QueuePointer(BackendEventKind kind, MouseButton button, Point screen,
                                   int steps) {
    BackendEvent e;
    e.kind = kind;
    e.button = button;
    e.screen = screen;
    e.wheelSteps = steps;
    m_pending.push_back(e);
}

void HeadlessBackend::MoveMouse(Point screen) {
    QueuePointer(BackendEventKind::kMouseMove, MouseButton::kNone, screen, 0);
}

void HeadlessBackend::PressButton(MouseButton button, Point screen) {
    QueuePointer(BackendEventKind::kButtonDown, button, screen, 0);
}

void HeadlessBackend::ReleaseButton(MouseButton button, Point screen) {
    QueuePointer(BackendEventKind::kButtonUp, button, screen, 0);
}

void HeadlessBackend::Click(MouseButton button, Point screen) {
    PressButton(button, screen);
    ReleaseButton(button, screen);
}

void HeadlessBackend::Wheel(Point screen, int steps) {
    QueuePointer(BackendEventKind::kWheel, MouseButton::kNone, screen, steps);
}

void HeadlessBackend::PressKey(Key key, uint32_t modifiers, uint32_t codePoint) {
    BackendEvent e;
    e.kind = BackendEventKind::kKeyDown;
    e.key = key;
    e.modifiers = modifiers;
    e.codePoint = codePoint;
    m_pending.push_back(e);
}

void HeadlessBackend::ReleaseKey(Key key, uint32_t modifiers, uint32_t codePoint) {
    BackendEvent e;
    e.kind = BackendEventKind::kKeyUp;
    e.key = key;
    e.modifiers = modifiers;
    e.codePoint = codePoint;
    m_pending.push_back(e);
}

void HeadlessBackend::TypeChar(uint32_t codePoint) {
    BackendEvent e;
    e.kind = BackendEventKind::kChar;
    e.codePoint = codePoint;
    m_pending.push_back(e);
}

void HeadlessBackend::RequestClose(WindowId topLevel) {
    BackendEvent e;
    e.kind = BackendEventKind::kCloseRequest;
    e.topLevel = topLevel;
    m_pending.push_back(e);
}

void HeadlessBackend::Expose(WindowId topLevel, const Rect& area) {
    BackendEvent e;
    e.kind = BackendEventKind::kExpose;
    e.topLevel = topLevel;
    e.rect = area;
    m_pending.push_back(e);
}

void HeadlessBackend::TrayInput(WindowId owner, uint32_t iconId, TrayAction action, Point screen) {
    BackendEvent e;
    e.kind = BackendEventKind::kTray;
    e.topLevel = owner;
    e.trayIconId = iconId;
    e.trayAction = action;
    e.screen = screen;
    m_pending.push_back(e);
}

void HeadlessBackend::SetIdleHandler(std::function<void(int timeoutMs)> handler) {
    m_idle = std::move(handler);
}

// Pointer events find their top-level when they are delivered, as a display
// would: the grabbing window, else the front-most window under the point.
bool HeadlessBackend::DeliverPending() {
    bool any = false;
    while (!m_pending.empty()) {
        BackendEvent e = m_pending.front();
        m_pending.pop_front();
        switch (e.kind) {
            case BackendEventKind::kMouseMove:
            case BackendEventKind::kButtonDown:
            case BackendEventKind::kButtonUp:
            case BackendEventKind::kWheel:
                m_pointer = e.screen;
                e.topLevel = m_grab ? m_grab : TopLevelAt(e.screen);
                break;
            default:
                break;
        }
        any = true;
        if (m_sink) {
            m_sink->OnBackendEvent(e);
        }
    }
    return any;
}

void HeadlessBackend::WaitForEvents(int timeoutMs) {
    if (DeliverPending() || timeoutMs == 0) {
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        if (m_woken) {
            m_woken = false;
            return;
        }
    }
    if (m_idle) {
        m_idle(timeoutMs);
        DeliverPending();
        return;
    }
    std::unique_lock<std::mutex> lock(m_wakeLock);
    if (timeoutMs < 0) {
        m_wakeCv.wait(lock, [this] { return m_woken; });
    } else {
        m_wakeCv.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_woken; });
    }
    m_woken = false;
}

void HeadlessBackend::Wake() {
    {
        std::lock_guard<std::mutex> guard(m_wakeLock);
        m_woken = true;
    }
    m_wakeCv.notify_all();
}

// --- Top-levels ------------------------------------------------------------

bool HeadlessBackend::CreateTopLevel(const TopLevelSpec& spec) {
    if (m_refuseTopLevels) {
        return false;
    }
    TopLevelState& s = m_windows[spec.id];
    s.spec = spec;
    m_stack.push_back(spec.id);
    return true;
}

void HeadlessBackend::DestroyTopLevel(WindowId id) {
    m_windows.erase(id);
    std::erase(m_stack, id);
    std::erase_if(m_tray, [&](const TrayIcon& t) { return t.owner == id; });
    if (m_grab == id) {
        m_grab = {};
    }
}

void HeadlessBackend::SetVisible(WindowId id, bool visible) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) {
        return;
    }
    it->second.visible = visible;
    it->second.minimized = false;
    if (visible) {
        Raise(id);
    }
}

void HeadlessBackend::SetGeometry(WindowId id, const Rect& rect) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) {
        return;
    }
    Rect old = it->second.spec.rect;
    it->second.spec.rect = rect;
    if (old.Width() != rect.Width() || old.Height() != rect.Height()) {
        it->second.presented.reset();  // new contents come with the next paint
    }
}

void HeadlessBackend::SetTitle(WindowId id, const std::string& title) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.spec.title = title;
    }
}

void HeadlessBackend::SetTopmost(WindowId id, bool topmost) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.spec.topmost = topmost;
    }
}

void HeadlessBackend::SetShape(WindowId id, const std::optional<Region>& shape) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.shape = shape;
    }
}

void HeadlessBackend::SetOpacity(WindowId id, uint8_t opacity) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.opacity = opacity;
    }
}

void HeadlessBackend::Raise(WindowId id) {
    if (m_windows.count(id) == 0) {
        return;
    }
    std::erase(m_stack, id);
    m_stack.push_back(id);
}

void HeadlessBackend::Minimize(WindowId id) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.minimized = true;
    }
}

void HeadlessBackend::Present(WindowId id, const Surface& surface, const Rect& area) {
    auto it = m_windows.find(id);
    if (it == m_windows.end()) {
        return;
    }
    TopLevelState& s = it->second;
    int w = s.spec.rect.Width();
    int h = s.spec.rect.Height();
    if (!s.presented || s.presented->Width() != w || s.presented->Height() != h) {
        s.presented = Surface::Create(w, h);
        if (!s.presented) {
            return;
        }
    }
    Rect r = area.Intersect(s.presented->Bounds()).Intersect(surface.Bounds());
    if (r.IsEmpty()) {
        return;
    }
    const uint32_t* src = surface.ConstPixels();
    uint32_t* dst = s.presented->MutablePixels();
    int srcStride = surface.Stride() / 4;
    int dstStride = s.presented->Stride() / 4;
    for (int y = r.top; y < r.bottom; ++y) {
        std::memcpy(dst + y * dstStride + r.left, src + y * srcStride + r.left,
                    static_cast<size_t>(r.Width()) * 4);
    }
    s.presented->MarkDirty();
    ++s.presentCount;
}

void HeadlessBackend::SetCursor(WindowId id, CursorShape shape) {
    if (auto it = m_windows.find(id); it != m_windows.end()) {
        it->second.cursor = shape;
    }
}

WindowId HeadlessBackend::TopLevelAt(Point screen) const {
    // Topmost windows lie above the others; within each group the stack
    // order holds.
    for (bool topmostPass : {true, false}) {
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
            const TopLevelState& s = m_windows.at(*it);
            if (s.spec.topmost != topmostPass || !s.visible || s.minimized || s.spec.clickThrough ||
                !s.spec.rect.Contains(screen.x, screen.y)) {
                continue;
            }
            if (s.shape &&
                !s.shape->Contains(screen.x - s.spec.rect.left, screen.y - s.spec.rect.top)) {
                continue;
            }
            return *it;
        }
    }
    return {};
}

// --- Reading back -------------------------------------------------------------

const HeadlessBackend::TopLevelState* HeadlessBackend::State(WindowId id) const {
    auto it = m_windows.find(id);
    return it == m_windows.end() ? nullptr : &it->second;
}

std::vector<WindowId> HeadlessBackend::StackingOrder() const {
    std::vector<WindowId> order;
    for (bool topmostPass : {false, true}) {
        for (WindowId id : m_stack) {
            const TopLevelState& s = m_windows.at(id);
            if (s.visible && !s.minimized && s.spec.topmost == topmostPass) {
                order.push_back(id);
            }
        }
    }
    return order;
}

const HeadlessBackend::TrayIcon* HeadlessBackend::Tray(WindowId owner, uint32_t iconId) const {
    for (const TrayIcon& t : m_tray) {
        if (t.owner == owner && t.iconId == iconId) {
            return &t;
        }
    }
    return nullptr;
}

// --- Tray ----------------------------------------------------------------------

namespace {

// What the tray keeps of a picture: its own copy, as a tray would.
std::unique_ptr<Surface> CopyPicture(const Surface& picture) {
    std::unique_ptr<Surface> copy = Surface::Create(picture.Width(), picture.Height());
    if (copy) {
        Painter(*copy).CopyFrom(picture, picture.Bounds(), {0, 0});
    }
    return copy;
}

}  // namespace

bool HeadlessBackend::AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                                  const std::string& tip) {
    if (!m_trayAvailable || m_windows.count(owner) == 0 || Tray(owner, iconId)) {
        return false;
    }
    m_tray.push_back(TrayIcon{owner, iconId, tip, icon ? CopyPicture(*icon) : nullptr});
    return true;
}

bool HeadlessBackend::ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* icon,
                                     const std::string& tip) {
    for (TrayIcon& t : m_tray) {
        if (t.owner == owner && t.iconId == iconId) {
            t.tip = tip;
            if (icon) {
                t.picture = CopyPicture(*icon);
            }
            return true;
        }
    }
    return false;
}

bool HeadlessBackend::RemoveTrayIcon(WindowId owner, uint32_t iconId) {
    return std::erase_if(m_tray, [&](const TrayIcon& t) {
               return t.owner == owner && t.iconId == iconId;
           }) > 0;
}

}  // namespace platform
