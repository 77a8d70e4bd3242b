#include "app/startup/command_runner.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include "app/startup/command_checks.h"
#include "platform/socket.h"
#include "platform/user_name.h"
#include "platform/wide_text.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

// How long a new client waits for the receiver's record.
constexpr int kConnectTimeoutSeconds = 10;
// Receivers that may project or pause at one time.
constexpr int kMaxProjecting = 4;
// The split position of a whole-screen start.
constexpr uint8_t kFullScreen = 128;

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

uint32_t ParseAddress(const std::string& text) {
    in_addr a{};
    return ::inet_pton(AF_INET, text.c_str(), &a) == 1 ? a.s_addr : 0;
}

const char* Masked(const std::string& code) {
    return code.empty() ? "(none)" : "xxxx";
}

}  // namespace

CommandRunner::CommandRunner(Hooks hooks, Logger* log) : m_hooks(std::move(hooks)), m_log(log) {
    if (!m_hooks.fileExists) {
        m_hooks.fileExists = IsRegularFile;
    }
    if (m_hooks.userName.empty()) {
        m_hooks.userName = platform::UserName();
    }
}

CommandRunner::~CommandRunner() = default;

int CommandRunner::Fail(const char* action, const char* why) {
    QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: %s not done: %s", action, why);
    return -1;
}

void CommandRunner::RunQueued(CommandActionQueue& queue) {
    if (m_running) {
        return;  // a pumped wait inside an action: that action's caller takes it
    }
    m_running = true;
    CommandAction action;
    while (queue.Take(&action)) {
        if (m_exited) {
            QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: Action=%s dropped after Exit",
                   action.action.c_str());
            continue;
        }
        Run(action);
    }
    m_running = false;
}

int CommandRunner::Run(const CommandAction& a) {
    QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: Action=%s IP=%s ID=%s LoginCode=%s",
           a.action.c_str(), a.ip.c_str(), a.id.c_str(), Masked(a.code));
    if (a.action.empty()) {
        return -1;
    }
    if (a.action == "Login") {
        return RunLogin(a);
    }
    if (a.action == "Presentation") {
        return RunPresentation(a);
    }
    if (a.action == "Video") {
        return RunVideo(a);
    }
    if (a.action == "Stop" || a.action == "Pause") {
        return RunStopOrPause(a, a.action == "Pause");
    }
    if (a.action == "StopAll") {
        StopAll();
    } else if (a.action == "Exit") {
        StopAll();
        m_exited = true;
        if (m_hooks.onExit) {
            m_hooks.onExit();
        }
    } else {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: unknown action ignored");
    }
    return 1;
}

int CommandRunner::FindClientByAddress(const std::string& address) const {
    for (size_t i = 0; i < m_clients.size(); ++i) {
        if (platform::FormatIPv4(m_clients[i].address) == address) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int CommandRunner::GetOrCreateClient(const std::string& address) {
    if (const int found = FindClientByAddress(address); found >= 0) {
        return found;
    }
    const uint32_t ipv4 = ParseAddress(address);
    if (ipv4 == 0) {
        // 0.0.0.0 passes the text check but names no receiver.
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: no receiver at %s", address.c_str());
        return -1;
    }
    ClientEntry entry;
    entry.client = m_hooks.makeClient ? m_hooks.makeClient() : nullptr;
    if (!entry.client) {
        return -1;
    }
    DevAnnounce record;
    const int rc = entry.client->ConnectToDeviceThruIP(ipv4, &record, kConnectTimeoutSeconds);
    if (rc < 0) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: %s cannot be reached (%d)",
               address.c_str(), rc);
        return -1;  // the new client goes
    }
    // The address asked for, not the record's: a later Stop finds the
    // client by the address its command line names.
    entry.address = ipv4;
    entry.name = record.GetName();
    entry.codeMode = record.GetCodeMode();
    m_clients.push_back(std::move(entry));
    return static_cast<int>(m_clients.size()) - 1;
}

bool CommandRunner::EnsureLoggedIn(ClientEntry& entry, const std::string& user,
                                   const std::string& code) {
    if (entry.client->GetStatus() != kVrxDisconnected) {
        return true;  // connected already: no second login
    }
    if (entry.codeMode == 0 && code.empty()) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: %s asks for a login code; none given",
               platform::FormatIPv4(entry.address).c_str());
        return false;
    }
    const int rc = entry.client->Login(entry.address, user.c_str(), code.c_str());
    if (rc < 0) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: login to %s failed (%d)",
               platform::FormatIPv4(entry.address).c_str(), rc);
        return false;
    }
    return true;
}

