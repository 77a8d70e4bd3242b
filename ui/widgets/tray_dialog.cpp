#include "ui/widgets/tray_dialog.h"

#include <cstdio>

#include "app/res/dialog_templates.h"
#include "app/res/version_info.h"
#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"
#include "ui/widgets/gradient_menu.h"

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::TrayAction;

// The tray menu's texts by position; string id 0 is the version line.
struct PositionText {
    size_t position;
    uint32_t stringId;
};
constexpr PositionText kTrayTexts[] = {
    {0, 65427},  // "Change password"
    {1, 65428},  // "Manually add device"
    {3, 65378},  // "Check for update"
    {4, 0},      // the version line
    {6, 65249},  // "Exit"
};

// The mode items, in whichever menu holds them.
struct CommandText {
    uint32_t command;
    uint32_t stringId;
};
constexpr CommandText kModeTexts[] = {
    {2020, 65429},   // "Mirror"
    {2021, 65430},   // "Extend"
    {20228, 65425},  // "Game Mode"
    {20229, 65426},  // "Multimedia Mode"
};

constexpr uint32_t kGameMode = 20228;
constexpr uint32_t kMultimediaMode = 20229;
constexpr uint32_t kMirror = 2020;
constexpr uint32_t kExtend = 2021;

// The class name by which the double click finds the main window.
constexpr char kMainWindowClass[] = "Pemu Quorvane Sender";

}  // namespace

std::string TrayVersionLine() {
    const appres::FileVersion v = appres::ProgramFileVersion();
    char line[96];
    std::snprintf(line, sizeof(line), "Ver %u.%u.%u.%u  %s", unsigned{v.major}, unsigned{v.minor},
                  unsigned{v.build}, unsigned{v.revision}, appres::ProgramBuildDate());
    return line;
}

void FillTrayMenuTexts(MenuModel& menu, const MenuTextLoader& texts) {
    const MenuTextLoader& load = texts ? texts : EnglishMenuTexts();
    for (const PositionText& row : kTrayTexts) {
        if (row.position < menu.Items().size() && !menu.Items()[row.position].separator) {
            menu.SetTextAt(row.position, row.stringId ? load(row.stringId) : TrayVersionLine());
        }
    }
    for (const CommandText& row : kModeTexts) {
        if (MenuItem* item = menu.FindCommand(row.command)) {
            item->text = load(row.stringId);
        }
    }
}

CTrayDialog::CTrayDialog(MenuTextLoader texts, IconLoader icons)
    : m_texts(std::move(texts)), m_icons(std::move(icons)) {}

CTrayDialog::~CTrayDialog() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (wm && wm->IsAlive(m_window)) {
        wm->Destroy(m_window);
    }
}

bool CTrayDialog::Create(platform::WindowId owner) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    const appres::DialogTemplate* t = appres::DialogTemplates::Find(kMainDialogTemplate);
    if (!wm || !t || m_window) {
        return false;
    }
    const platform::Rect work = wm->WorkArea();
    platform::WindowOptions o;
    o.parent = owner;
    o.rect = platform::Rect::FromXywh(work.left + (work.Width() - t->size.width) / 2,
                                      work.top + (work.Height() - t->size.height) / 2,
                                      t->size.width, t->size.height);
    o.className = t->windowClass ? t->windowClass : "";
    o.title = t->title;
    o.handler = this;
    m_window = wm->Create(o);
    return static_cast<bool>(m_window);
}

void CTrayDialog::InitTray(std::string tip, uint32_t menuId) {
    LoadIcon(kTrayIconIdle);
    m_tip = std::move(tip);
    std::optional<MenuModel> menu = MenuModel::FromResource(menuId, m_texts);
    if (!menu) {
        platform::WindowLog("tray menu %u is not a menu resource", menuId);
        return;
    }
    m_trayMenu = std::move(*menu);
    FillTrayMenuTexts(m_trayMenu, m_texts);
}

void CTrayDialog::LoadIcon(uint32_t iconId) {
    if (!m_icons) {
        return;  // the creator gave no pictures: the tray shows its blank icon
    }
    std::unique_ptr<platform::Image> icon = m_icons(iconId);
    if (!icon) {
        platform::WindowLog("tray icon %u is missing; the previous one stays", iconId);
        return;
    }
    m_icon = std::move(icon);
}

const platform::Surface* CTrayDialog::IconPicture() const {
    return m_icon ? &m_icon->Pixels() : nullptr;
}

