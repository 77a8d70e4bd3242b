#include "platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace platform {

namespace {

// How often a terminating owner looks whether the child has ended.
constexpr uint32_t kReapStepMs = 5;

// Owns the spawn attributes and file actions for one start.
class SpawnSetup {
public:
    SpawnSetup() {
        m_attrOk = ::posix_spawnattr_init(&m_attr) == 0;
        m_actionsOk = ::posix_spawn_file_actions_init(&m_actions) == 0;
    }
    ~SpawnSetup() {
        if (m_actionsOk) {
            ::posix_spawn_file_actions_destroy(&m_actions);
        }
        if (m_attrOk) {
            ::posix_spawnattr_destroy(&m_attr);
        }
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Empty signal mask and default dispositions for the signals a
    // parent commonly blocks or ignores; standard input from /dev/null.
    int Prepare(int stdoutFd, const std::string& workingFolder) {
        if (!m_attrOk || !m_actionsOk) {
            return ENOMEM;
        }
        sigset_t none;
        sigemptyset(&none);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD, SIGQUIT}) {
            sigaddset(&defaults, sig);
        }
        int rc = ::posix_spawnattr_setsigmask(&m_attr, &none);
        if (rc == 0) {
            rc = ::posix_spawnattr_setsigdefault(&m_attr, &defaults);
        }
        if (rc == 0) {
            rc =
                ::posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        }
        if (rc == 0) {
            rc = ::posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY,
                                                    0);
        }
        if (rc == 0 && stdoutFd >= 0 && stdoutFd != STDOUT_FILENO) {
            // dup2 clears close-on-exec on the copy; the original goes.
            rc = ::posix_spawn_file_actions_adddup2(&m_actions, stdoutFd, STDOUT_FILENO);
            if (rc == 0) {
                rc = ::posix_spawn_file_actions_addclose(&m_actions, stdoutFd);
            }
        }
        if (rc == 0 && !workingFolder.empty()) {
            rc = ::posix_spawn_file_actions_addchdir_np(&m_actions, workingFolder.c_str());
        }
        return rc;
    }

    posix_spawnattr_t* Attr() { return &m_attr; }
    posix_spawn_file_actions_t* Actions() { return &m_actions; }

private:
    posix_spawnattr_t m_attr;
    posix_spawn_file_actions_t m_actions;
    bool m_attrOk = false;
    bool m_actionsOk = false;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& path,
                                                  const std::vector<std::string>& args, int* error,
                                                  int stdoutFd, const std::string& workingFolder) {
    auto fail = [error](int code) -> std::unique_ptr<ChildProcess> {
        if (error) {
            *error = code;
        }
        return nullptr;
    };
    if (path.empty() || path.front() != '/') {
        return fail(EINVAL);  // never searched through PATH
    }
    SpawnSetup setup;
    if (int rc = setup.Prepare(stdoutFd, workingFolder); rc != 0) {
        return fail(rc);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    // posix_spawn reports a failed exec (or change of folder) as its
    // result, so a missing or non-executable program never leaves a child
    // behind.
    if (int rc =
            ::posix_spawn(&pid, path.c_str(), setup.Actions(), setup.Attr(), argv.data(), environ);
        rc != 0) {
        return fail(rc);
    }
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
    Terminate(kDefaultGraceMs);
}

bool ChildProcess::Reap(int options) {
    if (m_reaped) {
        return true;
    }
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, options);
        if (r == m_pid) {
            m_status = status;
            m_reaped = true;
            return true;
        }
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            // ECHILD: someone else reaped it; it is gone all the same.
            m_reaped = true;
            return true;
        }
        return false;  // WNOHANG and still running
    }
}

bool ChildProcess::HasExited(int* status) {
    const bool ended = Reap(WNOHANG);
    if (ended && status) {
        *status = m_status;
    }
    return ended;
}

int ChildProcess::Wait() {
    Reap(0);
    return m_status;
}

int ChildProcess::Terminate(uint32_t graceMs) {
    if (Reap(WNOHANG)) {
        return m_status;
    }
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    while (!Reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            Reap(0);
            break;
        }
        ::usleep(kReapStepMs * 1000);
    }
    return m_status;
}

}  // namespace platform
