#include "app/startup/startup.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>

#include "app/startup/command_file.h"
#include "platform/clock.h"
#include "platform/file_lock.h"
#include "platform/syserror.h"
#include "platform/text_file.h"
#include "platform/user_folders.h"
#include "platform/window/instance_command_server.h"
#include "platform/window/single_instance_lock.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

using Clock = std::chrono::steady_clock;

// Between two tries to reach the running copy.
constexpr uint32_t kRetryStepMs = 50;
// A writer holds the command lock for at most its own hand-off wait; the
// next one waits that long and some more.
constexpr int kCommandLockSlackMs = 5000;

class Startup {
public:
    Startup(const StartupHooks& hooks, const StartupEnvironment& env)
        : m_hooks(hooks), m_env(env) {}

    int Run(const std::vector<std::string>& args);

private:
    int RunFirstCopy(std::unique_ptr<platform::SingleInstanceLock> lock,
                     std::map<std::string, std::string> options, const CommandAction* action);
    int HandOff(const CommandAction& action, std::map<std::string, std::string> options);
    int AskToRestore(std::map<std::string, std::string> options);
    // Sends `command` until the running copy takes it or the wait ends. On
    // the way the lock may come free: then *lock holds it.
    int SendToRunningCopy(const char* command, std::unique_ptr<platform::SingleInstanceLock>* lock,
                          std::string* reason);
    void OnCommand(const std::string& command);
    void Report(const char* format, ...) __attribute__((format(printf, 2, 3)));

    const StartupHooks& m_hooks;
    const StartupEnvironment& m_env;
    CommandActionQueue m_actions;
};

void Startup::Report(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (m_env.log) {
        QK_LOG(m_env.log, LOG_WARN, "%s", text);
    } else {
        std::fprintf(m_env.err, "%s: %s\n", m_env.programName.c_str(), text);
    }
}

int Startup::Run(const std::vector<std::string>& args) {
    // The installer's call: nothing to do, and no lock to take.
    if (args.size() == 1 && args[0] == "CreateFireWall") {
        return 0;
    }
    ParsedCommandLine parsed = ParseCommandLine(args, m_hooks.longOptions);
    switch (parsed.result) {
        case ParsedCommandLine::Result::kHelp:
            std::fputs(UsageText(m_env.programName, m_hooks.longOptions).c_str(), m_env.out);
            return 0;
        case ParsedCommandLine::Result::kInvalid:
            std::fprintf(m_env.err, "%s: %s (see --help)\n", m_env.programName.c_str(),
                         parsed.error.c_str());
            return 2;
        case ParsedCommandLine::Result::kNoAction:
        case ParsedCommandLine::Result::kAction:
            break;
    }
    std::unique_ptr<platform::SingleInstanceLock> lock;
    const auto taken =
        platform::SingleInstanceLock::TryAcquire(kInstanceName, m_env.instanceFolder, &lock);
    if (taken == platform::SingleInstanceLock::Result::kError) {
        std::fprintf(m_env.err, "%s: no usable instance folder; see the messages above\n",
                     m_env.programName.c_str());
        return 1;
    }
    const bool hasAction = parsed.result == ParsedCommandLine::Result::kAction;
    if (lock) {
        return RunFirstCopy(std::move(lock), std::move(parsed.options),
                            hasAction ? &parsed.action : nullptr);
    }
    return hasAction ? HandOff(parsed.action, std::move(parsed.options))
                     : AskToRestore(std::move(parsed.options));
}

int Startup::RunFirstCopy(std::unique_ptr<platform::SingleInstanceLock> lock,
                          std::map<std::string, std::string> options, const CommandAction* action) {
    if (action) {
        m_actions.Push(*action);  // run once the window has started
    }
    auto server = platform::InstanceCommandServer::Start(
        kInstanceName, m_env.instanceFolder, [this](const std::string& c) { OnCommand(c); });
    if (!server) {
        // The program still runs; later starts will say they got no answer.
        Report("later starts cannot reach this copy: no command socket");
    }
    StartupContext context{m_actions, std::move(options), m_env.paths};
    const int status = m_hooks.runMainWindow ? m_hooks.runMainWindow(context) : 0;
    server.reset();  // before the lock: a later start finds no socket, then a free lock
    lock.reset();
    return status;
}

void Startup::OnCommand(const std::string& command) {
    if (command == kRestoreCommand) {
        if (m_hooks.onRestore) {
            m_hooks.onRestore();
        }
        return;
    }
    if (command != kHandOffCommand) {
        Report("unknown command \"%.40s\" from another start ignored", command.c_str());
        return;
    }
    CommandAction action;
    std::string reason;
    if (!TakeCommandFile(m_env.paths, &action, &reason)) {
        Report("hand-off without a usable command file: %s", reason.c_str());
        return;
    }
    m_actions.Push(std::move(action));
    if (m_hooks.onActionQueued) {
        m_hooks.onActionQueued();
    }
}

