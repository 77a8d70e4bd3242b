#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

#include "usbshare/NetworkState.h"

namespace porvane {
namespace {

bool SameAddress(const sockaddr* a, const sockaddr_storage& b) {
    if (!a || a->sa_family != b.ss_family) {
        return false;
    }
    if (a->sa_family == AF_INET) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in*>(a)->sin_addr,
                           &reinterpret_cast<const sockaddr_in*>(&b)->sin_addr,
                           sizeof(in_addr)) == 0;
    }
    if (a->sa_family == AF_INET6) {
        return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr,
                           &reinterpret_cast<const sockaddr_in6*>(&b)->sin6_addr,
                           sizeof(in6_addr)) == 0;
    }
    return false;
}

// Looks the socket's local address up among the interfaces: the network is
// alive while an interface that is up and running still holds it.
class InterfaceNetworkState final : public NetworkState {
public:
    bool IsNetworkAlive(platform::SocketHandle s) override {
        sockaddr_storage local{};
        socklen_t len = sizeof local;
        if (::getsockname(s, reinterpret_cast<sockaddr*>(&local), &len) != 0 ||
            (local.ss_family != AF_INET && local.ss_family != AF_INET6)) {
            return true;
        }
        ifaddrs* list = nullptr;
        if (::getifaddrs(&list) != 0) {
            return true;
        }
        bool alive = false;
        for (ifaddrs* i = list; i; i = i->ifa_next) {
            if (SameAddress(i->ifa_addr, local)) {
                alive = (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING);
                break;
            }
        }
        ::freeifaddrs(list);
        return alive;
    }
};

}  // namespace

std::unique_ptr<NetworkState> NetworkState::Create() {
    return std::make_unique<InterfaceNetworkState>();
}

}  // namespace porvane
