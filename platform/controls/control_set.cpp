#include "platform/controls/control_set.h"

#include "platform/controls/control_look.h"
#include "platform/controls/release_after_windows.h"
#include "platform/draw/painter.h"
#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"

namespace platform {

ControlSet::ControlSet(WindowManager& wm, WindowId dialog) : m_wm(&wm), m_dialog(dialog) {}

ControlSet::~ControlSet() {
    bool layer = WindowManager::Current() == m_wm;
    if (layer) {
        for (Control* c : m_order) {
            if (m_wm->IsAlive(c->Window())) {
                m_wm->Destroy(c->Window());
            }
        }
    }
    m_order.clear();
    auto controls = std::make_unique<std::vector<std::unique_ptr<Control>>>(std::move(m_controls));
    ReleaseAfterWindows(layer ? m_wm : nullptr, std::move(controls));
}

bool ControlSet::AddControl(std::unique_ptr<Control> control, const ControlOptions& options,
                            WindowId parent) {
    if (!control) {
        return false;
    }
    Control* raw = control.get();
    // Kept before its window exists: the window's first messages (kCreate,
    // kShow) may already look the control up.
    m_controls.push_back(std::move(control));
    m_order.push_back(raw);
    if (!raw->Attach(*m_wm, *this, parent ? parent : m_dialog, options)) {
        WindowLog("control %u: the window layer refused its window", options.id);
        m_order.pop_back();
        std::unique_ptr<Control> dropped = std::move(m_controls.back());
        m_controls.pop_back();
        ReleaseAfterWindows(m_wm, std::move(dropped));
        return false;
    }
    return true;
}

Control* ControlSet::Find(uint32_t id) const {
    for (Control* c : m_order) {
        if (c->Id() == id) {
            return c;
        }
    }
    return nullptr;
}

Control* ControlSet::FindByWindow(WindowId window) const {
    for (Control* c : m_order) {
        if (c->Window() == window) {
            return c;
        }
    }
    return nullptr;
}

std::optional<ControlColours> ControlSet::ColoursFor(const Control& control) const {
    if (!m_colours) {
        return std::nullopt;
    }
    return m_colours(control.Id(), control.Kind());
}

void ControlSet::PaintOver(Surface& surface, const Rect& area) const {
    Rect clip = area.Intersect(surface.Bounds());
    if (clip.IsEmpty()) {
        return;
    }
    Painter painter(surface);
    for (Control* c : m_order) {
        if (!c->IsVisible()) {
            continue;
        }
        Rect bounds = c->BoundsInTopLevel();
        Rect visible = bounds.Intersect(clip);
        if (visible.IsEmpty()) {
            continue;
        }
        ClipTo scope(painter, visible);
        c->Paint(painter, bounds);
    }
}

bool ControlSet::Present(const Surface& backBuffer, const Rect& area) {
    std::optional<Rect> dialog = m_wm->GetRect(m_dialog);
    if (!dialog) {
        return false;
    }
    int w = dialog->Width();
    int h = dialog->Height();
    if (!m_scratch || m_scratch->Width() != w || m_scratch->Height() != h) {
        m_scratch = Surface::Create(w, h);
        if (!m_scratch) {
            return false;
        }
    }
    Rect r = area.Intersect(backBuffer.Bounds()).Intersect(m_scratch->Bounds());
    if (r.IsEmpty()) {
        return true;
    }
    {
        Painter painter(*m_scratch);
        painter.CopyFrom(backBuffer, r, {r.left, r.top});
    }
    PaintOver(*m_scratch, r);
    return m_wm->Present(m_dialog, *m_scratch, r);
}

}  // namespace platform
