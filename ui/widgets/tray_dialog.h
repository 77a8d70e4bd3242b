// The main window's base: CTrayDialog, a dialog (template 102) that owns
// the program's notification-area icon and its menu.
//
// The icon (id 1) goes into the tray when the program adds it (SetTrayIcon
// with add, or MinimizeToTray) and leaves it with the window. Its pictures
// are the skin's 16 x 16 tray images: 261 projecting, 262 logged in, 263
// idle. The menu is the program's menu 248 shown by the popup-menu engine
// (CGradientMenu), its texts filled by position from the string table
// through the text loader the creator passes (translated in the program).
//
// Tray input arrives as kTray messages (screen points) and becomes five
// overridable operations: a right press opens the menu at the point; a left
// press raises the dialog after kClickWaitMs unless a double click came
// first; a double click asks the main window to show itself (command
// kCommandShowMain). A minimise request (kUser with a code from
// kMinimizeFirst to kMinimizeLast) hides the window into the tray when
// minimise-to-tray is on.
//
// A derived dialog handles its own messages and passes the rest to
// CTrayDialog::OnMessage. Ownership: the dialog owns its window, icon
// picture and menu; the loaders are the creator's. The dialog is the
// window's handler: delete it outside message handling (or through
// WindowManager::DeleteSoon), as the program does at its end.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/draw/image.h"
#include "platform/window/window_handler.h"
#include "platform/window/window_id.h"
#include "ui/widgets/menu_model.h"

namespace ui {

inline constexpr uint32_t kTrayIconId = 1;
inline constexpr uint32_t kTrayIconProjecting = 261;
inline constexpr uint32_t kTrayIconLoggedIn = 262;
inline constexpr uint32_t kTrayIconIdle = 263;
inline constexpr uint32_t kTrayMenuId = 248;
inline constexpr uint32_t kMainDialogTemplate = 102;
// The command a double click posts to the main window: show it and its search page.
inline constexpr uint32_t kCommandShowMain = 10373;
// The system's minimise request, as the kUser code of a window's menu command.
inline constexpr uint32_t kMinimizeFirst = 0xF020;
inline constexpr uint32_t kMinimizeLast = 0xF02F;
// How long a left press waits for the second press of a double click.
inline constexpr uint32_t kClickWaitMs = 300;
// The dialog's timer for that wait; outside the ids the main dialog uses.
inline constexpr uint32_t kTrayClickTimerId = 0x7E01;

// The text of the version item: "Ver 1.2.3.4  Jan  6 2015" (file version
// and build date, two blanks between).
std::string TrayVersionLine();

// Fills the texts of the tray menu: the table's rows by position (keeping
// each item's command), the version item with TrayVersionLine(), and the
// mode items 2020, 2021, 20228 and 20229 wherever a menu holds them.
void FillTrayMenuTexts(MenuModel& menu, const MenuTextLoader& texts);

class CTrayDialog : public platform::WindowHandler {
public:
    // A picture of the skin by resource id; nullptr when it is missing.
    using IconLoader = std::function<std::unique_ptr<platform::Image>(uint32_t id)>;

    // `texts` gives the menu texts (default: English); `icons` the tray
    // pictures (default: none, the tray shows its blank icon).
    explicit CTrayDialog(MenuTextLoader texts = {}, IconLoader icons = {});
    ~CTrayDialog() override;
    CTrayDialog(const CTrayDialog&) = delete;
    CTrayDialog& operator=(const CTrayDialog&) = delete;

    // Makes the dialog's window from template 102 (class, title and size),
    // hidden, centred on the work area, owned by `owner`. False when there
    // is no window manager or the layer refuses the window.
    bool Create(platform::WindowId owner = {});
    platform::WindowId Window() const { return m_window; }

    // Loads icon 263 and the tip, and menu `menuId` with its texts.
    void InitTray(std::string tip, uint32_t menuId = kTrayMenuId);
    // Shows icon `iconId` (a missing picture keeps the previous one): with
    // `add` and the icon not in the tray yet, adds it and, when that works,
    // hides the window; with the icon in the tray, changes its picture.
    void SetTrayIcon(uint32_t iconId, bool add);
    // Adds the icon and hides the window. False when it is in the tray
    // already (nothing added) or the tray refused it (the window stays).
    bool MinimizeToTray();
    // Sets the radio marks of the pairs 20228/20229 (ids above 20227; the
    // play-mode flag checks 20228) and 2020/2021 (the display-mode flag
    // checks 2021) in the tray menu; other ids change nothing. Answers 0.
    int UpdateMenuChecks(uint32_t commandId);

    bool InTray() const { return m_inTray; }
    void SetMinimizeToTray(bool on) { m_minimizeToTray = on; }
    bool MinimizesToTray() const { return m_minimizeToTray; }
    void SetDisplayMode(bool on) { m_displayMode = on; }
    void SetPlayMode(bool on) { m_playMode = on; }
    // The command shown as the menu's default (bold) item; 0 for none.
    void SetDefaultMenuItem(uint32_t commandId) { m_defaultItem = commandId; }
    MenuModel& TrayMenu() { return m_trayMenu; }
    const std::string& TrayTip() const { return m_tip; }

    int64_t OnMessage(platform::WindowId self, const platform::Message& msg) override;

protected:
    // Tray input (screen points).
    virtual void OnTrayLButtonDown(platform::Point screen);
    virtual void OnTrayLButtonDblClk(platform::Point screen);
    virtual void OnTrayRButtonDown(platform::Point screen);
    virtual void OnTrayRButtonDblClk(platform::Point screen);
    virtual void OnTrayMouseMove(platform::Point screen);

private:
    void OnTray(const platform::Message& msg);
    void OnMinimizeRequest();
    void LoadIcon(uint32_t iconId);
    const platform::Surface* IconPicture() const;

    MenuTextLoader m_texts;
    IconLoader m_icons;
    platform::WindowId m_window;
    bool m_inTray = false;
    uint32_t m_defaultItem = 0;
    MenuModel m_trayMenu;
    std::string m_tip;
    std::unique_ptr<platform::Image> m_icon;
    bool m_minimizeToTray = true;
    bool m_displayMode = false;
    bool m_playMode = true;
    bool m_doubleClicked = false;
};

}  // namespace ui
