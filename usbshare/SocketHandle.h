// CSocketHandle: one TCP socket of the command channel.
//
// Owns the descriptor. Connect opens it, Shutdown wakes every thread blocked
// on it, Close releases it (after the reader thread has been joined, so the
// number cannot be reused under a running reader). Failures return false or
// -1 and leave the reason in errno.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/socket.h"

namespace porvane {

class CSocketHandle {
public:
    // Bytes one Read takes at most.
    static constexpr size_t kReadSize = 2048;

    CSocketHandle() = default;
    ~CSocketHandle();
    CSocketHandle(const CSocketHandle&) = delete;
    CSocketHandle& operator=(const CSocketHandle&) = delete;

    bool IsOpen() const { return m_hSocket.load() != platform::kInvalidSocket; }
    platform::SocketHandle GetSocket() const { return m_hSocket.load(); }

    // Creates a TCP socket of `family` with SO_KEEPALIVE and TCP_NODELAY,
    // resolves `host`/`service` and connects within `timeoutMs`. The socket
    // is left non-blocking. False when the handle is already open (EACCES)
    // or anything fails (the socket is then closed).
    bool Connect(const char* host, const char* service, int family, uint32_t timeoutMs);

    // One receive of up to kReadSize bytes into `buffer`. Returns the count;
    // -1 when the socket is closed, on error, or at the end of the stream
    // (errno ECONNRESET).
    int Read(uint8_t* buffer);

    // Sends the whole buffer (partial sends are continued, waiting at most
    // `timeoutMs` for room). Writers on different threads are serialised, so
    // messages never interleave. Returns `len` or -1.
    int Write(const uint8_t* data, size_t len, uint32_t timeoutMs);

    // Shuts both directions down; blocked readers and writers return.
    void Shutdown();
    // Closes the descriptor. Call only when no thread uses the socket.
    void Close();

private:
    std::atomic<platform::SocketHandle> m_hSocket{platform::kInvalidSocket};
    std::mutex m_writeLock;
};

}  // namespace porvane
