// One open window of a popup menu: MenuPopup, part of the menu engine
// behind CGradientMenu (gradient_menu.h); nothing else uses it directly.
//
// A popup is a borderless, topmost, non-activating top-level ("BitmapMenu")
// holding the rows of one menu (a MenuToolBar) right of an optional
// gradient band with a turned caption, inside a three-pixel frame. The
// first popup of a menu holds the mouse capture, so every pointer message
// reaches it; it finds the open popup under the pointer (innermost first)
// and hands the message to that one. The innermost popup has the focus and
// takes the keys. Submenus open beside their item on hover (after
// kSubmenuHoverMs at rest), on a press, on Return or Right; Left and the
// owner's answers to kMenuChar close them.
//
// Ownership: the first popup belongs to CGradientMenu::TrackPopupMenu, each
// submenu to the popup that opened it. A popup is the handler of its window,
// so a closed popup is deleted only after the window layer's last call
// (platform::ReleaseAfterWindows).
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/draw/color.h"
#include "platform/draw/surface.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_manager.h"
#include "ui/widgets/menu_tool_bar.h"

namespace ui {

// How long the pointer rests on an item before its submenu opens (or an
// open submenu of another item closes).
inline constexpr uint32_t kSubmenuHoverMs = 100;

struct MenuAppearance {
    int bandWidth = 0;  // 0: no band
    platform::ColorRef gradientBottom;
    platform::ColorRef gradientTop;
    platform::ColorRef captionColour;
    std::string caption;
    bool layered = false;  // ask for a layered window (constant alpha 255)
};

// What every popup of one tracked menu shares.
struct MenuSession {
    platform::WindowManager& wm;
    platform::WindowId owner;
    bool rightButton = false;  // the right button chooses too
    bool ended = false;
    std::optional<uint32_t> chosen;

    // Ends the menu (at the loop's next turn), choosing `command` if given.
    void End(std::optional<uint32_t> command = std::nullopt) {
        if (!ended) {
            ended = true;
            chosen = command;
        }
    }
};

class MenuPopup final : public platform::WindowHandler {
public:
    // A popup of `items` at submenu depth `level` (0: the first), below
    // `parent` (null for the first). `session` is borrowed and outlives it.
    MenuPopup(MenuSession& session, MenuPopup* parent, const std::vector<MenuItem>& items,
              const MenuAppearance& look, int level);
    ~MenuPopup() override;

    // Makes the hidden window where `place` puts a window of the given
    // size. False when the window layer refuses it.
    bool Create(const std::function<platform::Rect(platform::Size)>& place);
    // Shows it without taking the activation, gives it the focus (the first
    // popup also the capture), makes the first item hot when asked, and
    // sends the owner kMenuEnterLoop.
    void Show(bool firstItemHot);
    // Closes its open submenus, sends the owner kMenuExitLoop and destroys
    // the window. Idempotent.
    void Close();

    platform::WindowId Window() const { return m_window; }
    const MenuToolBar& Bar() const { return m_bar; }
    // The open submenu and the row that opened it; null / -1 when none.
    const MenuPopup* Submenu() const { return m_submenu.get(); }
    int OpenIndex() const { return m_openIndex; }
    // The bar's top-left corner in the window.
    platform::Point BarOrigin() const;

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

private:
    MenuPopup* Innermost();
    // The innermost open popup whose window holds the screen point.
    MenuPopup* PopupAt(platform::Point screen);
    void RoutePointer(const platform::Message& msg, platform::Point screen);
    void OnBarPointer(const platform::Message& msg, platform::Point bar);
    void OnKey(const platform::Message& msg);
    void OnChar(char32_t typed);
    void OnHoverTimer();
    void HoverRow(int index);
    void SetHot(int index);
    void Activate(int index, bool byKey);
    void OpenSubmenu(int index, bool byKey);
    void CloseSubmenu();
    // Keeps the row of the open submenu hot while the pointer is inside it.
    void HoldOpenRow();
    void Paint(const platform::Rect& area);

    MenuSession& m_session;
    MenuPopup* m_parent;
    MenuToolBar m_bar;
    MenuAppearance m_look;
    int m_level;
    platform::WindowId m_window;
    std::unique_ptr<platform::Surface> m_buffer;
    std::unique_ptr<MenuPopup> m_submenu;
    int m_openIndex = -1;
    int m_pressed = -1;       // the row a press started on
    int m_lastSelected = -1;  // the row kMenuSelect last named
};

}  // namespace ui
