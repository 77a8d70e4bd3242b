#include "ui/widgets/qkin.h"

#include <unordered_map>

#include "platform/controls/release_after_windows.h"
#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_host.h"

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::WindowId;
using platform::WindowManager;

// Hover notices come after the pointer rested this long, as the widgets ask.
constexpr uint32_t kHoverMs = 1;

// Widgets by window, for the lookups between widgets that do not own each
// other. User-interface thread only.
std::unordered_map<WindowId, CQKin*>& Registry() {
    static std::unordered_map<WindowId, CQKin*> registry;
    return registry;
}

}  // namespace

void WidgetDeleter::operator()(CQKin* widget) const {
    if (!widget) {
        return;
    }
    widget->DestroyWindow();
    WindowManager* wm = WindowManager::Current();
    platform::ReleaseAfterWindows(wm, std::unique_ptr<CQKin>(widget));
}

CQKin::CQKin(std::string classNameText) : m_classText(std::move(classNameText)) {}

CQKin::~CQKin() {
    DestroyWindow();
}

CQKin* CQKin::FromWindow(WindowId window) {
    auto it = Registry().find(window);
    return it == Registry().end() ? nullptr : it->second;
}

void CQKin::SetOwner(WidgetHost* host, std::string ownerClassText) {
    m_host = host;
    m_ownerClassText = std::move(ownerClassText);
    m_creationParent = nullptr;
}

void CQKin::SetRect(const platform::Rect& rect) {
    m_rect = rect;
    WindowManager* wm = WindowManager::Current();
    if (wm && wm->IsAlive(m_window)) {
        wm->Move(m_window, rect);
    }
}

bool CQKin::CreateWidgetWithPng(int pngId) {
    if (PngHolder().Load(Skin(), pngId)) {
        SetPngFlag(true);
    }
    SetDrawingFrames(m_frameCount);
    return MakeWindow();
}

bool CQKin::CreateWidgetWithBitmap(int bitmapId) {
    if (bitmapId != 0) {
        LoadBitmapResource(bitmapId);
    } else {
        ClearImage();
    }
    SetDrawingFrames(m_frameCount);
    return MakeWindow();
}

bool CQKin::CreateWidget() {
    SetDrawingFrames(m_frameCount);
    return MakeWindow();
}

bool CQKin::ChangePngImage(int pngId) {
    return PngHolder().Load(Skin(), pngId);
}

int CQKin::LoadBitmapResource(int id) {
    return CQKImageDrawing::LoadBitmapResource(Skin(), id);
}

void CQKin::ShowWidgetWindow(bool visible) {
    WindowManager* wm = WindowManager::Current();
    if (wm && wm->IsAlive(m_window)) {
        wm->Show(m_window, visible);
    }
}

WindowId CQKin::CreationParentWindow() const {
    if (m_creationParent) {
        return m_creationParent->Window();
    }
    return m_host ? m_host->Window() : WindowId{};
}

bool CQKin::MakeWindow() {
    WindowManager* wm = WindowManager::Current();
    const WindowId parent = CreationParentWindow();
    if (!wm || !wm->IsAlive(parent)) {
        platform::WindowLog("widget %u (%s): no parent window to create it in", m_id,
                            m_name.c_str());
        return false;
    }
    DestroyWindow();
    platform::WindowOptions o;
    o.child = true;
    o.parent = parent;
    o.rect = m_rect;
    o.className = m_classText;
    o.controlId = m_id;
    o.visible = m_visible;
    o.enabled = !m_inputTransparent;
    o.layer = platform::WindowLayer::kWidget;
    o.cursor = WidgetCursor();
    o.doubleClicks = true;
    o.handler = this;
    m_window = wm->Create(o);
    if (!m_window) {
        platform::WindowLog("widget %u (%s): the window layer refused its window", m_id,
                            m_name.c_str());
        return false;
    }
    Registry()[m_window] = this;
    return true;
}

void CQKin::DestroyWindow() {
    if (!m_window) {
        return;
    }
    Registry().erase(m_window);
    const WindowId window = m_window;
    m_window = {};
    WindowManager* wm = WindowManager::Current();
    if (wm && wm->IsAlive(window)) {
        wm->Destroy(window);
    }
}

// --- Drawing and events ------------------------------------------------------

int CQKin::DrawToBackBuffer() {
    platform::Surface* back = BackBuffer();
    if (!back || !GetImage()) {
        return 0;
    }
    const platform::Point at = DrawingPosition();
    DrawFrameUnkeyed(DrawingFrames(), *back, 0, at.x, at.y);
    return 0;
}

int CQKin::OnChildEvent(int code, CQKin* child) {
    (void)code;
    (void)child;
    return 0;
}

int CQKin::OnScrollNotify(int code, CQKin* sender) {
    (void)code;
    (void)sender;
    return 0;
}

const CQKin* CQKin::TopLevelWidget() const {
    const CQKin* w = this;
    while (w && !w->m_topLevel) {
        w = w->m_parent;
    }
    return w;
}

