#include "app/features/profile_commands.h"

#include <utility>

#include "app/features/feature_host.h"
#include "app/features/message_box.h"
#include "app/maindlg/address_text.h"
#include "platform/log.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/dialogs/profile_file.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "profiles";

}  // namespace

ProfileCommands::ProfileCommands(FeatureHost& host, std::string profilePath)
    : m_host(host),
      m_path(profilePath.empty() ? ui::ProfileFile::InUserConfig().Path()
                                 : std::move(profilePath)) {}

void ProfileCommands::Save(const std::vector<ui::ConnectionProfile>& profiles) {
    ui::ProfileFile file(m_path);
    if (!file.SaveProfiles(profiles)) {
        platform::Log(platform::LogLevel::kWarning, kArea, "the profiles were not saved: %s",
                      file.LastError().c_str());
        ShowFeatureMessage(m_host, "Warning", "The profiles were not saved:\n" + file.LastError());
    }
}

void ProfileCommands::OnSaveProfile() {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    if (!env.runner) {
        return;
    }
    ui::CQKCommonDlg page(env);
    page.SetType(7);
    page.SetReference(m_host.MainWindowId());
    page.SetClient(m_host.Client());
    const ui::ConnectionProfile current = m_host.CurrentConnection();
    page.SetReceiverName(current.name);
    page.SetIpv4(ParseDottedAddress(current.serverIp));
    page.SetUserName(current.userName);
    page.SetLoginCode(current.loginCode);
    ui::ProfileFile file(m_path);
    file.LoadProfiles(page.Profiles());
    if (env.runner->DoModal(page) != ui::kIdOk) {
        return;
    }
    const ui::ConnectionProfile saved = page.CurrentProfile();
    if (saved.name.empty()) {
        platform::Log(platform::LogLevel::kInfo, kArea, "a profile without a name is not saved");
        return;
    }
    std::vector<ui::ConnectionProfile> profiles{saved};
    for (const ui::ConnectionProfile& p : page.Profiles()) {
        if (p.name != saved.name) {
            profiles.push_back(p);
        }
    }
    Save(profiles);
}

void ProfileCommands::OnManageProfile() {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    if (!env.runner) {
        return;
    }
    // The list page reads the file itself when it opens.
    ui::CQKCommonDlg list(env);
    list.SetType(13);
    list.SetReference(m_host.MainWindowId());
    list.SetClient(m_host.Client());
    // An empty list saves nothing: the page's own remove button rewrites
    // the file, and a list that never came from it must not empty it.
    if (env.runner->DoModal(list) == ui::kIdOk && !list.Profiles().empty()) {
        Save(list.Profiles());
    }
}

}  // namespace pemuapp
