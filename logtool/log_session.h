// One collection of logs: LogSession, the core both front ends (the window
// and the command line) drive.
//
//   Start(mode)      reads Log.ini again, switches the client's logging on
//                    (settings_edit.h) and starts the client; on any error
//                    nothing is started and Error() says why
//   ClientHasEnded() the watch: asked every kWatchIntervalMs by the front
//                    end's timer or loop
//   StopClient()     ends the started client (by its process, SIGTERM and
//                    then SIGKILL after 2000 ms), nothing else
//   Finish()         collects the system log and opens the log folder or a
//                    mail message (mode), stopping the client first if it
//                    still runs; the session is then idle again
//
// The client is the process this session started, kept as a ChildProcess:
// it is never looked for or ended by name, and a session that ends while
// the client runs stops it.
//
// THREADING: one owner thread (the user-interface thread in the window).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "logtool/finish.h"
#include "logtool/log_config.h"
#include "logtool/log_paths.h"
#include "logtool/system_log.h"
#include "platform/child_process.h"
#include "platform/url_opener.h"

namespace logtool {

// How often the front ends look whether the client still runs.
inline constexpr uint32_t kWatchIntervalMs = 3000;
// How long a stopped client may take to end before it is killed.
inline constexpr uint32_t kStopGraceMs = 2000;

// 1: open the log folder; 2: send the log by mail.
enum class FinishMode { kOpenFolder = 1, kMail = 2 };

struct SessionSetup {
    std::string currentFolder;
    std::string programFolder;  // where this tool is
    std::string chosenClient;   // the client the user named; empty: found by AppName
    bool openResult = true;     // false: the result is named, not opened
    SystemLogLimits systemLogLimits;
};

struct CollectionResult {
    std::string clientEnd;  // how the client ended
    std::string systemLog;  // "System log: ..."
    FinishResult finish;
    // The lines above for the user, one per line.
    std::string Text() const;
};

class LogSession {
public:
    // `opener` is borrowed (null: no opener installed).
    LogSession(SessionSetup setup, platform::UrlOpener* opener);
    ~LogSession();
    LogSession(const LogSession&) = delete;
    LogSession& operator=(const LogSession&) = delete;

    // Log.ini as it is now (for the window's texts).
    ConfigResult ReadConfig() const;

    // See above. False with Error() when nothing was started; also false
    // while a client is being watched.
    bool Start(FinishMode mode);
    const std::string& Error() const { return m_error; }
    // A remark of the last Start that did not stop it (empty: none).
    const std::string& Notice() const { return m_notice; }

    bool IsWatching() const { return m_client != nullptr; }
    pid_t ClientPid() const { return m_client ? m_client->Pid() : -1; }
    const std::string& ClientPath() const { return m_clientPath; }
    FinishMode Mode() const { return m_mode; }
    // Of the last Start that read them.
    const LogConfig& Config() const { return m_config; }
    const LogPaths& Paths() const { return m_paths; }

    // True when no client is watched or the watched one has ended.
    bool ClientHasEnded();
    void StopClient();
    // Only while watching; an idle session gives an empty result.
    CollectionResult Finish();

private:
    SessionSetup m_setup;
    platform::UrlOpener* m_opener;
    LogConfig m_config;
    LogPaths m_paths;
    FinishMode m_mode = FinishMode::kOpenFolder;
    std::unique_ptr<platform::ChildProcess> m_client;
    std::string m_clientPath;
    std::time_t m_startTime = 0;
    bool m_stopped = false;
    std::optional<int> m_status;  // wait status once ended
    std::string m_error;
    std::string m_notice;
};

}  // namespace logtool
