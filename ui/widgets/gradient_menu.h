// The program's popup menus: CGradientMenu.
//
// A menu drawn by the program instead of the desktop: a borderless popup
// window per open (sub)menu with one row per item (MenuToolBar) in a fixed
// palette and font, and an optional band down the left side filled with a
// vertical gradient and a caption running bottom to top. Submenus open
// beside their item on hover, on a press or by key; Up, Down, Return,
// Right, Left, Escape, Alt and mnemonic characters work as in a system menu.
// This is the one popup-menu engine of the program (the tray menu too).
//
// TrackPopupMenu runs the menu to its end in a nested message loop that
// disables no window (WindowManager::RunUntil); the owner meanwhile gets
// the menu notices of menu_notices.h, and the chosen command arrives as a
// posted kCommand once every menu window is gone. The menu ends when an
// item is chosen, on Escape or Alt, on a press outside every menu window,
// when the owner loses the activation or when its window ends.
//
// Not a window itself: the object holds the menu and its look, and lives on
// the caller's stack while it runs; the windows it opens are its own and
// are gone when TrackPopupMenu returns.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_id.h"
#include "ui/widgets/menu_model.h"
#include "ui/widgets/menu_popup.h"

namespace ui {

// TrackPopupMenu flags.
inline constexpr uint32_t kMenuRightButton = 1u << 0;  // the right button chooses too
inline constexpr uint32_t kMenuBottomAlign = 1u << 1;  // the menu's bottom edge at the point
// Construction flag: open with the first item hot (as when opened by key).
inline constexpr uint32_t kMenuFirstItemHot = 0x100;

class CGradientMenu final : private platform::MessageObserver {
public:
    // A menu of `menu`; with `band` set, a band `bandWidth` pixels wide
    // runs down its left side (and down its submenus'). `flags` may hold
    // kMenuFirstItemHot.
    explicit CGradientMenu(MenuModel menu, int bandWidth = 0, bool band = false,
                           uint32_t flags = 0);
    ~CGradientMenu() override;
    CGradientMenu(const CGradientMenu&) = delete;
    CGradientMenu& operator=(const CGradientMenu&) = delete;

    // The band's gradient (from the bottom colour up to the top colour), its
    // caption and the caption's colour.
    void SetGradient(platform::ColorRef bottom, platform::ColorRef top);
    void SetCaption(std::string caption, platform::ColorRef colour);
    // Asks for layered menu windows (constant alpha 255) where the display has them.
    void SetLayered(bool layered) { m_look.layered = layered; }

    MenuModel& Menu() { return m_menu; }

    // Shows the menu at the screen point `at` for `owner` and runs it until
    // it ends (see above). `exclude` (screen) is an area the menu must not
    // cover when it can avoid it; `flags`: kMenuRightButton,
    // kMenuBottomAlign. Returns 1 when the menu ran, 0 when it could not:
    // no window manager, a dead owner, an empty menu, a menu already
    // running, or a window the layer refused.
    int TrackPopupMenu(platform::WindowId owner, platform::Point at,
                       const std::optional<platform::Rect>& exclude = std::nullopt,
                       uint32_t flags = 0);

    // While TrackPopupMenu runs: its first menu window (null otherwise).
    // The submenus hang below it (MenuPopup::Submenu).
    const MenuPopup* OpenMenu() const { return m_open.get(); }

private:
    void OnObservedMessage(platform::WindowId window, const platform::Message& msg) override;

    MenuModel m_menu;
    MenuAppearance m_look;
    uint32_t m_flags;
    MenuSession* m_session = nullptr;
    std::unique_ptr<MenuPopup> m_open;
};

}  // namespace ui
