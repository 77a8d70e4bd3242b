// Tells whether a media server that this process started (on a thread of its
// own or as a child process) serves a port of this machine.
//
// Serving means: the process `pid` holds the listening socket of the port,
// and a connection to the media servers' bind address on the port succeeds
// (127.0.0.1 when they bind every address; the connection is closed at
// once). Another program's listener on the same port never counts. A probe
// that fails logs nothing: the caller logs once when the server never comes.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include <string>

// The address a probe connects to for a server bound to `bindAddress`.
std::string ProbeAddress(const std::string& bindAddress);

bool IsServingLocally(pid_t pid, uint16_t port);
