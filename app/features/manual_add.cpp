#include "app/features/manual_add.h"

#include "app/features/conference_info.h"
#include "app/features/feature_host.h"
#include "app/maindlg/address_text.h"
#include "platform/log.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_runner.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "manualadd";

}  // namespace

bool ManualAdd::HandToCompanionWindow() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm || !wm->IsUiThread()) {
        return false;
    }
    const platform::WindowId companion = wm->FindTopLevel("", kCompanionWindowTitle);
    if (!companion) {
        return false;
    }
    wm->Show(companion, true);
    wm->PostCommand(companion, kCmdConnectByAddress);
    return true;
}

bool ManualAdd::OnManualAddDevice() {
    platform::Log(platform::LogLevel::kInfo, kArea, "OnManualAddDevice");
    if (HandToCompanionWindow()) {
        platform::Log(platform::LogLevel::kInfo, kArea, "OnManualAddDevice:___END");
        return false;
    }
    ui::DialogEnvironment& env = m_host.DialogEnv();
    if (m_running || !env.runner) {
        return false;  // the running add keeps its page
    }
    m_running = true;
    ui::CQKCommonDlg page(env);
    page.SetType(32);
    page.SetReference(m_host.MainWindowId());
    page.SetClient(m_host.Client());
    page.SetReceiverName(m_host.CurrentConnection().name);
    const int result = env.runner->DoModal(page);
    // The page keeps a typed address only when it is a dotted IPv4 one.
    const uint32_t address = result == ui::kIdOk ? page.Ipv4() : 0;
    bool added = false;
    if (address != 0) {
        const std::string dotted = DottedAddress(address);
        m_host.AddListedReceiver("", dotted);
        if (m_host.LoginToReceiver(dotted)) {
            added = true;
            const std::string name = m_host.CurrentConnection().name;
            if (!name.empty()) {
                m_host.AddListedReceiver(name, dotted);
            }
            m_conference.FetchConferenceInfo();
            m_host.ShowMainWindow();
        } else {
            m_host.ResetProjectionState();
        }
    }
    m_running = false;
    platform::Log(platform::LogLevel::kInfo, kArea, "OnManualAddDevice:___END");
    return added;
}

}  // namespace pemuapp
