// The common dialog's widget events: hover and leave of the tiles and
// volume buttons, and the click of every control id (common_dispatch.h).
#include "ui/dialogs/common_dialog_window.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/res/dialog_templates.h"
#include "app/res/translator.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/draw/painter.h"
#include "platform/window/window_limits.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/common_dialog_placement.h"
#include "ui/dialogs/common_dispatch.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/common_layout_tables.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/main_window_services.h"
#include "ui/dialogs/page_operations.h"
#include "ui/widgets/language_menu_hook.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/template_controls.h"
#include "ui/widgets/wnd_shadow.h"

namespace ui {
namespace {

using platform::Message;

constexpr uint32_t kListId = 1009;
// Pointer events of the widgets; presses that carry no action here.
constexpr uint32_t kEventHover = 0x4000000;
constexpr uint32_t kEventLeave = 0x8000000;
constexpr uint32_t kEventPress = 0x1000000;
constexpr uint32_t kEventPressLoginKey = 0x2000000;

}  // namespace

// --- Widget events ------------------------------------------------------------

void CommonDialogWindow::OnItemClicked(CQKin& widget, uint32_t flags) {
    if (flags == kEventHover || flags == kEventLeave) {
        OnPointerEvent(widget, flags);
        return;
    }
    if (flags == kEventPress || flags == kEventPressLoginKey) {
        return;
    }
    OnClick(widget);
}

void CommonDialogWindow::OnPointerEvent(CQKin& widget, uint32_t flags) {
    const uint32_t id = widget.ControlId();
    if (id >= 30176 && id <= 30179) {
        if (PageOperations* pages = m_dialog.Environment().pages) {
            pages->OnTileHover(m_dialog, flags, id);
        }
        // The tiles are PNG widgets: the picture they show is their PNG.
        const int picture = flags == kEventHover ? 5204 : 5205;
        if (widget.PngFlag()) {
            widget.ChangePngImage(picture);
        } else {
            widget.LoadBitmapResource(picture);
        }
        if (flags == kEventHover) {
            widget.SetVisibleFlag(true);
        }
        widget.DrawToBackBuffer();
        BlitWidgetRect(widget);
        return;
    }
    if (id == 30186 || id == 30187) {
        if (flags == kEventHover) {
            if (!m_dialog.TurnOffAudio() && !m_volumeDisabled) {
                widget.SetVisibleFlag(true);
            }
        } else {
            BlitWidgetRect(widget);
        }
    }
}

void CommonDialogWindow::OnClick(CQKin& widget) {
    const uint32_t id = widget.ControlId();
    const int type = m_dialog.Type();
    PageOperations* pages = m_dialog.Environment().pages;
    switch (ClassifyClick(id, type)) {
        case ClickAction::kNone:
            break;
        case ClickAction::kCancel:
            EndDialog(kIdCancel);
            break;
        case ClickAction::kCancelResult2:
            m_resultCode = 2;
            EndDialog(kIdCancel);
            break;
        case ClickAction::kCancelThenResult0:
            EndDialog(kIdCancel);
            m_resultCode = 0;
            break;
        case ClickAction::kOk:
            EndDialog(kIdOk);
            break;
        case ClickAction::kOkResult1:
            m_resultCode = 1;
            CloseShadow();
            EndDialog(kIdOk);
            break;
        case ClickAction::kSelectedRowOk:
            SelectedRowOk();
            break;
        case ClickAction::kConfirmPrompt:
            if (type == 30 || type == 31) {
                StoreTypedPassword();
            } else if (type == 33) {
                if (pages) {
                    pages->ApplyVolumePageSettings(m_dialog);
                }
            } else if (pages) {
                pages->StorePromptInput(m_dialog);
            } else {
                StoreTypedPassword();
            }
            CloseShadow();
            EndDialog(kIdOk);
            break;
        case ClickAction::kRefreshReceivers: {
            if (m_busy) {
                break;
            }
            m_busy = true;
            MainWindowServices* main = m_dialog.Environment().mainWindow;
            if (auto* list = m_controls->Get<platform::ListControl>(kListId)) {
                list->DeleteAllRows();
            }
            if (main) {
                std::vector<DevAnnounce> found;
                main->RunDeviceDiscover(found);
                m_dialog.Receivers().clear();
                for (const DevAnnounce& a : found) {
                    const uint32_t ip = ntohl(a.GetIPv4());
                    char text[16];
                    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF,
                                  (ip >> 8) & 0xFF, ip & 0xFF);
                    m_dialog.Receivers().push_back({a.GetName(), text});
                }
                if (auto* list = m_controls->Get<platform::ListControl>(kListId)) {
                    int row = 0;
                    for (const DiscoveredReceiver& r : m_dialog.Receivers()) {
                        list->InsertRow(row, r.ip);
                        list->SetCell(row, 1, r.name);
                        ++row;
                    }
                    if (row > 0) {
                        list->Select(0);
                    }
                }
            }
            m_busy = false;
            break;
        }
        case ClickAction::kProfileConnect:
            TakeSelectedProfileOk();
            break;
        case ClickAction::kProfileSecurityOk: {
            const std::string key = ControlText(1012);
            if (CheckSecurityKey(key, ControlText(1013)) == KeyCheck::kAccepted) {
                m_dialog.CurrentProfile().key = key;
                EndDialog(kIdOk);
            } else {
                Beep();
            }
            break;
        }
        case ClickAction::kQuickConnectSave:
            if (type == 18) {
                StoreQuickConnect();
            } else if (pages) {
                pages->OnProfileCommand(m_dialog, id);
            }
            EndDialog(kIdOk);
            break;
        case ClickAction::kScanAccessPoints:
            ScanAccessPoints();
            break;
        case ClickAction::kKeyCheck:
            KeyCheckThenOk();
            break;
        case ClickAction::kProfileKey:
        case ClickAction::kProfileCommand:
            if (pages) {
                pages->OnProfileCommand(m_dialog, id);
            }
            break;
        case ClickAction::kManualConnect:
            if (pages) {
                pages->ManualConnectByIp(m_dialog);
            }
            break;
        case ClickAction::kManualAdd:
            // The looking-for-receiver page ends with a receiver it logged in
            // to by address: the receiver is chosen.
            if (pages && pages->ManualConnectByIp(m_dialog) && type == 28 && !m_ended &&
                !m_dialog.Receivers().empty()) {
                m_dialog.SetSelectedRow(static_cast<int>(m_dialog.Receivers().size()) - 1);
                CloseShadow();
                EndDialog(kIdOk);
            }
            break;
        case ClickAction::kMessageCancel:
            CloseShadow();
            EndDialog(kIdCancel);
            break;
        case ClickAction::kApClientApply:
            m_wm->SetOverrideCursor(platform::CursorShape::kWait);
            if (pages) {
                pages->ApplyApClientSettings(m_dialog);
            }
            m_wm->SetOverrideCursor(std::nullopt);
            break;
        case ClickAction::kApClientChoose:
            if (pages) {
                pages->ChooseAccessPoint(m_dialog);
            }
            break;
        case ClickAction::kUpdateDownload:
            EndDialog(m_dialog.UpdateIsNewer() ? kIdOk : kIdCancel);
            break;
        case ClickAction::kDontAskToggle:
            m_dontAsk = !m_dontAsk;
            m_dialog.SetCheckFlag(m_dontAsk ? 1 : 0);
            if (auto* b = dynamic_cast<CQKButton*>(&widget)) {
                b->SetState(m_dontAsk ? 2 : 0);
            }
            break;
        case ClickAction::kChangePassword:
            if (DialogRunner* runner = m_dialog.Environment().runner) {
                CQKCommonDlg prompt(m_dialog.Environment());
                prompt.SetType(31);
                prompt.SetReference(m_dialog.Reference());
                prompt.SetLoginCode(m_dialog.LoginCode());
                if (runner->DoModal(prompt) == kIdOk) {
                    m_dialog.SetLoginCode(prompt.LoginCode());
                }
            }
            break;
        case ClickAction::kVolumeConfirm:
            if (pages) {
                pages->ApplyVolumePageSettings(m_dialog);
            }
            CloseShadow();
            EndDialog(kIdOk);
            if (pages) {
                pages->OnLanguageSelected(m_dialog, m_dialog.Language());
            }
            break;
        case ClickAction::kLanguageMenu: {
            platform::WindowId menu = LanguageMenuHook::OpenMenu();
            if (menu && m_wm->IsAlive(menu)) {
                m_wm->Post(menu, Message::Close());
            } else {
                RunLanguageMenu();
            }
            break;
        }
        case ClickAction::kLanguageEntry: {
            // The entry's English caption names the language.
            const LayoutElement* record = nullptr;
            for (const LayoutElement& e : LayoutTableOf(39)) {
                if (e.id == id) {
                    record = &e;
                }
            }
            m_dialog.SetLanguage(record ? record->Text() : widget.Caption());
            EndDialog(kIdOk);
            break;
        }
        case ClickAction::kTroubleshoot:
            StartSelfCheck();
            break;
        case ClickAction::kPageExit:
            // Like a close request: the creator takes it for "to the tray".
            m_resultCode = 2;
            m_dialog.SetCloseCode(2);
            CloseShadow();
            m_wm->KillTimer(m_window, kTimerDots);
            EndDialog(kIdCancel);
            break;
        case ClickAction::kTileChosen: {
            const size_t index = id - 30176;
            if (index < m_dialog.Receivers().size()) {
                m_dialog.SetSelectedRow(static_cast<int>(index));
                CloseShadow();
                EndDialog(kIdOk);
            }
            break;
        }
        case ClickAction::kVolumeMinimum:
            if (!m_volumeDisabled) {
                m_dialog.SetVolume(0);
                DrawVolumeSlider();
            }
            break;
        case ClickAction::kVolumeMaximum:
            if (!m_volumeDisabled) {
                m_dialog.SetVolume(157);
                DrawVolumeSlider();
                if (pages) {
                    pages->ApplyVolumePageSettings(m_dialog);
                }
            }
            break;
        case ClickAction::kTurnOffAudio:
            if (!m_volumeDisabled) {
                m_dialog.SetTurnOffAudio(!m_dialog.TurnOffAudio());
                if (m_dialog.TurnOffAudio()) {
                    m_dialog.SetVolume(0);
                }
                widget.LoadBitmapResource(m_dialog.TurnOffAudio() ? 5218 : 5217);
                if (pages) {
                    pages->ApplyVolumePageSettings(m_dialog);
                }
                DrawElements();
                m_wm->Invalidate(m_window);
            }
            break;
        case ClickAction::kFrameSync:
            m_dialog.SetTurnOffVsync(!m_dialog.TurnOffVsync());
            if (pages) {
                pages->ApplyVolumePageSettings(m_dialog);
            }
            DrawElements();
            m_wm->Invalidate(m_window);
            break;
        case ClickAction::kSetPasswordEnter:
            StoreTypedPassword();
            EndDialog(kIdOk);
            break;
        case ClickAction::kMinimise:
            m_wm->Minimize(m_window);
            break;
    }
}

