#include "logtool/log_session.h"

#include <sys/wait.h>

#include <cstdlib>

#include "logtool/client_program.h"
#include "logtool/settings_edit.h"

namespace logtool {
namespace {

// The search path journalctl is looked for on when PATH is not set.
constexpr const char* kDefaultPath = "/bin:/usr/bin";

std::string ProgramName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string EndText(const std::string& program, int status, bool stopped) {
    if (stopped) {
        return program + " was stopped.";
    }
    if (WIFEXITED(status)) {
        return program + " ended with code " + std::to_string(WEXITSTATUS(status)) + ".";
    }
    return program + " ended by signal " + std::to_string(WTERMSIG(status)) + ".";
}

}  // namespace

std::string CollectionResult::Text() const {
    std::string text;
    for (const std::string* line : {&clientEnd, &systemLog, &finish.message}) {
        if (!line->empty()) {
            text += (text.empty() ? "" : "\n") + *line;
        }
    }
    return text;
}

LogSession::LogSession(SessionSetup setup, platform::UrlOpener* opener)
    : m_setup(std::move(setup)), m_opener(opener) {}

LogSession::~LogSession() = default;

ConfigResult LogSession::ReadConfig() const {
    return LoadLogConfig(m_setup.currentFolder, m_setup.programFolder);
}

bool LogSession::Start(FinishMode mode) {
    m_error.clear();
    m_notice.clear();
    if (m_client) {
        m_error = "a client is already being watched";
        return false;
    }
    ConfigResult read = ReadConfig();
    if (!read.config) {
        m_error = read.error;
        return false;
    }
    std::optional<LogPaths> paths = LogPaths::FromUserFolders(*read.config, &m_error);
    if (!paths) {
        return false;
    }
    // The program is found before anything is written: a tool that cannot
    // start its client changes nothing.
    std::string program = FindClientProgram(read.config->appName, m_setup.chosenClient,
                                            m_setup.programFolder, m_setup.currentFolder, &m_error);
    if (program.empty() || !PrepareLogging(*read.config, *paths, &m_error, &m_notice)) {
        return false;
    }
    m_startTime = std::time(nullptr);
    m_client = RunClient(program, &m_error);
    if (!m_client) {
        return false;
    }
    m_config = std::move(*read.config);
    m_paths = std::move(*paths);
    m_clientPath = std::move(program);
    m_mode = mode;
    m_stopped = false;
    m_status.reset();
    return true;
}

bool LogSession::ClientHasEnded() {
    if (!m_client) {
        return true;
    }
    int status = 0;
    if (m_client->HasExited(&status)) {
        m_status = status;
        return true;
    }
    return false;
}

void LogSession::StopClient() {
    if (m_client && !ClientHasEnded()) {
        m_stopped = true;
        m_status = m_client->Terminate(kStopGraceMs);
    }
}

CollectionResult LogSession::Finish() {
    CollectionResult result;
    if (!m_client) {
        return result;
    }
    StopClient();
    result.clientEnd = EndText(ProgramName(m_clientPath), m_status.value_or(0), m_stopped);
    m_client.reset();
    const char* path = std::getenv("PATH");
    result.systemLog = CollectSystemLog(m_startTime, m_paths.systemLog, m_setup.systemLogLimits,
                                        path ? path : kDefaultPath)
                           .line;
    result.finish = m_mode == FinishMode::kMail
                        ? SendLogByMail(m_opener, m_config.mailTo, m_config.appTempFolderName,
                                        m_paths.sdkLog, m_setup.openResult)
                        : OpenLogFolder(m_opener, m_paths.logFolder, m_setup.openResult);
    return result;
}

}  // namespace logtool
