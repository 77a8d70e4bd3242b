// The local address on which the media servers (the local web server and the
// screen-stream helper) listen.
//
// Receivers on the network fetch media from these servers, so by default they
// listen on every local address. The environment variable
// PEMU_MEDIA_BIND_ADDRESS (dotted IPv4) narrows that to one address; the
// tests bind 127.0.0.1 with it. The library, the web-server module and the
// helper program each read it, so it lives here rather than with any of them.
#pragma once

#include <arpa/inet.h>

#include <cstdlib>
#include <string>

namespace platform {

constexpr char kMediaBindAddressVariable[] = "PEMU_MEDIA_BIND_ADDRESS";
constexpr char kMediaBindAnyAddress[] = "0.0.0.0";

// The configured address, or 0.0.0.0 when the variable is unset or not an
// IPv4 address.
inline std::string MediaBindAddress() {
    const char* value = std::getenv(kMediaBindAddressVariable);
    in_addr parsed{};
    if (value == nullptr || ::inet_pton(AF_INET, value, &parsed) != 1) {
        return kMediaBindAnyAddress;
    }
    return value;
}

}  // namespace platform
