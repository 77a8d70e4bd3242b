#include "platform/adapters.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>

namespace platform {

bool GetAdapterAddresses(std::vector<AdapterAddress>* out) {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return false;
    }
    std::vector<AdapterAddress> found;
    for (const ifaddrs* it = list; it != nullptr; it = it->ifa_next) {
        if (it->ifa_addr == nullptr || it->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        // The loopback interface is no adapter of the local network, and a
        // down interface cannot carry a broadcast.
        if ((it->ifa_flags & IFF_LOOPBACK) != 0 || (it->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        AdapterAddress entry;
        entry.address = reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr;
        if (it->ifa_netmask != nullptr) {
            entry.mask = reinterpret_cast<const sockaddr_in*>(it->ifa_netmask)->sin_addr;
        }
        found.push_back(entry);
    }
    ::freeifaddrs(list);
    *out = std::move(found);
    return true;
}

}  // namespace platform
