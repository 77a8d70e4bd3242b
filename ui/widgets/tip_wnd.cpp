#include "ui/widgets/tip_wnd.h"

#include <algorithm>
#include <vector>

#include "platform/controls/control.h"
#include "platform/controls/release_after_windows.h"
#include "platform/controls/tool_tip.h"
#include "platform/draw/painter.h"
#include "platform/window/window_manager.h"

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::WindowId;

// Where the tip sits relative to the pointer.
constexpr int kPointerGap = 7;

struct TipEntry {
    WindowId window;
    Rect rect;  // left = right and top = bottom: the whole window
    std::string text;

    bool WholeWindow() const { return rect.left == rect.right && rect.top == rect.bottom; }
};

}  // namespace

// The tip window's handler and the tips; let go only once the window layer
// is done with the window.
class TipWindow final : public platform::WindowHandler {
public:
    explicit TipWindow(platform::WindowManager& wm)
        : m_wm(wm), m_font(platform::ControlFont::FromPixels(platform::ControlFont().family, 14)) {}

    bool Create(WindowId parent) {
        platform::WindowOptions o;
        o.parent = parent;
        o.rect = Rect::FromXywh(0, 0, 1, 1);
        o.className = "TipWnd";
        o.title = "TipWnd";
        o.popup = true;
        o.topmost = true;
        o.toolWindow = true;
        o.doubleClicks = false;
        o.handler = this;
        m_window = m_wm.Create(o);
        if (!m_window) {
            return false;
        }
        m_wm.SetTimer(m_window, CTipWnd::kPollTimer, CTipWnd::kPollMs);
        if (layered) {
            ApplyLayered();
        }
        return true;
    }

    void ApplyLayered() {
        if (m_wm.IsAlive(m_window) && m_wm.SupportsLayered()) {
            m_wm.SetOpacity(m_window, 255);
        }
    }

    void Destroy() {
        if (platform::WindowManager::Current() == &m_wm && m_wm.IsAlive(m_window)) {
            m_wm.Destroy(m_window);
        }
    }

    int64_t OnMessage(WindowId, const Message& msg) override {
        switch (msg.kind) {
            case MessageKind::kTimer:
                OnTimer(msg.code);
                return 0;
            case MessageKind::kPaint:
                Paint(msg.rect);
                return 0;
            case MessageKind::kButtonDown:
                if (msg.button == platform::MouseButton::kLeft ||
                    msg.button == platform::MouseButton::kRight) {
                    Hide();
                    m_wm.KillTimer(m_window, CTipWnd::kHideTimer);
                }
                return 0;
            default:
                return kDefault;
        }
    }

    WindowId Window() const { return m_wm.IsAlive(m_window) ? m_window : WindowId{}; }
    bool IsShown() const { return m_wm.IsVisible(m_window); }
    platform::WindowManager& Wm() const { return m_wm; }

    std::vector<TipEntry> entries;
    bool layered = false;

private:
    const TipEntry* Current() const {
        return m_current >= 0 && m_current < static_cast<int>(entries.size()) ? &entries[m_current]
                                                                              : nullptr;
    }