bool CommonDialogWindow::ScanAccessPoints() {
    if (m_busy) {
        return false;
    }
    m_busy = true;
    auto* list = m_controls ? m_controls->Get<platform::ListControl>(kListId) : nullptr;
    const bool done = m_scan.Run(m_dialog, m_dialog.Environment().wifi, list, m_window);
    m_busy = false;
    return done;
}

void CommonDialogWindow::RunLanguageMenu() {
    DialogRunner* runner = m_dialog.Environment().runner;
    if (!runner) {
        return;
    }
    CQKCommonDlg menu(m_dialog.Environment());
    menu.SetType(39);
    menu.SetLanguage(m_dialog.Language());
    menu.SetReference(m_window);
    const platform::WindowId caller = m_window;
    platform::WindowManager* wm = m_wm;
    // A nested loop: no window is disabled, and a press anywhere closes it.
    if (runner->DoModal(menu) == kIdOk) {
        m_dialog.SetLanguage(menu.Language());
        // Only a caller still alive hears of the choice.
        if (wm->IsAlive(caller)) {
            wm->PostCommand(caller, kCommandLanguageChosen);
        }
    }
}

void CommonDialogWindow::StartSelfCheck() {
    PageOperations* pages = m_dialog.Environment().pages;
    if (!pages || m_selfCheck.joinable()) {
        if (m_selfCheck.joinable()) {
            return;
        }
    }
    if (pages) {
        platform::WindowManager* wm = m_wm;
        const platform::WindowId window = m_window;
        m_selfCheck = std::thread([pages, wm, window] {
            const int result = pages->CheckNetwork();
            // 0 passed; 1 no valid address; 2 no answer.
            const int code = result == 0 ? 0 : (result == -1 ? 1 : 2);
            wm->PostCommand(window, kCommandCheckResult, code);
        });
    }
    ShowBox(34, "", "Network connection checking...");
}

int CommonDialogWindow::VolumeValue() const {
    return m_dialog.Volume();
}

void CommonDialogWindow::SetVolumeValue(int value) {
    m_dialog.SetVolume(value);
}

void CommonDialogWindow::DrawVolumeSlider() {
    DrawElements();
    for (uint32_t id : {30193u, 30194u, 30195u}) {
        if (CQKin* w = FindWidget(id)) {
            BlitWidgetRect(*w);
        }
    }
}

}  // namespace ui
