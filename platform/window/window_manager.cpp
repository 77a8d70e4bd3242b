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
    node->minimized = true;
    m_backend->Minimize(id);
    if (m_active == id) {
        SetActive({});
    }
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
    if (m_loopDepth == 0 && m_quitting) {
        // A quit that ended an outermost modal loop has nothing left to end.
        m_quitting = false;
    }
    return result;
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
            if (m_tree.Find(event.topLevel)) {
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

void WindowManager::FlushDeferred() {
    if (m_flushing) {
        return;
    }
    m_flushing = true;
    while (!m_graveyard.empty() || !m_deferred.empty()) {
        std::vector<std::unique_ptr<WindowNode>> nodes;
        nodes.swap(m_graveyard);
        for (auto& node : nodes) {
            if (node->handler) {
                Message release;
                release.kind = MessageKind::kFinalRelease;
                release.target = node->id;
                release.timeMs = Now();
                node->handler->OnMessage(node->id, release);
            }
        }
        std::vector<std::function<void()>> deferred;
        deferred.swap(m_deferred);
        for (auto& d : deferred) {
            d();
        }
    }
    m_flushing = false;
}

}  // namespace platform
