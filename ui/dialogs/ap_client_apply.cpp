#include "ui/dialogs/ap_client_apply.h"

#include "platform/log.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/ap_client_protocol.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/main_window_services.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {

void FinishApClientApply(CQKCommonDlg& dialog, VRXClient& client, const std::string& key,
                         const std::string& ownSsid) {
    CommonDialogWindow* window = dialog.RunningWindow();
    if (window) {
        window->EndDialog(kIdOk);
    }
    MainWindowServices* main = dialog.Environment().mainWindow;
    if (main) {
        main->StoreDeviceNameAndWifiKey(key);
        main->ShowReceiverRebootNotice();
    }
    dialog.SetFixedProfileSsid(ownSsid);
    if (window) {
        window->ArmFixedProfileRemoval();
    }
    std::string ignored;
    if (client.ForwardMessageText(kApClientMessageId, kApClientReboot, &ignored) < 0) {
        platform::Log(platform::LogLevel::kWarning, "dialog",
                      "the receiver did not take the reboot request");
    }
    platform::WindowManager* wm = platform::WindowManager::Current();
    const platform::WindowId mainWindow = main ? main->MainWindowId() : platform::WindowId();
    if (wm && mainWindow && !wm->SetTimer(mainWindow, kMainTimerRebootExit, kRebootExitDelayMs)) {
        platform::Log(platform::LogLevel::kWarning, "dialog",
                      "the main window's exit timer could not be armed");
    }
}

}  // namespace ui