void CTrayDialog::SetTrayIcon(uint32_t iconId, bool add) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm || !wm->IsAlive(m_window)) {
        return;
    }
    LoadIcon(iconId);
    if (add && !m_inTray) {
        if (wm->AddTrayIcon(m_window, kTrayIconId, IconPicture(), m_tip)) {
            m_inTray = true;
            wm->Show(m_window, false);
        }
    } else if (m_inTray) {
        wm->ModifyTrayIcon(m_window, kTrayIconId, IconPicture(), m_tip);
    }
}

bool CTrayDialog::MinimizeToTray() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (m_inTray || !wm || !wm->IsAlive(m_window)) {
        return false;
    }
    if (!wm->AddTrayIcon(m_window, kTrayIconId, IconPicture(), m_tip)) {
        platform::WindowLog("the tray refused the icon; the window stays");
        return false;
    }
    m_inTray = true;
    wm->Show(m_window, false);
    return true;
}

int CTrayDialog::UpdateMenuChecks(uint32_t commandId) {
    if (commandId > 20227) {
        m_trayMenu.CheckRadioItem(kGameMode, kMultimediaMode,
                                  m_playMode ? kGameMode : kMultimediaMode);
    } else if (commandId == kMirror || commandId == kExtend) {
        m_trayMenu.CheckRadioItem(kMirror, kExtend, m_displayMode ? kExtend : kMirror);
    }
    return 0;
}

int64_t CTrayDialog::OnMessage(platform::WindowId self, const Message& msg) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    switch (msg.kind) {
        case MessageKind::kCreate:
            m_window = self;
            return 0;
        case MessageKind::kDestroy:
            if (m_inTray && wm) {
                wm->RemoveTrayIcon(self, kTrayIconId);
            }
            m_inTray = false;
            return 0;
        case MessageKind::kTray:
            OnTray(msg);
            return 0;
        case MessageKind::kTimer:
            if (msg.code != kTrayClickTimerId) {
                break;
            }
            wm->KillTimer(self, kTrayClickTimerId);
            if (!m_doubleClicked) {
                wm->Raise(self);
            }
            return 0;
        case MessageKind::kUser:
            if (msg.code >= kMinimizeFirst && msg.code <= kMinimizeLast) {
                OnMinimizeRequest();
                return 0;
            }
            break;
        default:
            break;
    }
    return kDefault;
}

void CTrayDialog::OnMinimizeRequest() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!m_minimizeToTray) {
        wm->Minimize(m_window);
        return;
    }
    if (m_inTray) {
        wm->Show(m_window, false);  // the icon that brings it back is there
        return;
    }
    if (!MinimizeToTray()) {
        // No tray to hide in: an ordinary minimise, so the request still works.
        wm->Minimize(m_window);
    }
}

void CTrayDialog::OnTray(const Message& msg) {
    if (msg.param != kTrayIconId) {
        return;
    }
    switch (static_cast<TrayAction>(msg.code)) {
        case TrayAction::kRightDown:
            OnTrayRButtonDown(msg.point);
            break;
        case TrayAction::kLeftDown:
            OnTrayLButtonDown(msg.point);
            break;
        case TrayAction::kLeftDoubleClick:
            OnTrayLButtonDblClk(msg.point);
            break;
        case TrayAction::kRightDoubleClick:
            OnTrayRButtonDblClk(msg.point);
            break;
        case TrayAction::kMouseMove:
            OnTrayMouseMove(msg.point);
            break;
        case TrayAction::kLeftUp:
        case TrayAction::kRightUp:
            break;
    }
}

// The dialog comes to the front only once it is clear that no double click
// follows: a one-shot timer instead of a wait that would run other handlers.
void CTrayDialog::OnTrayLButtonDown(Point) {
    m_doubleClicked = false;
    platform::WindowManager::Current()->SetTimer(m_window, kTrayClickTimerId, kClickWaitMs);
}

void CTrayDialog::OnTrayLButtonDblClk(Point) {
    m_doubleClicked = true;
    platform::WindowManager* wm = platform::WindowManager::Current();
    wm->KillTimer(m_window, kTrayClickTimerId);
    platform::WindowId main = wm->FindTopLevel(kMainWindowClass, "");
    if (main && m_minimizeToTray) {
        wm->PostCommand(main, kCommandShowMain);
    }
}

void CTrayDialog::OnTrayRButtonDown(Point screen) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    wm->Raise(m_window);
    MenuModel menu = m_trayMenu;
    if (m_defaultItem != 0) {
        menu.SetDefaultItem(m_defaultItem);
    }
    CGradientMenu popup(std::move(menu));
    popup.TrackPopupMenu(m_window, screen, std::nullopt, kMenuRightButton | kMenuBottomAlign);
}

void CTrayDialog::OnTrayRButtonDblClk(Point) {}

void CTrayDialog::OnTrayMouseMove(Point) {}

}  // namespace ui
