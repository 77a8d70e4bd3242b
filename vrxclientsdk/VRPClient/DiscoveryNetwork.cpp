#include "vrxclientsdk/VRPClient/DiscoveryNetwork.h"

#include <atomic>

namespace {

std::atomic<const DiscoveryNetwork*> g_testNetwork{nullptr};

}  // namespace

const DiscoveryNetwork& CurrentDiscoveryNetwork() {
    static const DiscoveryNetwork productNetwork;
    const DiscoveryNetwork* test = g_testNetwork.load(std::memory_order_acquire);
    return test ? *test : productNetwork;
}

void SetDiscoveryNetworkForTest(const DiscoveryNetwork* network) {
    g_testNetwork.store(network, std::memory_order_release);
}

void BuildBroadcastTargets(IPv4Set& targets, IPv4Set& masks) {
    const DiscoveryNetwork& network = CurrentDiscoveryNetwork();
    targets.clear();
    masks.clear();
    targets.insert(network.limitedBroadcast.s_addr);

    std::vector<platform::AdapterAddress> adapters;
    const bool listed = network.getAdapters ? network.getAdapters(&adapters)
                                            : platform::GetAdapterAddresses(&adapters);
    if (!listed) {
        return;
    }
    for (const platform::AdapterAddress& adapter : adapters) {
        if (adapter.mask.s_addr != 0) {
            masks.insert(adapter.mask.s_addr);
        }
        targets.insert(adapter.address.s_addr | ~adapter.mask.s_addr);
    }
}
