// The network self-check: the first adapter with an address, a gateway and
// a DHCP server, then pings of the loopback address, the gateway and the
// DHCP server, in that order, stopping at the first that fails.
// THREADING: runs on the self-check worker; touches no window.
#pragma once

namespace platform {
class AdapterProvider;
class Pinger;
}  // namespace platform

namespace ui {

inline constexpr int kCheckPassed = 0;
inline constexpr int kCheckNoAdapter = -1;
inline constexpr int kCheckNoAnswer = -2;

// kCheckPassed, kCheckNoAdapter (no adapter qualifies) or kCheckNoAnswer (a
// ping failed, or no ICMP socket could be opened).
int RunNetworkSelfCheck(platform::AdapterProvider& adapters, platform::Pinger& pinger);

}  // namespace ui
