#include "platform/controls/tool_tip.h"

#include <algorithm>
#include <vector>

#include "platform/controls/control_look.h"
#include "platform/controls/release_after_windows.h"
#include "platform/draw/painter.h"
#include "platform/draw/text_layout.h"
#include "platform/window/window_manager.h"

namespace platform {
namespace {

enum TimerId : uint32_t { kShowTimer = 1, kHideTimer = 2, kPollTimer = 3 };

// How often the tooltip checks that the pointer is still on the tool, so
// that it hides even when nobody relays the leave.
constexpr uint32_t kPollMs = 100;
// The tip's text lies this far inside its border; the tip sits this far
// below the pointer (about a cursor's height).
constexpr int kInset = 3;
constexpr int kBelowPointer = 20;

constexpr ColorRef kTipFill = ColorRef::FromRgb(255, 255, 225);
constexpr ColorRef kTipInk = ColorRef::FromRgb(0, 0, 0);

TextStyle TipStyle(const ControlFont& font) {
    TextStyle style = font.Style(TextAlign::kNear, TextAlign::kNear);
    style.singleLine = false;
    style.wordWrap = true;
    return style;
}

struct Tool {
    WindowId window;
    uint32_t id = 0;
    Rect area;
    std::string text;
};

struct ToolKey {
    WindowId window;
    uint32_t id = 0;
    bool valid = false;
    bool Is(const Tool& t) const { return valid && t.window == window && t.id == id; }
};

}  // namespace

Size ToolTipBoxSize(std::string_view text, const ControlFont& font) {
    Size size = MeasureText(text, TipStyle(font), ToolTip::kMaxWidth);
    return {size.width + 2 * kInset, size.height + 2 * kInset};
}

void PaintToolTipBox(Painter& painter, const Rect& box, std::string_view text,
                     const ControlFont& font) {
    painter.FillRect(box, Opaque(kTipFill));
    painter.FrameRect(box, Opaque(kTipInk));
    Rect inner{box.left + kInset, box.top + kInset, box.right - kInset, box.bottom - kInset};
    painter.DrawText(text, inner, TipStyle(font), Opaque(kTipInk));
}

// The popup's handler and all the tooltip's state; let go only once the
// window layer is done with the popup (see ReleaseAfterWindows).
class ToolTipWindow final : public WindowHandler {
public:
    ToolTipWindow(WindowManager& wm, WindowId owner) : m_wm(wm) {
        WindowOptions o;
        o.parent = wm.TopLevelOf(owner);
        o.rect = Rect::FromXywh(0, 0, 1, 1);
        o.className = "tooltip";
        o.popup = true;
        o.topmost = true;
        o.toolWindow = true;
        o.clickThrough = true;
        o.handler = this;
        m_popup = wm.Create(o);
        font = ControlFont::FromPixels(font.family, 14);
    }

    void Destroy() {
        if (WindowManager::Current() == &m_wm && m_wm.IsAlive(m_popup)) {
            m_wm.Destroy(m_popup);
        }
    }

    std::vector<Tool> tools;
    bool active = true;
    ControlFont font;

    const Tool* Find(const ToolKey& key) const {
        for (const Tool& t : tools) {
            if (key.Is(t)) {
                return &t;
            }
        }
        return nullptr;
    }

    void Forget(WindowId window, uint32_t id) {
        if ((m_pending.valid && m_pending.window == window && m_pending.id == id) ||
            (m_shown.valid && m_shown.window == window && m_shown.id == id)) {
            Cancel();
        }
    }

    // The tool under `point` of `window`, if any.
    ToolKey ToolAt(WindowId window, Point point) const {
        std::optional<Rect> r = m_wm.GetRect(window);
        for (const Tool& t : tools) {
            if (t.window != window || !r) {
                continue;
            }
            Rect area = t.area.IsEmpty() ? Rect{0, 0, r->Width(), r->Height()} : t.area;
            if (area.Contains(point.x, point.y)) {
                return ToolKey{t.window, t.id, true};
            }
        }
        return {};
    }

    // The tool the pointer is on now, as the layer sees it.
    ToolKey ToolUnderPointer() const {
        Point screen = m_wm.CursorPos();
        WindowId under = m_wm.WindowAt(screen);
        std::optional<Point> local = m_wm.ScreenToClient(under, screen);
        return local ? ToolAt(under, *local) : ToolKey{};
    }

    void Relay(const Message& msg) {
        switch (msg.kind) {
            case MessageKind::kMouseMove: {
                ToolKey t = ToolAt(msg.target, msg.point);
                if (!t.valid) {
                    m_suppressed = {};
                    Cancel();
                } else if (!Same(t, m_shown) && !Same(t, m_suppressed) && active) {
                    // Every move restarts the wait: the tip wants the pointer at rest.
                    if (m_shown.valid) {
                        Cancel();
                    }
                    m_pending = t;
                    m_wm.SetTimer(m_popup, kShowTimer, ToolTip::kShowDelayMs);
                    UpdatePoll();
                }
                return;
            }
            case MessageKind::kButtonDown:
            case MessageKind::kDoubleClick:
            case MessageKind::kWheel:
                m_suppressed = ToolAt(msg.target, msg.point);
                Cancel();
                return;
            case MessageKind::kMouseLeave:
                m_suppressed = {};
                Cancel();
                return;
            default:
                return;
        }
    }

    void Cancel() {
        m_wm.KillTimer(m_popup, kShowTimer);
        m_wm.KillTimer(m_popup, kHideTimer);
        m_pending = {};
        if (m_shown.valid) {
            m_shown = {};
            m_wm.Show(m_popup, false);
        }
        UpdatePoll();
    }

