#include "ui/widgets/wnd_shadow.h"

#include <memory>

#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"

namespace ui {

// The shadow window's handler: presents the picture. It belongs to its
// window and goes with the window's final release.
class ShadowView final : public platform::WindowHandler {
public:
    void SetPicture(std::unique_ptr<platform::Surface> picture) { m_picture = std::move(picture); }

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override {
        if (msg.kind == platform::MessageKind::kPaint && m_picture) {
            platform::WindowManager::Current()->Present(self, *m_picture, msg.rect);
        } else if (msg.kind == platform::MessageKind::kFinalRelease) {
            delete this;
        }
        return 0;
    }

private:
    std::unique_ptr<platform::Surface> m_picture;
};

namespace {

bool g_initialized = false;

platform::WindowManager* Wm() {
    return platform::WindowManager::Current();
}

}  // namespace

CWndShadow::CWndShadow(ShadowParams params) : m_params(params) {}

CWndShadow::~CWndShadow() {
    platform::WindowManager* wm = Wm();
    if (!wm) {
        return;
    }
    wm->RemoveMessageObserver(m_parent, this);
    if (wm->IsAlive(m_window)) {
        wm->Destroy(m_window);
    }
}

bool CWndShadow::Initialize() {
    if (g_initialized) {
        return false;
    }
    g_initialized = true;
    return true;
}

void CWndShadow::ResetInitializationForTest() {
    g_initialized = false;
}

platform::WindowId CWndShadow::Window() const {
    return Alive() ? m_window : platform::WindowId{};
}

bool CWndShadow::Alive() const {
    platform::WindowManager* wm = Wm();
    return wm && wm->IsAlive(m_window);
}

void CWndShadow::Create(platform::WindowId parent) {
    platform::WindowManager* wm = Wm();
    if (!g_initialized || !wm || !wm->IsAlive(parent) || Alive()) {
        return;
    }
    if (!wm->SupportsLayered()) {
        platform::WindowLog("no layered windows: the window gets no shadow");
        return;
    }
    std::optional<platform::Rect> rect = wm->GetRect(parent);
    auto view = std::make_unique<ShadowView>();
    platform::WindowOptions o;
    o.parent = parent;
    o.rect = ShadowRect(*rect, m_params);
    if (o.rect.IsEmpty()) {
        o.rect = platform::Rect::FromXywh(rect->left, rect->top, 1, 1);
    }
    o.className = "OrvikShadowWnd";
    o.clickThrough = true;
    o.perPixelAlpha = true;
    o.toolWindow = true;
    o.handler = view.get();
    m_window = wm->Create(o);
    if (!m_window) {
        platform::WindowLog("the shadow window could not be made");
        return;
    }
    m_view = view.release();  // now the window's
    m_parent = parent;
    m_enabled = true;
    m_lastSize = {rect->Width(), rect->Height()};
    wm->AddMessageObserver(parent, this);
    ShowShadow();
}

void CWndShadow::Show() {
    if (Alive()) {
        Wm()->Show(m_window, true);
    }
}

void CWndShadow::Hide() {
    if (Alive()) {
        Wm()->Show(m_window, false);
    }
}

void CWndShadow::Close() {
    if (Alive()) {
        Wm()->Show(m_window, false);
        Wm()->Minimize(m_window);
    }
}

void CWndShadow::ShowShadow() {
    platform::WindowManager* wm = Wm();
    if (!Alive()) {
        return;
    }
    m_shown = m_enabled && wm->IsVisible(m_parent) && !wm->IsMinimized(m_parent);
    if (m_shown) {
        wm->Show(m_window, true);
        Update();
    } else {
        wm->Show(m_window, false);
    }
}

void CWndShadow::Update() {
    platform::WindowManager* wm = Wm();
    std::optional<platform::Rect> rect = wm->GetRect(m_parent);
    if (!Alive() || !rect) {
        return;
    }
    std::unique_ptr<platform::Surface> picture =
        MakeShadow(wm->GetRegion(m_parent), {rect->Width(), rect->Height()}, m_params);
    ++m_renders;
    m_updatePending = false;
    if (!picture) {
        wm->Show(m_window, false);  // parameters that leave nothing to show
        return;
    }
    wm->Move(m_window, ShadowRect(*rect, m_params));
    m_view->SetPicture(std::move(picture));
    wm->Invalidate(m_window);
}

void CWndShadow::Move() {
    std::optional<platform::Rect> rect = Wm()->GetRect(m_parent);
    std::optional<platform::Rect> mine = Wm()->GetRect(m_window);
    if (rect && mine) {
        const platform::Rect to = ShadowRect(*rect, m_params);
        Wm()->Move(m_window,
                   platform::Rect::FromXywh(to.left, to.top, mine->Width(), mine->Height()));
    }
}

void CWndShadow::OnObservedMessage(platform::WindowId, const platform::Message& msg) {
    if (!Alive()) {
        return;
    }
    switch (msg.kind) {
        case platform::MessageKind::kShow:
        case platform::MessageKind::kMinimize:
            ShowShadow();
            break;
        case platform::MessageKind::kMove: {
            const platform::Size size{msg.rect.Width(), msg.rect.Height()};
            if (!m_shown) {
                m_lastSize = size;
                break;
            }
            if (size == m_lastSize) {
                Move();  // a plain move: no new picture
            } else if (size.width > m_lastSize.width || size.height > m_lastSize.height) {
                Move();
                m_updatePending = true;  // drawn at the parent's next paint
            } else {
                Update();
            }
            m_lastSize = size;
            break;
        }
        case platform::MessageKind::kPaint:
            if (m_updatePending) {
                Update();
            }
            break;
        default:
            break;
    }
}

}  // namespace ui
