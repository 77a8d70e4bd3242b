#include "platform/controls/control.h"

#include <cmath>

#include "platform/controls/control_set.h"
#include "platform/window/window_manager.h"

namespace platform {

ControlFont ControlFont::FromPixels(std::string family, int pixels, int weight) {
    ControlFont font;
    font.family = std::move(family);
    font.points = pixels * 72.0 / 96.0;
    font.weight = weight;
    return font;
}

int ControlFont::PixelSize() const {
    return std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0)));
}

TextStyle ControlFont::Style(TextAlign horizontal, TextAlign vertical) const {
    TextStyle style;
    style.family = family;
    style.pixelSize = PixelSize();
    style.weight = weight;
    style.horizontal = horizontal;
    style.vertical = vertical;
    style.singleLine = true;
    return style;
}

Control::~Control() {
    // The set destroys the windows first; this covers a control whose
    // window outlived it some other way.
    if (m_wm && WindowManager::Current() == m_wm && m_wm->IsAlive(m_window)) {
        m_wm->Destroy(m_window);
    }
}

bool Control::Attach(WindowManager& wm, ControlSet& set, WindowId parent,
                     const ControlOptions& options) {
    m_wm = &wm;
    m_set = &set;
    m_id = options.id;
    m_text = options.text;
    WindowOptions o = ChildWindowOptions(parent, options.rect, this);
    o.controlId = options.id;
    o.visible = false;  // shown below, once the control knows its window
    o.enabled = options.enabled;
    o.layer = WindowLayer::kControl;
    o.doubleClicks = false;
    Configure(o);
    m_window = wm.Create(o);
    if (!m_window) {
        return false;
    }
    OnAttached();
    if (options.visible) {
        wm.Show(m_window, true);
    }
    return true;
}

WindowId Control::TopLevel() const {
    return m_wm ? m_wm->TopLevelOf(m_window) : WindowId{};
}

bool Control::Show(bool visible) {
    return m_wm && m_wm->Show(m_window, visible);
}

bool Control::IsVisible() const {
    return m_wm && m_wm->IsVisible(m_window);
}

bool Control::Enable(bool enabled) {
    if (!m_wm || !m_wm->Enable(m_window, enabled)) {
        return false;
    }
    Redraw();
    return true;
}

bool Control::IsEnabled() const {
    return m_wm && m_wm->IsEnabled(m_window);
}

bool Control::Move(const Rect& rect) {
    return m_wm && m_wm->Move(m_window, rect);
}

Rect Control::GetRect() const {
    std::optional<Rect> r = m_wm ? m_wm->GetRect(m_window) : std::nullopt;
    return r ? *r : Rect{};
}

bool Control::SetFocus() {
    return m_wm && m_wm->SetFocus(m_window);
}

bool Control::HasFocus() const {
    return m_wm && m_window && m_wm->Focus() == m_window;
}

void Control::SetText(std::string_view text) {
    if (m_text == text) {
        return;
    }
    m_text = std::string(text);
    Redraw();
}

void Control::SetFont(const ControlFont& font) {
    m_font = font;
    OnFontChanged();
    Redraw();
}

Rect Control::BoundsInTopLevel() const {
    if (!m_wm) {
        return {};
    }
    WindowId top = m_wm->TopLevelOf(m_window);
    std::optional<Point> origin = m_wm->ClientToScreen(m_window, {0, 0});
    std::optional<Point> topOrigin = m_wm->ClientToScreen(top, {0, 0});
    std::optional<Rect> rect = m_wm->GetRect(m_window);
    if (!origin || !topOrigin || !rect) {
        return {};
    }
    return Rect::FromXywh(origin->x - topOrigin->x, origin->y - topOrigin->y, rect->Width(),
                          rect->Height());
}

int64_t Control::OnMessage(WindowId self, const Message& msg) {
    (void)self;
    switch (msg.kind) {
        case MessageKind::kFocusIn:
        case MessageKind::kFocusOut:
            Redraw();
            return 0;
        default:
            return kDefault;
    }
}

void Control::Notify(int64_t code, int64_t param2) {
    if (!m_wm) {
        return;
    }
    WindowId parent = m_wm->Parent(m_window);
    Message m = Message::Command(m_id, code);
    m.param2 = param2;
    m_wm->Send(parent, m);
}

void Control::Redraw() {
    if (m_wm && m_wm->IsAlive(m_window)) {
        m_wm->Invalidate(m_window);
    }
}

void Control::Bell() {
    if (m_wm) {
        m_wm->Bell();
    }
}

ControlColours Control::ResolveColours(const ControlColours& defaults) const {
    if (m_set) {
        if (std::optional<ControlColours> c = m_set->ColoursFor(*this)) {
            return *c;
        }
    }
    return defaults;
}

}  // namespace platform