    // The check runs while a tip waits, shows, or is put away for a tool
    // the pointer has not left yet.
    void UpdatePoll() {
        if (m_pending.valid || m_shown.valid || m_suppressed.valid) {
            if (!m_polling) {
                m_wm.SetTimer(m_popup, kPollTimer, kPollMs);
                m_polling = true;
            }
        } else if (m_polling) {
            m_wm.KillTimer(m_popup, kPollTimer);
            m_polling = false;
        }
    }

    bool IsShown() const { return m_shown.valid && m_wm.IsVisible(m_popup); }
    std::string ShownText() const {
        const Tool* t = IsShown() ? Find(m_shown) : nullptr;
        return t ? t->text : std::string();
    }
    WindowId Popup() const { return m_popup; }
    WindowManager& Wm() const { return m_wm; }

    int64_t OnMessage(WindowId self, const Message& msg) override {
        (void)self;
        switch (msg.kind) {
            case MessageKind::kTimer:
                OnTimer(msg.code);
                return 0;
            case MessageKind::kPaint:
                Paint(msg.rect);
                return 0;
            default:
                return kDefault;
        }
    }

private:
    static bool Same(const ToolKey& a, const ToolKey& b) {
        return a.valid && b.valid && a.window == b.window && a.id == b.id;
    }

    void OnTimer(uint32_t id) {
        if (id == kShowTimer) {
            m_wm.KillTimer(m_popup, kShowTimer);
            const Tool* t = Find(m_pending);
            if (t && active && !t->text.empty() && m_wm.MouseButtonsDown() == 0 &&
                Same(ToolUnderPointer(), m_pending)) {
                ShowTip(*t);
            } else {
                Cancel();
            }
        } else if (id == kHideTimer) {
            m_suppressed = m_shown;
            Cancel();
        } else if (id == kPollTimer) {
            ToolKey watched = m_shown.valid ? m_shown : m_pending.valid ? m_pending : m_suppressed;
            if (!Same(ToolUnderPointer(), watched)) {
                m_suppressed = {};
                Cancel();
            }
        }
    }

    void ShowTip(const Tool& tool) {
        Size box = ToolTipBoxSize(tool.text, font);
        int w = box.width;
        int h = box.height;
        Point p = m_wm.CursorPos();
        Rect work = m_wm.WorkArea();
        int x = std::clamp(p.x, work.left, std::max(work.left, work.right - w));
        int y = p.y + kBelowPointer;
        if (y + h > work.bottom) {
            y = p.y - h - 2;  // no room below the pointer: above it
        }
        y = std::clamp(y, work.top, std::max(work.top, work.bottom - h));
        m_shown = m_pending;
        m_pending = {};
        m_wm.Move(m_popup, Rect::FromXywh(x, y, w, h));
        m_wm.Show(m_popup, true);
        m_wm.Invalidate(m_popup);
        m_wm.SetTimer(m_popup, kHideTimer, ToolTip::kShowForMs);
    }

    void Paint(const Rect& area) {
        std::optional<Rect> r = m_wm.GetRect(m_popup);
        const Tool* t = Find(m_shown);
        if (!r || !t) {
            return;
        }
        if (!ReuseOrCreate(m_surface, r->Width(), r->Height())) {
            return;
        }
        {
            Painter painter(*m_surface);
            PaintToolTipBox(painter, m_surface->Bounds(), t->text, font);
        }
        m_wm.Present(m_popup, *m_surface, area);
    }

    WindowManager& m_wm;
    WindowId m_popup;
    ToolKey m_pending;
    ToolKey m_shown;
    ToolKey m_suppressed;  // hidden by a press or the time; back only after leaving
    bool m_polling = false;
    std::unique_ptr<Surface> m_surface;
};

ToolTip::ToolTip(WindowManager& wm, WindowId owner)
    : m_impl(std::make_unique<ToolTipWindow>(wm, owner)) {}

ToolTip::~ToolTip() {
    m_impl->Destroy();
    // Compared, never used, when the manager is gone already.
    WindowManager* wm = &m_impl->Wm();
    ReleaseAfterWindows(wm, std::move(m_impl));
}

bool ToolTip::AddTool(WindowId window, uint32_t toolId, const Rect& area, std::string text) {
    if (!m_impl->Wm().IsAlive(window)) {
        return false;
    }
    RemoveTool(window, toolId);
    m_impl->tools.push_back(Tool{window, toolId, area, std::move(text)});
    return true;
}

bool ToolTip::SetToolText(WindowId window, uint32_t toolId, std::string text) {
    for (Tool& t : m_impl->tools) {
        if (t.window == window && t.id == toolId) {
            t.text = std::move(text);
            if (IsShown()) {
                m_impl->Wm().Invalidate(m_impl->Popup());
            }
            return true;
        }
    }
    return false;
}

bool ToolTip::RemoveTool(WindowId window, uint32_t toolId) {
    m_impl->Forget(window, toolId);
    return std::erase_if(m_impl->tools,
                         [&](const Tool& t) { return t.window == window && t.id == toolId; }) > 0;
}

bool ToolTip::HasTool(WindowId window, uint32_t toolId) const {
    return m_impl->Find(ToolKey{window, toolId, true}) != nullptr;
}

void ToolTip::Activate(bool active) {
    m_impl->active = active;
    if (!active) {
        m_impl->Cancel();
    }
}

bool ToolTip::IsActive() const {
    return m_impl->active;
}

void ToolTip::RelayEvent(const Message& msg) {
    m_impl->Relay(msg);
}

void ToolTip::SetFont(const ControlFont& font) {
    m_impl->font = font;
}

bool ToolTip::IsShown() const {
    return m_impl->IsShown();
}

std::string ToolTip::ShownText() const {
    return m_impl->ShownText();
}

WindowId ToolTip::PopupWindow() const {
    return m_impl->Popup();
}

}  // namespace platform
