// IPv4 addresses of receivers as the main window shows and takes them:
// dotted text, stored in network order.
#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <string>

namespace pemuapp {

inline std::string DottedAddress(uint32_t ipv4) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = ipv4;
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

// The address of a dotted text; 0 for an unparsable text (and for 0.0.0.0).
inline uint32_t ParseDottedAddress(const std::string& text) {
    in_addr a{};
    return ::inet_pton(AF_INET, text.c_str(), &a) == 1 ? a.s_addr : 0;
}

}  // namespace pemuapp
