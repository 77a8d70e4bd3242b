// Thin socket layer over POSIX.
//
// Every send uses MSG_NOSIGNAL, so a peer reset never raises SIGPIPE. A
// non-blocking connect is judged by SO_ERROR: a refused port is a refusal,
// not "writable". Socket start-up and clean-up of other systems are no-ops.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform {

using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;

// Kept for callers written against a system with explicit socket start-up.
inline int SocketStartup() {
    return 0;
}
inline void SocketCleanup() {}

// Sends with MSG_NOSIGNAL added to `flags`. Result as send(2).
ssize_t SendNoSignal(SocketHandle s, const void* data, size_t len, int flags);

// Closes the handle (ignores kInvalidSocket).
void CloseSocketHandle(SocketHandle s);

// Owns one socket handle and closes it when it goes (move-only).
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SocketHandle s) : m_handle(s) {}
    UniqueSocket(UniqueSocket&& other) noexcept : m_handle(other.Release()) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept {
        if (this != &other) {
            CloseSocketHandle(m_handle);
            m_handle = other.Release();
        }
        return *this;
    }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;
    ~UniqueSocket() { CloseSocketHandle(m_handle); }

    SocketHandle Get() const { return m_handle; }
    bool Valid() const { return m_handle >= 0; }
    // Gives the handle up without closing it.
    SocketHandle Release() {
        const SocketHandle s = m_handle;
        m_handle = kInvalidSocket;
        return s;
    }

private:
    SocketHandle m_handle = kInvalidSocket;
};

// shutdown(SHUT_RDWR): wakes every thread blocked on the socket.
void ShutdownSocket(SocketHandle s);

// Switches O_NONBLOCK; returns 0 or minus errno.
int SetNonBlocking(SocketHandle s, bool on);

// Parses a dotted IPv4 text; false when it is not one.
bool ParseIPv4(const std::string& text, in_addr* out);

// Dotted text of an address in network order.
std::string FormatIPv4(in_addr addr);
std::string FormatIPv4(uint32_t networkOrder);

enum class ConnectState { kPending, kConnected, kFailed };

// After a non-blocking connect: polls the socket for up to `timeoutMs` and
// tells whether it connected, is still pending, or failed (SO_ERROR set;
// the error number goes to *error).
ConnectState CheckConnect(SocketHandle s, int timeoutMs, int* error);

// Waits up to `timeoutMs` for any socket of `sockets` to finish its
// connect; marks each one in `states` (failed ones get their error number in
// `errors`). Sockets already connected are watched for incoming bytes too, so
// that the wait also ends when a connected peer speaks (a handshake reply);
// they stay kConnected. Failed and invalid sockets are not watched. Returns
// the number that changed state (0 at once when nothing is left to watch),
// or minus errno when the wait itself failed.
int PollConnects(std::span<const SocketHandle> sockets, std::span<ConnectState> states,
                 int timeoutMs, std::span<int> errors);

// Waits up to `timeoutMs` for the socket to become readable (data, end of
// stream or error). Returns 1 readable, 0 time-out, minus errno on failure.
int PollReadable(SocketHandle s, int timeoutMs);

}  // namespace platform
