// A child process started by absolute path, owned by the object that started it.
//
// The child gets standard input from /dev/null, the parent's standard output
// and error, default signal handling and an empty signal mask. The owner
// stops it with a signal addressed to that child alone and always reaps it:
// no zombie outlives the object.
//
// THREADING: one owner thread at a time.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

class ChildProcess {
public:
    // Starts the program `path`, which must be absolute, with `args` (argv[1]
    // onwards; argv[0] is `path`). With `stdoutFd` >= 0 the child's standard
    // output is that descriptor (the caller keeps and closes its own copy).
    // With a `workingFolder` the child starts in that folder (else in ours).
    // nullptr when it cannot be started (a working folder that cannot be
    // entered included); the error number goes to *error when error is not
    // null.
    static std::unique_ptr<ChildProcess> Start(const std::string& path,
                                               const std::vector<std::string>& args,
                                               int* error = nullptr, int stdoutFd = -1,
                                               const std::string& workingFolder = {});

    // Stops the child as Terminate() does when it is still running.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return m_pid; }

    // Does not block. True once the child has ended; it is then reaped and
    // its wait status goes to *status when status is not null.
    bool HasExited(int* status = nullptr);

    // Blocks until the child ends by itself and returns its wait status.
    int Wait();

    // Sends SIGTERM, waits up to `graceMs` for the child to end, then sends
    // SIGKILL and waits for it. Returns the wait status. A child that has
    // already ended is only reaped.
    int Terminate(uint32_t graceMs);

    // The grace period the destructor grants.
    static constexpr uint32_t kDefaultGraceMs = 2000;

private:
    explicit ChildProcess(pid_t pid) : m_pid(pid) {}
    bool Reap(int options);

    pid_t m_pid;
    bool m_reaped = false;
    int m_status = 0;
};

}  // namespace platform
