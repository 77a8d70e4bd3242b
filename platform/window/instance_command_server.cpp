#include "platform/window/instance_command_server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/socket.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "platform/window/instance_directory.h"
#include "platform/window/window_log.h"

namespace platform {
namespace {

constexpr char kAnswerOk[] = "OK\n";

std::string SocketPath(const std::string& name, const std::string& dir) {
    std::string folder = dir.empty() ? InstanceDirectory() : dir;
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos) {
        return {};
    }
    return folder + "/" + name + ".sock";
}

// False when the path does not fit a socket address.
bool FillAddress(const std::string& path, sockaddr_un* addr) {
    std::memset(addr, 0, sizeof(*addr));
    addr->sun_family = AF_UNIX;
    if (path.size() >= sizeof(addr->sun_path)) {
        return false;
    }
    std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

std::unique_ptr<InstanceCommandServer> InstanceCommandServer::Start(const std::string& name,
                                                                    const std::string& dir,
                                                                    Callback callback) {
    std::string path = SocketPath(name, dir);
    sockaddr_un addr;
    if (path.empty() || !FillAddress(path, &addr) || !callback) {
        WindowLog("no usable command socket for \"%s\"", name.c_str());
        return nullptr;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        WindowLog("cannot make the command socket: %s", SystemErrorText(errno).c_str());
        return nullptr;
    }
    ::unlink(path.c_str());  // a copy that ended left its socket file
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 || ::listen(fd, 8) != 0) {
        WindowLog("cannot listen on %s: %s", path.c_str(), SystemErrorText(errno).c_str());
        ::close(fd);
        return nullptr;
    }
    ::chmod(path.c_str(), 0600);
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(fd);
        ::unlink(path.c_str());
        return nullptr;
    }
    std::unique_ptr<InstanceCommandServer> server(
        new InstanceCommandServer(fd, wake[0], wake[1], path, std::move(callback)));
    server->m_thread = StartThread("instance-server", [s = server.get()] { s->Run(); });
    if (!server->m_thread) {
        WindowLog("cannot start the thread of %s", server->m_path.c_str());
        return nullptr;
    }
    return server;
}

InstanceCommandServer::InstanceCommandServer(int listenFd, int wakeRead, int wakeWrite,
                                             std::string path, Callback callback)
    : m_listenFd(listenFd),
      m_wakeRead(wakeRead),
      m_wakeWrite(wakeWrite),
      m_path(std::move(path)),
      m_callback(std::move(callback)) {}

InstanceCommandServer::~InstanceCommandServer() {
    char byte = 1;
    ssize_t written = ::write(m_wakeWrite, &byte, 1);
    (void)written;
    JoinThread(m_thread);
    ::close(m_listenFd);
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
    ::unlink(m_path.c_str());
}

void InstanceCommandServer::Run() {
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            WindowLog("command socket wait failed: %s", SystemErrorText(errno).c_str());
            return;
        }
        if (fds[1].revents != 0) {
            return;
        }
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        Serve(fd);
        CloseSocketHandle(fd);
    }
}

// One peer: same user only, one line within the limits, then "OK".
void InstanceCommandServer::Serve(int fd) {
    ucred peer{};
    socklen_t len = sizeof(peer);
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &len) != 0 || peer.uid != ::getuid()) {
        WindowLog("command from another user refused");
        return;
    }
    std::string line;
    char buffer[512];
    while (line.find('\n') == std::string::npos) {
        if (PollReadable(fd, kInstanceCommandReadMs) <= 0) {
            WindowLog("command peer sent no complete line; dropped");
            return;
        }
        ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            WindowLog("command peer closed before a complete line; dropped");
            return;
        }
        line.append(buffer, static_cast<size_t>(n));
        if (line.size() > kMaxInstanceCommand + 1) {
            WindowLog("command longer than %zu bytes refused", kMaxInstanceCommand);
            return;
        }
    }
    line.resize(line.find('\n'));
    if (line.size() > kMaxInstanceCommand) {
        WindowLog("command longer than %zu bytes refused", kMaxInstanceCommand);
        return;
    }
    m_callback(line);
    SendNoSignal(fd, kAnswerOk, sizeof(kAnswerOk) - 1, 0);
}

int SendInstanceCommand(const std::string& name, const std::string& dir, const std::string& command,
                        int timeoutMs) {
    if (command.size() > kMaxInstanceCommand || command.find('\n') != std::string::npos) {
        return -EMSGSIZE;
    }
    std::string path = SocketPath(name, dir);
    sockaddr_un addr;
    if (path.empty()) {
        return -ENOENT;
    }
    if (!FillAddress(path, &addr)) {
        return -ENAMETOOLONG;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -errno;
    }
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
        int err = errno;
        CloseSocketHandle(fd);
        return -err;
    }
    std::string line = command + "\n";
    size_t sent = 0;
    while (sent < line.size()) {
        ssize_t n = SendNoSignal(fd, line.data() + sent, line.size() - sent, 0);
        if (n <= 0) {
            int err = n < 0 ? errno : EPIPE;
            CloseSocketHandle(fd);
            return -err;
        }
        sent += static_cast<size_t>(n);
    }
    std::string answer;
    char buffer[16];
    while (answer.size() < 3) {
        int ready = PollReadable(fd, timeoutMs);
        if (ready <= 0) {
            CloseSocketHandle(fd);
            return ready == 0 ? -ETIMEDOUT : ready;
        }
        ssize_t n = ::recv(fd, buffer, sizeof(buffer), 0);
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<size_t>(n));
    }
    CloseSocketHandle(fd);
    return answer == kAnswerOk ? 0 : -EPROTO;
}

}  // namespace platform
