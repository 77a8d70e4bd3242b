// "Find the running copy and send it a command": a per-user Unix socket.
//
// The running copy (the holder of the single-instance lock) listens on
// "<name>.sock" in the instance folder; a later start connects, writes one
// command line and waits for the answer "OK". Only peers of the same user
// are heard. A command is one line of text of at most kMaxInstanceCommand
// bytes; longer ones are refused. The server does not act on commands: it
// hands each one to a callback, which posts it to the user-interface thread.
//
// THREADING: the server owns one thread that accepts and reads; the callback
// runs on it. Construct and destroy on one thread; the destructor stops and
// joins the thread and removes the socket file.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace platform {

inline constexpr size_t kMaxInstanceCommand = 4096;
// How long the server waits for a connected peer to send its line, so that
// a stuck peer cannot block the commands behind it.
inline constexpr int kInstanceCommandReadMs = 2000;

class InstanceCommandServer {
public:
    using Callback = std::function<void(const std::string& command)>;

    // Listens on "<dir>/<name>.sock" (dir empty: the instance folder). Call
    // only while holding the single-instance lock: a stale socket file of a
    // copy that ended is replaced. nullptr (logged) when it cannot listen.
    static std::unique_ptr<InstanceCommandServer> Start(const std::string& name,
                                                        const std::string& dir, Callback callback);
    ~InstanceCommandServer();
    InstanceCommandServer(const InstanceCommandServer&) = delete;
    InstanceCommandServer& operator=(const InstanceCommandServer&) = delete;

    const std::string& Path() const { return m_path; }

private:
    InstanceCommandServer(int listenFd, int wakeRead, int wakeWrite, std::string path,
                          Callback callback);
    void Run();
    void Serve(int fd);

    int m_listenFd;
    int m_wakeRead;
    int m_wakeWrite;
    std::string m_path;
    Callback m_callback;
    std::unique_ptr<std::thread> m_thread;
};

// Sends `command` to the copy listening as `name` (dir empty: the instance
// folder) and waits up to `timeoutMs` for its answer. Returns 0 when it took
// the command, or minus an errno: -ENOENT / -ECONNREFUSED (no copy runs),
// -EMSGSIZE (the command is too long or holds a line break), -ETIMEDOUT,
// -EPROTO (an answer other than "OK").
int SendInstanceCommand(const std::string& name, const std::string& dir, const std::string& command,
                        int timeoutMs = 5000);

}  // namespace platform