WidgetHost* CQKin::Host() const {
    for (const CQKin* w = this; w; w = w->m_parent) {
        if (w->m_host) {
            return w->m_host;
        }
    }
    return nullptr;
}

WidgetHost* CQKin::DrawingHost() const {
    const CQKin* top = TopLevelWidget();
    return top ? top->Host() : nullptr;
}

platform::Surface* CQKin::BackBuffer() const {
    WidgetHost* host = DrawingHost();
    return host ? host->BackBuffer() : nullptr;
}

platform::Point CQKin::DrawingPosition() const {
    platform::Point at;
    for (const CQKin* w = this; w; w = w->m_parent) {
        at.x += w->m_rect.left;
        at.y += w->m_rect.top;
        if (w->m_topLevel) {
            break;
        }
    }
    return at;
}

platform::Rect CQKin::DrawingRect() const {
    const platform::Point at = DrawingPosition();
    return platform::Rect::FromXywh(at.x, at.y, m_rect.Width(), m_rect.Height());
}

platform::Rect CQKin::VisibleArea() const {
    platform::Rect area = DrawingRect();
    for (const CQKin* w = this; w && !w->m_topLevel && w->m_parent; w = w->m_parent) {
        area = area.Intersect(w->m_parent->DrawingRect());
    }
    return area;
}

SkinImages* CQKin::Skin() const {
    WidgetHost* host = Host();
    return host ? host->Skin() : nullptr;
}

MainDialogSide* CQKin::MainSide() const {
    WidgetHost* host = DrawingHost();
    return host ? host->AsMainDialog() : nullptr;
}

CommonDialogSide* CQKin::CommonSide() const {
    WidgetHost* host = DrawingHost();
    return host ? host->AsCommonDialog() : nullptr;
}

void CQKin::DispatchToOwner(uint32_t flags) {
    if (WidgetHost* host = DrawingHost()) {
        host->Dispatch(*this, flags);
    }
}

void CQKin::SendToMainDialog(uint32_t flags) {
    if (MainDialogSide* main = MainSide()) {
        main->DoEvent(*this, flags);
    }
}

void CQKin::PostButtonMessage(WindowId window, MessageKind kind, platform::Point point) const {
    WindowManager* wm = WindowManager::Current();
    if (!wm) {
        return;
    }
    Message m;
    m.kind = kind;
    m.button = platform::MouseButton::kLeft;
    m.modifiers = platform::kModLeftButton;
    m.point = point;
    wm->Post(window, m);
}

bool CQKin::HasCapture() const {
    WindowManager* wm = WindowManager::Current();
    return wm && m_window && wm->Capture() == m_window;
}

void CQKin::CaptureMouse() {
    if (WindowManager* wm = WindowManager::Current()) {
        wm->SetCapture(m_window);
    }
}

void CQKin::ReleaseMouse() {
    if (WindowManager* wm = WindowManager::Current()) {
        wm->ReleaseCapture();
    }
}

bool CQKin::TrackHoverAndLeave() {
    WindowManager* wm = WindowManager::Current();
    return wm && wm->TrackMouse(m_window, true, true, kHoverMs);
}

// --- Messages -----------------------------------------------------------------

int64_t CQKin::OnMessage(WindowId self, const Message& msg) {
    m_messageTime = msg.timeMs;
    const bool left = msg.button == platform::MouseButton::kLeft;
    switch (msg.kind) {
        case MessageKind::kButtonDown:
            return left ? OnLButtonDown(msg.point) : kDefault;
        case MessageKind::kButtonUp:
            return left ? OnLButtonUp(msg.point) : kDefault;
        case MessageKind::kDoubleClick:
            return left ? OnLButtonDblClk(msg.point) : kDefault;
        case MessageKind::kMouseMove:
            return OnMouseMove(msg.point);
        case MessageKind::kMouseHover:
            return OnMouseHover(msg.point);
        case MessageKind::kMouseLeave:
            return OnMouseLeave();
        case MessageKind::kTimer:
            return OnTimer(msg.code);
        case MessageKind::kMove:
            m_rect = msg.rect;  // the rectangle follows the window
            return 0;
        case MessageKind::kDestroy:
            if (self == m_window) {
                Registry().erase(m_window);
                m_window = {};
            }
            return 0;
        default:
            return kDefault;
    }
}

int64_t CQKin::OnLButtonDown(platform::Point) {
    m_mouseState = kMousePressed;
    if (!m_topLevel && m_parent) {
        m_parent->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

int64_t CQKin::OnLButtonDblClk(platform::Point) {
    m_mouseState = kMouseDoubleClicked;
    if (!m_topLevel && m_parent) {
        m_parent->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

int64_t CQKin::OnLButtonUp(platform::Point) {
    return 0;
}

int64_t CQKin::OnMouseMove(platform::Point) {
    return 0;
}

int64_t CQKin::OnMouseHover(platform::Point) {
    return 0;
}

int64_t CQKin::OnMouseLeave() {
    return 0;
}

int64_t CQKin::OnTimer(uint32_t) {
    return kDefault;
}

}  // namespace ui
