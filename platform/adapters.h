// The local IPv4 adapter addresses with their subnet masks.
//
// Receiver discovery sends its query to the directed broadcast address of
// every local subnet; this lists the subnets. It reads the interface table
// only and changes nothing.
#pragma once

#include <netinet/in.h>

#include <vector>

namespace platform {

struct AdapterAddress {
    in_addr address{};  // network byte order
    in_addr mask{};     // network byte order; 0.0.0.0 when the interface has none
};

// Fills `out` with the IPv4 addresses of the interfaces that are up, the
// loopback interface left out, in the order the system lists them. Returns
// false, leaving `out` untouched, when the interface table cannot be read.
bool GetAdapterAddresses(std::vector<AdapterAddress>* out);

}  // namespace platform
