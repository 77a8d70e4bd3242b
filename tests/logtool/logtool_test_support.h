// Shared pieces of the log tool's tests: a private world in a temporary
// folder (XDG config and data folders, a program folder holding Log.ini and
// the fake client under the name "pemu", an empty current folder and a
// PATH of one empty folder), and helpers around the fake client
// (fake_client.cpp), whose steps come from the FAKE_CLIENT variable.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "logtool/log_paths.h"
#include "logtool/log_session.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace logtool {

// Log.ini naming the sender, as it is installed beside the tool.
inline constexpr const char* kPemuLogIni =
    "[LOG]\n"
    "AppTempFolderName=Pemu Quorvane Sender\n"
    "ININame=Quorvane_Sender.ini\n"
    "SectionName=Quorvane_Sender\n"
    "AppName=pemu\n"
    "MailTo=support@example.com\n";

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Blocks until the process has ended, without reaping it: its owner still
// sees the end through waitpid. True when it ended.
inline bool AwaitExitWithoutReaping(pid_t pid) {
    siginfo_t info{};
    int rc = 0;
    do {
        rc = ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
}

// True while the process exists and has not ended (a zombie has ended).
inline bool IsRunning(pid_t pid) {
    if (::kill(pid, 0) != 0) {
        return false;
    }
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string pidText, name, state;
    stat >> pidText >> name >> state;
    return state != "Z";
}

class LogToolWorld {
public:
    LogToolWorld() {
        for (const char* folder : {"config", "data", "bin", "cwd", "path"}) {
            std::filesystem::create_directory(m_dir.Path() / folder);
        }
        m_env.emplace_back(std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_HOME", Config()));
        m_env.emplace_back(std::make_unique<testsupport::ScopedEnv>("XDG_DATA_HOME", Data()));
        m_env.emplace_back(std::make_unique<testsupport::ScopedEnv>("PATH", Folder("path")));
        m_env.emplace_back(std::make_unique<testsupport::ScopedEnv>("FAKE_CLIENT", std::nullopt));
        WriteText(Folder("bin") + "/Log.ini", kPemuLogIni);
        std::filesystem::create_symlink(FAKE_CLIENT_PROGRAM, Client());
    }

    std::string Folder(const std::string& name) const { return m_dir.File(name); }
    std::string Config() const { return Folder("config"); }
    std::string Data() const { return Folder("data"); }
    // The program folder (the tool's own), holding Log.ini and "pemu".
    std::string Bin() const { return Folder("bin"); }
    std::string Client() const { return Bin() + "/pemu"; }
    // The file the fake client makes once it runs (its "ready" step).
    std::string ReadyFile() const { return Folder("ready"); }

    SessionSetup Setup() const {
        SessionSetup setup;
        setup.currentFolder = Folder("cwd");
        setup.programFolder = Bin();
        return setup;
    }
    LogConfig PemuConfig() const {
        LogConfig c;
        c.appTempFolderName = "Pemu Quorvane Sender";
        c.iniName = "Quorvane_Sender.ini";
        c.sectionName = "Quorvane_Sender";
        c.appName = "pemu";
        c.mailTo = "support@example.com";
        c.folder = Bin();
        return c;
    }
    LogPaths Paths() const { return LogPaths::Under(Config(), Data(), PemuConfig()); }

    // The fake client's steps for every later start (FAKE_CLIENT).
    void SetFake(const std::string& steps) { ::setenv("FAKE_CLIENT", steps.c_str(), 1); }

private:
    testsupport::TempDir m_dir;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> m_env;
};

}  // namespace logtool
