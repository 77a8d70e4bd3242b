// The ports on which the sender serves media to the receiver.
//
// Media servers listen on a port of 1024..65535: never 0 (the system would
// pick one the URL does not name) and never a privileged one. Port searches
// step through this range and wrap around inside it.
#pragma once

#include <cstdint>

constexpr int kMinVideoPort = 1024;
constexpr int kMaxVideoPort = 65535;

constexpr bool IsValidVideoPort(int port) {
    return port >= kMinVideoPort && port <= kMaxVideoPort;
}

// `port` moved on by `step`, wrapped into 1024..65535. A port outside the
// range is first brought into it.
constexpr uint16_t StepVideoPort(int port, unsigned step) {
    constexpr unsigned span = kMaxVideoPort - kMinVideoPort + 1;
    const unsigned base = IsValidVideoPort(port) ? static_cast<unsigned>(port - kMinVideoPort) : 0u;
    return static_cast<uint16_t>(kMinVideoPort + (base + step % span) % span);
}
