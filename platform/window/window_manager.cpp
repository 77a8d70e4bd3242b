#include "platform/window/window_manager.h"

#include <algorithm>
#include <atomic>

#include "platform/draw/surface.h"
#include "platform/window/window_log.h"

namespace platform {
namespace {

std::atomic<WindowManager*> g_current{nullptr};

void RunInstalledPump(PumpKind kind) {
    if (WindowManager* wm = g_current.load(std::memory_order_acquire)) {
        wm->PumpPending(kind);
    }
}

}  // namespace

std::unique_ptr<WindowManager> WindowManager::Create(std::unique_ptr<WindowBackend> backend,
                                                     Clock* clock) {
    if (!backend) {
        return nullptr;
    }
    std::unique_ptr<WindowManager> wm(new WindowManager(std::move(backend), clock));
    WindowManager* expected = nullptr;
    if (!g_current.compare_exchange_strong(expected, wm.get())) {
        WindowLog("a window manager exists already");
        return nullptr;
    }
    SetMessagePump(&RunInstalledPump, wm->m_uiThread);
    return wm;
}

WindowHandler::~WindowHandler() {
    if (WindowManager* wm = WindowManager::Current()) {
        wm->ForgetHandler(this);
    }
}

WindowManager* WindowManager::Current() {
    return g_current.load(std::memory_order_acquire);
}

WindowManager::WindowManager(std::unique_ptr<WindowBackend> backend, Clock* clock)
    : m_backend(std::move(backend)),
      m_clock(clock ? clock : &CurrentClock()),
      m_uiThread(std::this_thread::get_id()),
      m_queue([backend = m_backend.get()] { backend->Wake(); }),
      m_input(m_tree) {
    m_backend->SetSink(this);
}

WindowManager::~WindowManager() {
    WindowManager* self = this;
    if (g_current.compare_exchange_strong(self, nullptr)) {
        SetMessagePump(nullptr, {});
    }
    for (WindowId id : m_tree.TopLevels()) {
        Destroy(id);
    }
    FlushDeferred();
    m_backend->SetSink(nullptr);
}

bool WindowManager::CheckUi(const char* what) const {
    if (IsUiThread()) {
        return true;
    }
    WindowLog("%s called off the user-interface thread; ignored", what);
    return false;
}

// --- Windows ---------------------------------------------------------------

WindowId WindowManager::Create(const WindowOptions& options) {
    if (!CheckUi("Create")) {
        return {};
    }
    WindowId id = m_tree.Add(options);
    if (!id) {
        return {};
    }
    WindowNode* node = m_tree.Find(id);
    if (!node->child && !node->messageOnly) {
        TopLevelSpec spec{id,
                          node->owner,
                          node->rect,
                          node->className,
                          node->title,
                          node->topmost,
                          node->popup,
                          node->toolWindow,
                          node->clickThrough,
                          node->perPixelAlpha};
        if (!m_backend->CreateTopLevel(spec)) {
            WindowLog("the display refused top-level \"%s\"", node->title.c_str());
            m_tree.Remove(id);
            return {};
        }
    }
    Message created;
    created.kind = MessageKind::kCreate;
    created.target = id;
    created.rect = node->rect;
    Send(id, created);
    if (options.visible && m_tree.Find(id)) {
        Show(id, true);
    }
    return m_tree.Find(id) ? id : WindowId{};
}

bool WindowManager::Destroy(WindowId id) {
    if (!CheckUi("Destroy")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->destroying) {
        return false;
    }
    // Owned top-levels go first, as their owner's end would leave them orphaned.
    for (WindowId top : m_tree.TopLevels()) {
        const WindowNode* t = m_tree.Find(top);
        if (t && t->owner == id) {
            Destroy(top);
        }
    }
    DestroyTree(id);
    if (m_dispatchDepth == 0) {
        FlushDeferred();
    }
    return true;
}

void WindowManager::DestroyTree(WindowId id) {
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return;
    }
    node->destroying = true;
    Message destroy;
    destroy.kind = MessageKind::kDestroy;
    destroy.target = id;
    Dispatch(destroy);
    node = m_tree.Find(id);
    if (!node) {
        return;
    }
    node->observers.clear();  // kDestroy was their last message
    std::vector<WindowId> children = node->children;
    for (WindowId child : children) {
        DestroyTree(child);
    }
    if (m_input.Capture() == id) {
        m_backend->UngrabPointer();
    }
    m_input.Forget(id);
    m_timers.RemoveWindow(id);
    m_queue.Forget(id);
    m_dirty.erase(id);
    if (m_active == id) {
        m_active = {};
    }
    if (m_cursorTop == id) {
        m_cursorTop = {};
        m_shownCursor.reset();
    }
    if (!node->child) {
        if (!node->messageOnly) {
            m_backend->DestroyTopLevel(id);
        }
    } else if (node->visible) {
        WindowId top = m_tree.TopLevelOf(id);
        Point o = m_tree.OriginInTopLevel(id);
        Invalidate(top, Rect::FromXywh(o.x, o.y, node->rect.Width(), node->rect.Height()));
    }
    m_graveyard.push_back(m_tree.Remove(id));
}

