// Who listens on a TCP port of this machine.
//
// Lets a program that starts a server (on a thread of its own or in a child
// process) tell its own listening socket apart from another program's that
// happens to hold the same port.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace platform {

// True when the process `pid` holds a socket listening on TCP `port` (IPv4
// or IPv6, any local address). Only processes whose descriptors the caller
// may read count: this process and its own children.
bool ProcessListensOnTcpPort(pid_t pid, uint16_t port);

}  // namespace platform