CommandRunner::ClientEntry* CommandRunner::LoggedInClient(const CommandAction& a,
                                                          const std::string& user, int* result) {
    if (!IsValidIPv4Text(a.ip)) {
        *result = Fail(a.action.c_str(), "bad address");
        return nullptr;
    }
    if (!IsValidLoginCodeText(a.code)) {
        *result = Fail(a.action.c_str(), "bad login code");
        return nullptr;
    }
    const int index = GetOrCreateClient(a.ip);
    if (index < 0) {
        *result = -1;
        return nullptr;
    }
    ClientEntry& entry = m_clients[static_cast<size_t>(index)];
    // A failed login ends the action; it is no failed check.
    *result = 1;
    return EnsureLoggedIn(entry, user, a.code) ? &entry : nullptr;
}

int CommandRunner::RunLogin(const CommandAction& a) {
    int result = 1;
    LoggedInClient(a, m_hooks.userName, &result);
    return result;
}

int CommandRunner::RunPresentation(const CommandAction& a) {
    const std::string id = a.id.empty() ? "0" : a.id;
    // Without a code, only the positions 0 to 4 are accepted.
    if (a.code.size() != 4 && (id.size() != 1 || id[0] < '0' || id[0] > '4')) {
        return Fail("Presentation", "bad position");
    }
    int result = 1;
    ClientEntry* entry = LoggedInClient(a, a.name.empty() ? m_hooks.userName : a.name, &result);
    if (!entry) {
        return result;
    }
    int projecting = 0;
    for (const ClientEntry& c : m_clients) {
        const int status = c.client->GetStatus();
        projecting += status == kVrxProjecting || status == kVrxPaused;
    }
    if (projecting >= kMaxProjecting) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: %d receivers project already",
               projecting);
        return 1;
    }
    const uint8_t position = id.size() == 1 && id[0] >= '1' && id[0] <= '4'
                                 ? static_cast<uint8_t>(id[0] - '0')
                                 : kFullScreen;
    entry->client->StartPlayImage(position);
    return 1;
}

int CommandRunner::RunVideo(const CommandAction& a) {
    int result = 1;
    ClientEntry* entry = LoggedInClient(a, a.name.empty() ? m_hooks.userName : a.name, &result);
    if (!entry) {
        return result;
    }
    for (const ClientEntry& c : m_clients) {
        const int status = c.client->GetStatus();
        if (status == kVrxMediaPlaying || status == kVrxMediaPaused) {
            QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: a media file plays already");
            return 1;
        }
    }
    if (!m_hooks.fileExists(a.path)) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: no file %s", a.path.c_str());
        return 1;
    }
    entry->client->PlayVideoFileW(platform::Utf8ToWide(a.path), true, 0);
    return 1;
}

int CommandRunner::RunStopOrPause(const CommandAction& a, bool pause) {
    if (!IsValidIPv4Text(a.ip)) {
        return Fail(pause ? "Pause" : "Stop", "bad address");
    }
    const int index = FindClientByAddress(a.ip);
    if (index < 0) {
        QK_LOG(m_log, LOG_DEBUG, "ProcessCommandLineFile: no client for %s", a.ip.c_str());
        return 1;
    }
    VRXClient& client = *m_clients[static_cast<size_t>(index)].client;
    if (!pause) {
        client.StopVideoFile();
        client.StopPlayImage();
        return 1;
    }
    switch (client.GetStatus()) {
        case kVrxProjecting:
            client.PausePlayImage();
            break;
        case kVrxPaused:
            // Resumed where it was paused: a split-screen picture is not
            // turned into a whole-screen one.
            client.StartPlayImage(client.GetPlayImageMode());
            break;
        case kVrxMediaPlaying:
        case kVrxMediaPaused:
            client.PauseResumeVideoFile();
            break;
        default:
            break;
    }
    return 1;
}

void CommandRunner::StopAll() {
    for (ClientEntry& c : m_clients) {
        c.client->StopVideoFile();
        c.client->StopPlayImage();
    }
}

}  // namespace pemuapp
