#include "vrxclientsdk/VRXClient/media/harnwick/PeerFilter.h"

#include <netinet/in.h>

void PeerFilter::Allow(uint32_t ipv4) {
    if (ipv4 == 0) {
        return;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    ++m_allowed[ipv4];
}

bool PeerFilter::Withdraw(uint32_t ipv4) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_allowed.find(ipv4);
    if (it == m_allowed.end()) {
        return false;
    }
    if (--it->second == 0) {
        m_allowed.erase(it);
    }
    return true;
}

bool PeerFilter::Admits(uint32_t peer, uint32_t local) const {
    if (peer == htonl(INADDR_LOOPBACK) || (peer != 0 && peer == local)) {
        return true;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    return m_allowed.empty() || m_allowed.count(peer) != 0;
}
