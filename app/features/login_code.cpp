#include "app/features/login_code.h"

#include <algorithm>
#include <cstring>

#include "app/features/feature_host.h"
#include "app/settings/sender_settings.h"
#include "platform/log.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "logincode";

}  // namespace

LoginCodeFeature::LoginCodeFeature(FeatureHost& host)
    : m_host(host),
      m_code(host.Settings().loginCode),
      m_firstStart(host.Settings().firstTimeStartApplication) {}

std::optional<std::string> LoginCodeFeature::AskForCode(int type, bool layered,
                                                        const std::string& initial) {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    ui::CQKCommonDlg dlg(env);
    dlg.SetType(type);
    dlg.SetLayered(layered);
    dlg.SetClient(m_host.Client());
    dlg.SetLoginCode(initial);
    dlg.SetInitialText(initial);
    dlg.SetReference(m_host.MainWindowId());
    if (!env.runner || env.runner->DoModal(dlg) != ui::kIdOk) {
        return std::nullopt;
    }
    return dlg.LoginCode();
}

bool LoginCodeFeature::Store(const std::string& code) {
    m_code = code;
    platform::Log(platform::LogLevel::kInfo, kArea, "LoginCode changed: %s",
                  code.empty() ? "(none)" : "xxxx");
    return m_host.WriteSetting("LoginCode", code);
}

void LoginCodeFeature::ShowFirstStartLoginCodeDialog() {
    if (!m_firstStart) {
        return;
    }
    const std::string offered = m_code.empty() ? SenderServer::MakeRandomLoginCode() : m_code;
    if (const auto code = AskForCode(35, false, offered)) {
        Store(*code);
    }
    m_firstStart = false;
    m_host.WriteSetting("FirstTimeStartApplication", "false");
}

void LoginCodeFeature::SetupSenderIdentity() {
    ReplySenderDiscovery::AnnounceType record;
    const std::string name = m_host.UserName();
    // The field keeps a terminating zero.
    const size_t n = std::min(name.size(), sizeof(record.senderName) - 1);
    std::memcpy(record.senderName, name.data(), n);
    record.senderName[n] = '\0';
    m_host.HandOverSenderIdentity(record);
    HandOver();
}

void LoginCodeFeature::HandOver() {
    if (m_code.empty()) {
        m_host.HandOverLoginCode(SenderServer::kNoLoginCode, "");
    } else {
        m_host.HandOverLoginCode(SenderServer::kGivenLoginCode, m_code);
    }
}

void LoginCodeFeature::OnChangeLoginCode() {
    m_host.ShowMainWindow();
    if (m_changeOpen) {
        return;
    }
    m_changeOpen = true;
    if (const auto code = AskForCode(31, true, m_code)) {
        Store(*code);
        HandOver();
    }
    m_changeOpen = false;
}

void LoginCodeFeature::OnShowLoginCode() {
    if (m_code.empty() || m_code == kFixedDefaultLoginCode) {
        return;
    }
    m_host.ShowLoginCodeOverlay(m_code);
}

}  // namespace pemuapp