int Startup::SendToRunningCopy(const char* command,
                               std::unique_ptr<platform::SingleInstanceLock>* lock,
                               std::string* reason) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_env.handOffWaitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        const int rc =
            platform::SendInstanceCommand(kInstanceName, m_env.instanceFolder, command,
                                          std::max<int>(1, static_cast<int>(left.count())));
        if (rc == 0) {
            return 0;
        }
        *reason = rc == -ENOENT || rc == -ECONNREFUSED ? "it does not listen for commands"
                  : rc == -ETIMEDOUT                   ? "it gave no answer"
                                                       : platform::SystemErrorText(-rc);
        if (rc == -ENOENT || rc == -ECONNREFUSED) {
            // No socket: the copy is starting, or has just ended.
            if (platform::SingleInstanceLock::TryAcquire(kInstanceName, m_env.instanceFolder,
                                                         lock) ==
                platform::SingleInstanceLock::Result::kAcquired) {
                return 1;
            }
        }
        if (Clock::now() >= deadline) {
            return -1;
        }
        platform::SleepMs(kRetryStepMs);
    }
}

int Startup::HandOff(const CommandAction& action, std::map<std::string, std::string> options) {
    const SenderPaths& paths = m_env.paths;
    std::string error;
    if (paths.commandFolder.empty() || !platform::MakeFolders(paths.commandFolder, 0700, &error)) {
        std::fprintf(m_env.err, "%s: cannot hand the action over: %s\n", m_env.programName.c_str(),
                     error.empty() ? "no home folder" : error.c_str());
        return 1;
    }
    auto commandLock = platform::FileLock::Acquire(
        paths.commandLock, static_cast<uint32_t>(m_env.handOffWaitMs + kCommandLockSlackMs),
        &error);
    if (!commandLock) {
        std::fprintf(m_env.err, "%s: cannot hand the action over: %s\n", m_env.programName.c_str(),
                     error.c_str());
        return 1;
    }
    // Signal only after a good write.
    if (platform::ReplaceFileAtomically(paths.commandFile, FormatCommandFile(action), 0600,
                                        &error) != 0) {
        std::fprintf(m_env.err, "%s: cannot write the command file: %s\n",
                     m_env.programName.c_str(), error.c_str());
        return 1;
    }
    std::unique_ptr<platform::SingleInstanceLock> lock;
    std::string reason;
    const int sent = SendToRunningCopy(kHandOffCommand, &lock, &reason);
    if (sent == 0) {
        return 0;
    }
    // Not taken: the file must not wait for a copy that never reads it.
    ::unlink(paths.commandFile.c_str());
    commandLock.reset();
    if (sent > 0) {
        return RunFirstCopy(std::move(lock), std::move(options), &action);
    }
    std::fprintf(m_env.err,
                 "%s: another copy holds the lock but did not take the action within %d ms "
                 "(%s); nothing was done\n",
                 m_env.programName.c_str(), m_env.handOffWaitMs, reason.c_str());
    return 1;
}

int Startup::AskToRestore(std::map<std::string, std::string> options) {
    std::unique_ptr<platform::SingleInstanceLock> lock;
    std::string reason;
    const int sent = SendToRunningCopy(kRestoreCommand, &lock, &reason);
    if (sent == 0) {
        return 0;
    }
    if (sent > 0) {
        return RunFirstCopy(std::move(lock), std::move(options), nullptr);
    }
    std::fprintf(m_env.err,
                 "%s: another copy holds the lock but did not answer within %d ms (%s)\n",
                 m_env.programName.c_str(), m_env.handOffWaitMs, reason.c_str());
    return 1;
}

}  // namespace

int RunStartup(const std::vector<std::string>& args, const StartupHooks& hooks,
               const StartupEnvironment& environment) {
    Startup startup(hooks, environment);
    return startup.Run(args);
}

bool TakeCommandFile(const SenderPaths& paths, CommandAction* action, std::string* reason) {
    std::string text;
    const auto status =
        platform::ReadTextFile(paths.commandFile, kMaxCommandFileBytes, &text, reason);
    if (status == platform::TextFileStatus::kMissing) {
        return false;
    }
    // Consumed whatever it held: a bad file must not come back at the next
    // hand-off. Only a regular file is removed.
    if (status != platform::TextFileStatus::kNotAFile) {
        ::unlink(paths.commandFile.c_str());
    }
    if (status != platform::TextFileStatus::kOk) {
        return false;
    }
    return ParseCommandFile(text, action, reason);
}

}  // namespace pemuapp
