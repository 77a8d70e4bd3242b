#include "ui/widgets/menu_popup.h"

#include "platform/controls/release_after_windows.h"
#include "platform/draw/painter.h"
#include "platform/window/window_log.h"
#include "ui/widgets/menu_layout.h"
#include "ui/widgets/menu_look.h"
#include "ui/widgets/menu_notices.h"

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::WindowId;

// The hover timer of a popup window; its only timer.
constexpr uint32_t kHoverTimerId = 1;

bool IsPress(MessageKind kind) {
    return kind == MessageKind::kButtonDown || kind == MessageKind::kDoubleClick;
}

}  // namespace

MenuPopup::MenuPopup(MenuSession& session, MenuPopup* parent, const std::vector<MenuItem>& items,
                     const MenuAppearance& look, int level)
    : m_session(session), m_parent(parent), m_bar(items), m_look(look), m_level(level) {}

MenuPopup::~MenuPopup() = default;

Point MenuPopup::BarOrigin() const {
    return {kMenuFrame + m_look.bandWidth, kMenuFrame};
}

bool MenuPopup::Create(const std::function<Rect(platform::Size)>& place) {
    const platform::Size bar = m_bar.BarSize();
    const platform::Size size{bar.width + m_look.bandWidth + 2 * kMenuFrame,
                              bar.height + 2 * kMenuFrame};
    platform::WindowOptions o;
    o.parent = m_parent ? m_parent->m_window : m_session.owner;
    o.rect = place(size);
    o.className = "BitmapMenu";
    o.popup = true;
    o.topmost = true;
    o.toolWindow = true;
    o.doubleClicks = false;
    o.handler = this;
    m_window = m_session.wm.Create(o);
    if (!m_window) {
        platform::WindowLog("a menu window could not be made");
        return false;
    }
    if (m_look.layered && m_session.wm.SupportsLayered()) {
        m_session.wm.SetOpacity(m_window, 255);
    }
    return true;
}

void MenuPopup::Show(bool firstItemHot) {
    platform::WindowManager& wm = m_session.wm;
    wm.Show(m_window, true);
    wm.SetFocus(m_window);
    if (!m_parent) {
        wm.SetCapture(m_window);
    }
    if (firstItemHot) {
        SetHot(m_bar.Step(-1, +1));
    }
    wm.Send(m_session.owner,
            Message::User(kMenuEnterLoop, 1, static_cast<int64_t>(m_window.Value())));
}

void MenuPopup::Close() {
    CloseSubmenu();
    if (!m_session.wm.IsAlive(m_window)) {
        m_window = {};
        return;
    }
    const WindowId window = m_window;
    m_window = {};
    m_session.wm.Send(m_session.owner,
                      Message::User(kMenuExitLoop, 1, static_cast<int64_t>(window.Value())));
    if (m_parent && m_session.wm.IsAlive(m_parent->m_window)) {
        m_session.wm.SetFocus(m_parent->m_window);
    }
    m_session.wm.Destroy(window);
}

MenuPopup* MenuPopup::Innermost() {
    MenuPopup* p = this;
    while (p->m_submenu) {
        p = p->m_submenu.get();
    }
    return p;
}

MenuPopup* MenuPopup::PopupAt(Point screen) {
    for (MenuPopup* p = Innermost(); p; p = p->m_parent) {
        std::optional<Rect> r = m_session.wm.ScreenRect(p->m_window);
        if (r && r->Contains(screen.x, screen.y)) {
            return p;
        }
    }
    return nullptr;
}

int64_t MenuPopup::OnMessage(WindowId self, const Message& msg) {
    // The final release of a closed popup's window comes after the menu's
    // session (which lives on TrackPopupMenu's stack) has ended: it must
    // not touch the session.
    if (msg.kind == MessageKind::kFinalRelease) {
        return 0;
    }
    if (m_session.ended && msg.kind != MessageKind::kPaint) {
        return 0;  // closing: the loop ends at its next turn
    }
    switch (msg.kind) {
        case MessageKind::kPaint:
            Paint(msg.rect);
            return 0;
        case MessageKind::kMouseMove:
        case MessageKind::kButtonDown:
        case MessageKind::kButtonUp:
        case MessageKind::kDoubleClick:
            if (std::optional<Point> screen = m_session.wm.ClientToScreen(self, msg.point)) {
                MenuPopup* first = this;
                while (first->m_parent) {
                    first = first->m_parent;
                }
                first->RoutePointer(msg, *screen);
            }
            return 0;
        case MessageKind::kKeyDown:
            Innermost()->OnKey(msg);
            return 0;
        case MessageKind::kChar:
            Innermost()->OnChar(static_cast<char32_t>(msg.code));
            return 0;
        case MessageKind::kTimer:
            if (msg.code == kHoverTimerId) {
                OnHoverTimer();
            }
            return 0;
        case MessageKind::kCaptureLost:
        case MessageKind::kClose:
            // Another window took the mouse, or the display asks the menu to go.
            m_session.End();
            return 0;
        default:
            return 0;
    }
}

