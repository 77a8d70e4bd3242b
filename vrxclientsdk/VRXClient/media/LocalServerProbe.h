// Tells whether a media server that this process started (on a thread of its
// own or as a child process) serves a port of this machine.
//
// Serving means: the process `pid` holds the listening socket of the port,
// and a connection-core connection to 127.0.0.1 on the port succeeds (it is
// closed at once). Another program's listener on the same port never counts.
#pragma once

#include <sys/types.h>

#include <cstdint>

class Logger;

// `logger` receives the probe connection's log lines; it may be null.
bool IsServingLocally(pid_t pid, uint16_t port, Logger* logger);
