// The data connection of one shared device (receiver port 3240): connecting,
// and moving exact byte counts while a stop signal can end any wait.
#pragma once

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <string>

namespace usbip {

enum class IoResult { kOk, kStopped, kFailed };

// Connects to `address`:`service` (each resolved address in turn), with
// TCP_NODELAY and SO_KEEPALIVE, each attempt bounded by `timeoutMs`. The
// socket (non-blocking), or -1 with errno set.
int ConnectDeviceSocket(const std::string& address, const std::string& service, uint32_t timeoutMs);

// Sends or receives exactly `len` bytes on non-blocking `fd`, waiting as long
// as it takes unless `stopFd` becomes readable or `timeoutMs` (when not
// negative) runs out. A closed peer is a failure.
IoResult SendExact(int fd, const uint8_t* data, size_t len, int stopFd, int timeoutMs = -1);
IoResult RecvExact(int fd, uint8_t* data, size_t len, int stopFd, int timeoutMs = -1);

// The size of the next message waiting on message socket `fd`
// (SOCK_SEQPACKET), without taking it: 0 at its end, -1 with errno (EAGAIN
// when none waits).
ssize_t PeekMessageSize(int fd);

}  // namespace usbip
