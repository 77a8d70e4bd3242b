#include "app/features/update_check.h"

#include <chrono>
#include <utility>

#include "app/features/feature_host.h"
#include "app/features/message_box.h"
#include "app/features/version_text.h"
#include "app/res/translator.h"
#include "platform/log.h"
#include "platform/url_opener.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "update";
constexpr auto kPumpPeriod = std::chrono::milliseconds(50);

}  // namespace

UpdateCheck::UpdateCheck(FeatureHost& host, std::string defaultBase, appres::FileVersion own)
    : m_host(host), m_defaultBase(std::move(defaultBase)), m_own(own) {}

UpdateCheck::~UpdateCheck() {
    StopWorker();
}

void UpdateCheck::StopWorker() {
    if (m_worker.joinable()) {
        m_abort = true;
        m_worker.join();
    }
    m_abort = false;
}

std::string UpdateCheck::BaseAddress() {
    std::string base = m_host.ReadSetting("UpdateServer");
    if (base.empty()) {
        base = m_defaultBase;
    }
    while (!base.empty() && base.back() == '/') {
        base.pop_back();
    }
    return base;
}

std::string UpdateCheck::RunUpdateCheck(int ms) {
    StopWorker();  // an earlier fetch that outlived its wait
    const uint64_t attempt = ++m_attempt;
    const std::string url = BaseAddress() + kVersionTextPath;
    m_worker = std::thread([this, attempt, url, limits = m_limits] {
        HttpResult r = HttpGet(url, limits, &m_abort);
        if (!r.ok) {
            platform::Log(platform::LogLevel::kWarning, kArea, "version text not fetched: %s",
                          r.error.c_str());
        }
        std::lock_guard<std::mutex> guard(m_lock);
        m_doneAttempt = attempt;
        m_fetchedText = r.ok ? std::move(r.body) : std::string();
        m_done.notify_all();
    });
    std::unique_lock<std::mutex> lock(m_lock);
    const auto finished = [&] { return m_doneAttempt >= attempt; };
    if (ms != 0) {
        m_done.wait_for(lock, std::chrono::milliseconds(ms), finished);
    } else {
        // The fetch ends by its own limits; the window stays alive meanwhile.
        while (!m_done.wait_for(lock, kPumpPeriod, finished)) {
            lock.unlock();
            m_host.PumpMessages();
            lock.lock();
        }
    }
    return finished() ? m_fetchedText : std::string();
}

void UpdateCheck::ShowVersionDialog(const std::string& version, bool newer, int* result) {
    ui::DialogEnvironment& env = m_host.DialogEnv();
    ui::CQKCommonDlg dlg(env);
    dlg.SetType(25);
    dlg.SetVersionText("v" + version);
    dlg.SetUpdateIsNewer(newer);
    dlg.SetDownloadText(appres::Translator::Translate(std::string_view("Download")));
    dlg.SetReference(m_host.MainWindowId());
    const int answer = env.runner ? env.runner->DoModal(dlg) : ui::kIdCancel;
    if (result) {
        *result = answer;
    }
}

int UpdateCheck::Check(bool atStart) {
    if (m_checking) {
        return -1;  // the command again while its check dispatches messages
    }
    m_checking = true;
    const int result = CheckOnce(atStart);
    m_checking = false;
    return result;
}

int UpdateCheck::CheckOnce(bool atStart) {
    m_serverVersion.clear();
    const std::string fetched = RunUpdateCheck(atStart ? kUpdateWaitAtStartMs : 0);
    const std::optional<std::string> text = UsableVersionText(fetched);
    const auto numbers = text ? ParseVersionNumbers(*text) : std::nullopt;
    if (!numbers) {
        if (!fetched.empty()) {
            platform::Log(platform::LogLevel::kWarning, kArea, "unusable version text refused");
        }
        return -1;
    }
    m_serverVersion = *text;
    if (!IsNewerThan(*numbers, m_own)) {
        return 0;
    }
    int answer = ui::kIdCancel;
    ShowVersionDialog(m_serverVersion, true, &answer);
    if (answer != ui::kIdOk) {
        return -2;
    }
    const std::string installer = BaseAddress() + kInstallerPath;
    platform::UrlOpener* opener = m_host.UrlOpener();
    if (!opener || !opener->Open(installer)) {
        // No browser could be started: the user gets the address instead.
        ShowFeatureMessage(m_host, appres::Translator::LoadString(65291), installer);
    }
    if (!atStart) {
        m_host.ExitProgram();
    }
    return 1;
}

int UpdateCheck::CheckForUpdateAtStart() {
    return Check(true);
}

int UpdateCheck::CheckForUpdate() {
    return Check(false);
}

void UpdateCheck::OnCheckForUpdate() {
    if (m_checking) {
        return;
    }
    const int result = CheckForUpdate();
    if (result == -1) {
        ShowFeatureMessage(m_host, 65292, 65381);
    } else if (result == 0) {
        ShowVersionDialog(m_serverVersion, false, nullptr);
    }
}

}  // namespace pemuapp