void MenuPopup::RoutePointer(const Message& msg, Point screen) {
    MenuPopup* target = PopupAt(screen);
    if (!target) {
        if (IsPress(msg.kind)) {
            m_session.End();  // a press outside every menu closes them all
        } else if (msg.kind == MessageKind::kMouseMove) {
            MenuPopup* inner = Innermost();
            if (inner->m_openIndex < 0) {
                inner->SetHot(-1);
            }
        }
        return;
    }
    for (MenuPopup* p = target->m_parent; p; p = p->m_parent) {
        p->HoldOpenRow();
    }
    std::optional<Rect> r = m_session.wm.ScreenRect(target->m_window);
    const Point origin = target->BarOrigin();
    target->OnBarPointer(msg, {screen.x - r->left - origin.x, screen.y - r->top - origin.y});
}

void MenuPopup::OnBarPointer(const Message& msg, Point bar) {
    const int index = m_bar.HitTest(bar);
    if (msg.kind == MessageKind::kMouseMove) {
        HoverRow(index);
        return;
    }
    const bool allowed = msg.button == platform::MouseButton::kLeft ||
                         (msg.button == platform::MouseButton::kRight && m_session.rightButton);
    if (!allowed) {
        return;
    }
    if (IsPress(msg.kind)) {
        SetHot(index);
        m_pressed = index;
        if (m_bar.OpensSubmenu(index)) {
            m_session.wm.KillTimer(m_window, kHoverTimerId);
            OpenSubmenu(index, false);
        }
        return;
    }
    // A release chooses the row the press started on.
    if (index >= 0 && index == m_pressed && m_bar.CanChoose(index)) {
        m_session.End(m_bar.Item(index).id);
    }
    m_pressed = -1;
}

void MenuPopup::HoverRow(int index) {
    SetHot(index);
    const int hot = m_bar.Hot();
    m_session.wm.KillTimer(m_window, kHoverTimerId);
    const bool opensAnother = m_bar.OpensSubmenu(hot) && hot != m_openIndex;
    const bool leavesOpen = m_submenu && hot != m_openIndex;
    if (opensAnother || leavesOpen) {
        m_session.wm.SetTimer(m_window, kHoverTimerId, kSubmenuHoverMs);
    }
}

void MenuPopup::OnHoverTimer() {
    m_session.wm.KillTimer(m_window, kHoverTimerId);
    const int hot = m_bar.Hot();
    if (m_submenu && hot != m_openIndex) {
        CloseSubmenu();
    }
    if (m_bar.OpensSubmenu(hot) && !m_submenu) {
        OpenSubmenu(hot, false);
    }
}

void MenuPopup::HoldOpenRow() {
    if (m_submenu) {
        m_session.wm.KillTimer(m_window, kHoverTimerId);
        SetHot(m_openIndex);
    }
}

void MenuPopup::SetHot(int index) {
    if (!m_bar.SetHot(index)) {
        return;
    }
    m_session.wm.Invalidate(m_window);
    const int hot = m_bar.Hot();
    if (hot >= 0 && hot != m_lastSelected) {
        m_lastSelected = hot;
        const MenuItem& item = m_bar.Item(hot);
        const int64_t param = item.HasSubmenu()
                                  ? MenuSelectParam(static_cast<uint32_t>(hot), kMenuFlagPopup)
                                  : MenuSelectParam(item.id, 0);
        m_session.wm.Send(m_session.owner, Message::User(kMenuSelect, param, m_level));
    }
}

void MenuPopup::Activate(int index, bool byKey) {
    if (m_bar.OpensSubmenu(index)) {
        OpenSubmenu(index, byKey);
    } else if (m_bar.CanChoose(index)) {
        m_session.End(m_bar.Item(index).id);
    }
}

