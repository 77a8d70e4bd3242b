// DiscoveryNetwork: the network facts that receiver discovery works from, and
// the broadcast targets it derives from them.
//
// In the product discovery binds every local address, asks the system for
// its adapters, broadcasts to 255.255.255.255 as well and, while idle, pumps
// the thread's window messages and sleeps 30 ms. Tests install their own
// facts for the whole process (like the clock in platform/clock.h) so that
// no datagram leaves loopback or a network namespace of their own.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "platform/adapters.h"

struct DiscoveryNetwork {
    // Local address the discovery sockets bind to (network byte order).
    in_addr bindAddress{htonl(INADDR_ANY)};
    // Destination that stands for the limited broadcast address.
    in_addr limitedBroadcast{htonl(INADDR_BROADCAST)};
    // Lists the local adapters; empty: platform::GetAdapterAddresses.
    std::function<bool(std::vector<platform::AdapterAddress>*)> getAdapters;
    // One idle step of the discovery loop; empty: PumpMessages, then 30 ms sleep.
    std::function<void()> idleWait;
};

// The facts in force: the product's unless a test installed others.
const DiscoveryNetwork& CurrentDiscoveryNetwork();

// Installs `network` for the whole process (nullptr restores the product's).
// The caller keeps ownership and keeps it alive until it is replaced.
void SetDiscoveryNetworkForTest(const DiscoveryNetwork* network);

// Installs a DiscoveryNetwork for the lifetime of the scope.
class ScopedDiscoveryNetworkOverride {
public:
    explicit ScopedDiscoveryNetworkOverride(const DiscoveryNetwork& network) {
        SetDiscoveryNetworkForTest(&network);
    }
    ~ScopedDiscoveryNetworkOverride() { SetDiscoveryNetworkForTest(nullptr); }
    ScopedDiscoveryNetworkOverride(const ScopedDiscoveryNetworkOverride&) = delete;
    ScopedDiscoveryNetworkOverride& operator=(const ScopedDiscoveryNetworkOverride&) = delete;
};

// IPv4 addresses as stored (network byte order), ordered by that 32-bit value.
using IPv4Set = std::set<uint32_t>;

// Empties both sets, puts the limited broadcast address into `targets`, then
// for every adapter address adds its directed broadcast address (address OR
// NOT mask) to `targets` and its mask, when not 0.0.0.0, to `masks`. When
// the adapters cannot be listed only the limited broadcast address is kept.
void BuildBroadcastTargets(IPv4Set& targets, IPv4Set& masks);