bool WindowManager::Show(WindowId id, bool visible) {
    if (!CheckUi("Show")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    if (node->messageOnly) {
        return false;  // never on screen
    }
    if (node->visible == visible && !(visible && node->minimized)) {
        return true;
    }
    if (!node->child) {
        node->minimized = false;
        m_backend->SetVisible(id, visible);
    }
    // A hidden child still needs its old area repainted.
    if (node->child && !visible) {
        Invalidate(id);
    }
    node->visible = visible;
    if (visible) {
        Invalidate(id);
    }
    // Popups (menus, tooltips) and click-through windows (shadows) show
    // without taking the activation.
    if (!node->child && visible && !node->popup && !node->clickThrough) {
        SetActive(id);
    }
    if (!node->child && !visible && m_active == id) {
        SetActive({});
    }
    Message show;
    show.kind = MessageKind::kShow;
    show.target = id;
    show.code = visible ? 1 : 0;
    Send(id, show);
    return true;
}

bool WindowManager::IsVisible(WindowId id) const {
    return IsUiThread() && m_tree.IsShown(id);
}

bool WindowManager::Enable(WindowId id, bool enabled) {
    if (!CheckUi("Enable")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    node->enabled = enabled;
    if (!enabled) {
        // A disabled window keeps neither the capture nor the focus.
        if (m_input.Capture() &&
            (m_input.Capture() == id || m_tree.TopLevelOf(m_input.Capture()) == id)) {
            ReleaseCapture();
        }
    }
    return true;
}

bool WindowManager::IsEnabled(WindowId id) const {
    return IsUiThread() && m_tree.IsEnabledDeep(id);
}

bool WindowManager::Move(WindowId id, const Rect& rect) {
    if (!CheckUi("Move")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    if (node->rect == rect) {
        return true;
    }
    if (node->child && node->visible) {
        Invalidate(id);  // the old place
    }
    node->rect = rect;
    if (!node->child) {
        m_backend->SetGeometry(id, rect);
    }
    if (node->visible) {
        Invalidate(id);
    }
    Message move;
    move.kind = MessageKind::kMove;
    move.target = id;
    move.rect = rect;
    Send(id, move);
    return true;
}

std::optional<Rect> WindowManager::GetRect(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? std::optional<Rect>(node->rect) : std::nullopt;
}

std::optional<Rect> WindowManager::ScreenRect(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    if (!node) {
        return std::nullopt;
    }
    Point o = m_tree.ScreenOrigin(id);
    return Rect::FromXywh(o.x, o.y, node->rect.Width(), node->rect.Height());
}

std::optional<Point> WindowManager::ClientToScreen(WindowId id, Point client) const {
    if (!IsUiThread() || !m_tree.Find(id)) {
        return std::nullopt;
    }
    Point o = m_tree.ScreenOrigin(id);
    return Point{client.x + o.x, client.y + o.y};
}

std::optional<Point> WindowManager::ScreenToClient(WindowId id, Point screen) const {
    if (!IsUiThread() || !m_tree.Find(id)) {
        return std::nullopt;
    }
    Point o = m_tree.ScreenOrigin(id);
    return Point{screen.x - o.x, screen.y - o.y};
}

bool WindowManager::SetTitle(WindowId id, std::string_view title) {
    if (!CheckUi("SetTitle")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    node->title = std::string(title);
    if (!node->child) {
        m_backend->SetTitle(id, node->title);
    }
    return true;
}

std::string WindowManager::Title(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->title : std::string();
}

std::string WindowManager::ClassName(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->className : std::string();
}

uint32_t WindowManager::ControlId(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->controlId : 0;
}

WindowId WindowManager::Parent(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->parent : WindowId{};
}

WindowId WindowManager::Owner(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node && m_tree.IsAlive(node->owner) ? node->owner : WindowId{};
}

std::vector<WindowId> WindowManager::Children(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->children : std::vector<WindowId>{};
}

WindowId WindowManager::FindChild(WindowId parent, uint32_t controlId) const {
    for (WindowId c : Children(parent)) {
        if (m_tree.Find(c)->controlId == controlId) {
            return c;
        }
    }
    return {};
}

bool WindowManager::SetRegion(WindowId id, std::optional<Region> region) {
    if (!CheckUi("SetRegion")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    node->region = std::move(region);
    if (!node->child) {
        m_backend->SetShape(id, node->region);
    }
    Invalidate(id);
    return true;
}

std::optional<Region> WindowManager::GetRegion(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node ? node->region : std::nullopt;
}

bool WindowManager::SetOpacity(WindowId id, uint8_t opacity) {
    if (!CheckUi("SetOpacity")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->child) {
        return false;
    }
    node->opacity = opacity;
    m_backend->SetOpacity(id, opacity);
    return true;
}

bool WindowManager::SetTopmost(WindowId id, bool topmost) {
    if (!CheckUi("SetTopmost")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->child) {
        return false;
    }
    node->topmost = topmost;
    m_backend->SetTopmost(id, topmost);
    return true;
}

bool WindowManager::Raise(WindowId id) {
    if (!CheckUi("Raise")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->child || node->messageOnly) {
        return false;
    }
    m_backend->Raise(id);
    if (node->visible && !node->popup && !node->clickThrough) {
        SetActive(id);
    }
    return true;
}

bool WindowManager::Minimize(WindowId id) {
    if (!CheckUi("Minimize")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node || node->child) {
        return false;
    }
    if (node->minimized) {
        return true;
    }
    node->minimized = true;
    m_backend->Minimize(id);
    if (m_active == id) {
        SetActive({});
    }
    Message minimized;
    minimized.kind = MessageKind::kMinimize;
    Send(id, minimized);
    return true;
}

bool WindowManager::IsMinimized(WindowId id) const {
    const WindowNode* node = IsUiThread() ? m_tree.Find(id) : nullptr;
    return node && node->minimized;
}

void WindowManager::SetActive(WindowId top) {
    if (m_active == top) {
        return;
    }
    WindowId old = m_active;
    m_active = top;
    Message m;
    m.kind = MessageKind::kActivate;
    if (m_tree.Find(old)) {
        m.target = old;
        m.code = 0;
        Send(old, m);
    }
    if (m_tree.Find(top)) {
        m.target = top;
        m.code = 1;
        Send(top, m);
    }
}

bool WindowManager::SetCursor(WindowId id, CursorShape shape) {
    if (!CheckUi("SetCursor")) {
        return false;
    }
    WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    node->cursor = shape;
    UpdateCursor();
    return true;
}

void WindowManager::SetOverrideCursor(std::optional<CursorShape> shape) {
    if (!CheckUi("SetOverrideCursor")) {
        return;
    }
    m_overrideCursor = shape;
    UpdateCursor();
}

// The cursor of the window under the pointer (or of the capturing window),
// unless an override is in force; told to the backend only on change.
void WindowManager::UpdateCursor() {
    WindowId window = m_tree.Find(m_input.Capture()) ? m_input.Capture() : m_input.UnderPointer();
    const WindowNode* node = m_tree.Find(window);
    if (!node) {
        return;
    }
    CursorShape shape = m_overrideCursor ? *m_overrideCursor : node->cursor;
    WindowId top = m_tree.TopLevelOf(window);
    if (m_cursorTop == top && m_shownCursor == shape) {
        return;
    }
    m_cursorTop = top;
    m_shownCursor = shape;
    m_backend->SetCursor(top, shape);
}

// --- Painting --------------------------------------------------------------

bool WindowManager::Invalidate(WindowId id, std::optional<Rect> area) {
    if (!CheckUi("Invalidate")) {
        return false;
    }
    const WindowNode* node = m_tree.Find(id);
    if (!node) {
        return false;
    }
    WindowId top = m_tree.TopLevelOf(id);
    const WindowNode* t = m_tree.Find(top);
    Rect local = area ? *area : Rect{0, 0, node->rect.Width(), node->rect.Height()};
    Point o = m_tree.OriginInTopLevel(id);
    Rect r = local.Offset(o.x, o.y).Intersect({0, 0, t->rect.Width(), t->rect.Height()});
    if (r.IsEmpty()) {
        return true;
    }
    auto it = m_dirty.find(top);
    if (it == m_dirty.end()) {
        m_dirty.emplace(top, r);
    } else {
        Rect& d = it->second;
        d = {std::min(d.left, r.left), std::min(d.top, r.top), std::max(d.right, r.right),
             std::max(d.bottom, r.bottom)};
    }
    return true;
}

bool WindowManager::Present(WindowId id, const Surface& surface, const Rect& area) {
    if (!CheckUi("Present")) {
        return false;
    }
    WindowId top = m_tree.TopLevelOf(id);
    const WindowNode* t = m_tree.Find(top);
    if (!t) {
        return false;
    }
    Rect r = area.Intersect({0, 0, t->rect.Width(), t->rect.Height()}).Intersect(surface.Bounds());
    if (!r.IsEmpty()) {
        m_backend->Present(top, surface, r);
    }
    return true;
}

}  // namespace platform