    // The first tip that holds the pointer, or -1.
    int EntryUnderPointer() const {
        const Point cursor = m_wm.CursorPos();
        const WindowId under = m_wm.WindowAt(cursor);
        const std::optional<Point> local = m_wm.ScreenToClient(under, cursor);
        if (!under || !local) {
            return -1;
        }
        for (size_t i = 0; i < entries.size(); ++i) {
            const TipEntry& e = entries[i];
            if (e.window == under && (e.WholeWindow() || e.rect.Contains(local->x, local->y))) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    void OnTimer(uint32_t id) {
        switch (id) {
            case CTipWnd::kPollTimer:
                Poll();
                break;
            case CTipWnd::kShowTimer:
                ShowTip();
                m_wm.KillTimer(m_window, CTipWnd::kShowTimer);
                break;
            case CTipWnd::kHideTimer:
                Hide();
                m_wm.KillTimer(m_window, CTipWnd::kHideTimer);
                break;
            default:
                break;
        }
    }

    void Poll() {
        if (entries.empty() || (m_current >= 0 && m_wm.MouseButtonsDown() != 0)) {
            return;
        }
        // A tip pulled back against the screen's edge may lie under the
        // pointer; it is no other window, so nothing changes.
        if (m_wm.WindowAt(m_wm.CursorPos()) == m_window) {
            return;
        }
        const int match = EntryUnderPointer();
        if (match == m_current) {
            return;
        }
        Hide();
        m_current = match;  // -1 when none: the same tip shows again on return
        if (match >= 0) {
            m_wm.SetTimer(m_window, CTipWnd::kShowTimer, CTipWnd::kShowDelayMs);
        }
    }

    void ShowTip() {
        const TipEntry* e = Current();
        if (!e || e->text.empty() || m_wm.MouseButtonsDown() != 0) {
            return;
        }
        const platform::Size size = platform::ToolTipBoxSize(e->text, m_font);
        const Point cursor = m_wm.CursorPos();
        const Rect screen = m_wm.ScreenArea();
        int x = cursor.x + kPointerGap;
        int y = cursor.y + kPointerGap;
        if (x + size.width > screen.right) {
            x = screen.right - size.width;
        }
        if (y + size.height > screen.bottom) {
            y = screen.bottom - size.height;
        }
        x = std::max(x, screen.left);
        y = std::max(y, screen.top);
        m_wm.Move(m_window, Rect::FromXywh(x, y, size.width, size.height));
        m_wm.Show(m_window, true);
        m_wm.Raise(m_window);
        m_wm.Invalidate(m_window);
        m_wm.SetTimer(m_window, CTipWnd::kHideTimer, CTipWnd::kShowForMs);
    }

    void Hide() {
        if (m_wm.IsVisible(m_window)) {
            m_wm.Show(m_window, false);
        }
    }

    void Paint(const Rect& area) {
        const TipEntry* e = Current();
        std::optional<Rect> r = m_wm.GetRect(m_window);
        if (!e || e->text.empty() || !r) {
            return;
        }
        if (!platform::ReuseOrCreate(m_surface, r->Width(), r->Height())) {
            return;
        }
        {
            platform::Painter painter(*m_surface);
            platform::PaintToolTipBox(painter, m_surface->Bounds(), e->text, m_font);
        }
        m_wm.Present(m_window, *m_surface, area);
    }

    platform::WindowManager& m_wm;
    platform::ControlFont m_font;
    WindowId m_window;
    int m_current = -1;
    std::unique_ptr<platform::Surface> m_surface;
};

CTipWnd::CTipWnd() = default;

CTipWnd::~CTipWnd() {
    if (m_impl) {
        m_impl->Destroy();
        platform::WindowManager* wm = &m_impl->Wm();
        platform::ReleaseAfterWindows(wm, std::move(m_impl));
    }
}

TipWindow* CTipWnd::Impl() {
    if (!m_impl) {
        if (platform::WindowManager* wm = platform::WindowManager::Current()) {
            m_impl = std::make_unique<TipWindow>(*wm);
        }
    }
    return m_impl.get();
}

bool CTipWnd::CreateTipWindow(WindowId parent) {
    TipWindow* impl = Impl();
    return impl && !impl->Window() && impl->Create(parent);
}

void CTipWnd::SetLayered() {
    if (TipWindow* impl = Impl()) {
        impl->layered = true;
        impl->ApplyLayered();
    }
}

bool CTipWnd::IsLayered() const {
    return m_impl && m_impl->layered;
}

void CTipWnd::AddTip(WindowId window, const Rect& rect, std::string text) {
    if (TipWindow* impl = Impl()) {
        impl->entries.push_back(TipEntry{window, rect, std::move(text)});
    }
}

WindowId CTipWnd::Window() const {
    return m_impl ? m_impl->Window() : WindowId{};
}

bool CTipWnd::IsShown() const {
    return m_impl && m_impl->IsShown();
}

}  // namespace ui