void MenuPopup::OnKey(const Message& msg) {
    switch (msg.key) {
        case platform::Key::kDown:
            SetHot(m_bar.Step(m_bar.Hot(), +1));
            break;
        case platform::Key::kUp:
            SetHot(m_bar.Step(m_bar.Hot(), -1));
            break;
        case platform::Key::kReturn:
            Activate(m_bar.Hot(), true);
            break;
        case platform::Key::kRight:
            if (m_bar.OpensSubmenu(m_bar.Hot())) {
                OpenSubmenu(m_bar.Hot(), true);
            }
            break;
        case platform::Key::kLeft:
            if (m_parent) {
                m_parent->CloseSubmenu();  // ends this popup; its deletion waits
            }
            break;
        case platform::Key::kEscape:
        case platform::Key::kAlt:
            m_session.End();
            break;
        default:
            break;
    }
}

void MenuPopup::OnChar(char32_t typed) {
    const MnemonicHit hit = m_bar.Mnemonic(typed);
    if (hit.index < 0) {
        // No item has it: the owner may close the menu or choose a command.
        const int64_t answer = m_session.wm.Send(
            m_session.owner, Message::User(kMenuChar, static_cast<int64_t>(typed), m_level));
        const uint32_t action = static_cast<uint32_t>(answer >> 16) & 0xFFFFu;
        if (action == kMenuCharClose) {
            m_session.End();
        } else if (action == kMenuCharExecute) {
            m_session.End(static_cast<uint32_t>(answer) & 0xFFFFu);
        }
        return;
    }
    SetHot(hit.index);
    if (hit.unique) {
        Activate(hit.index, true);
    }
}

void MenuPopup::OpenSubmenu(int index, bool byKey) {
    if (m_submenu && m_openIndex == index) {
        return;
    }
    CloseSubmenu();
    platform::WindowManager& wm = m_session.wm;
    wm.Send(m_session.owner, Message::User(kMenuInitPopup, index, m_level + 1));
    std::optional<Rect> mine = wm.ScreenRect(m_window);
    if (m_session.ended || !mine || !m_bar.OpensSubmenu(index)) {
        return;
    }
    const Point origin = BarOrigin();
    const Rect item = m_bar.RowRect(index).Offset(mine->left + origin.x, mine->top + origin.y);
    auto submenu = std::make_unique<MenuPopup>(m_session, this, m_bar.Item(index).submenu, m_look,
                                               m_level + 1);
    const Rect desktop = wm.ScreenArea();
    if (!submenu->Create(
            [&](platform::Size size) { return PlaceSubmenu(item, *mine, size, desktop); })) {
        return;
    }
    m_submenu = std::move(submenu);
    m_openIndex = index;
    SetHot(index);
    m_submenu->Show(byKey);
}

void MenuPopup::CloseSubmenu() {
    if (!m_submenu) {
        return;
    }
    m_submenu->Close();
    platform::ReleaseAfterWindows(&m_session.wm, std::move(m_submenu));
    m_openIndex = -1;
    m_pressed = -1;
}

void MenuPopup::Paint(const Rect& area) {
    std::optional<Rect> r = m_session.wm.GetRect(m_window);
    if (!r) {
        return;
    }
    if (!platform::ReuseOrCreate(m_buffer, r->Width(), r->Height())) {
        return;
    }
    {
        platform::Painter painter(*m_buffer);
        const Rect all = m_buffer->Bounds();
        painter.FillRect(all, kMenuPalette.menu);
        painter.FrameRect(all, kMenuPalette.frame);
        const Point origin = BarOrigin();
        if (m_look.bandWidth > 0) {
            const Rect band{kMenuFrame, kMenuFrame, kMenuFrame + m_look.bandWidth,
                            kMenuFrame + m_bar.BarSize().height};
            painter.FillVerticalGradient(band, platform::ToArgb(m_look.gradientBottom),
                                         platform::ToArgb(m_look.gradientTop));
            if (!m_look.caption.empty()) {
                painter.DrawText(m_look.caption, {band.left + 2, band.top, band.right, band.bottom},
                                 MenuBandFont(), platform::ToArgb(m_look.captionColour));
            }
        }
        m_bar.Paint(painter, origin);
    }
    m_session.wm.Present(m_window, *m_buffer, area);
}

}  // namespace ui
