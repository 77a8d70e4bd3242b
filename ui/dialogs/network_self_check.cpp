#include "ui/dialogs/network_self_check.h"

#include <string>

#include "platform/icmp_pinger.h"
#include "platform/network_adapters.h"

namespace ui {
namespace {

bool Usable(const std::string& address) {
    return !address.empty() && address != "0.0.0.0";
}

}  // namespace

int RunNetworkSelfCheck(platform::AdapterProvider& adapters, platform::Pinger& pinger) {
    for (const platform::CheckAdapter& a : adapters.ListAdapters()) {
        if (!Usable(a.address) || !Usable(a.gateway) || !Usable(a.dhcpServer)) {
            continue;
        }
        for (const std::string& target : {std::string("127.0.0.1"), a.gateway, a.dhcpServer}) {
            if (pinger.PingAddress(target) != platform::kPingAnswered) {
                return kCheckNoAnswer;
            }
        }
        return kCheckPassed;
    }
    return kCheckNoAdapter;
}

}  // namespace ui
