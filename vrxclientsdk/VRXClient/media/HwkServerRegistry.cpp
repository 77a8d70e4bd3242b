#include "vrxclientsdk/VRXClient/media/HwkServerRegistry.h"

HwkServerRegistry& HwkServerRegistry::Instance() {
    static HwkServerRegistry registry;
    return registry;
}

HwkServerRegistry::~HwkServerRegistry() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_servers.clear();  // each stream shuts its server down and joins its thread
}

int HwkServerRegistry::Acquire(uint16_t port, QKErrorHandler& caller) {
    std::lock_guard<std::mutex> guard(m_lock);
    Entry& entry = m_servers[port];
    if (entry.server && entry.server->IsServing()) {
        ++entry.count;
        return 0;
    }
    // No server on the port, or one that ended on its own: start afresh.
    auto server = std::make_unique<HWKStream>();
    // The server outlives its first caller, so it borrows the caller's
    // logger only for the start.
    server->SetLogger(caller.GetLogger());
    const int rc = server->StartServer(port);
    server->SetLogger(nullptr);
    if (rc < 0) {
        caller.CopyError(*server);
        if (entry.count == 0) {
            m_servers.erase(port);
        }
        return rc;
    }
    entry.server = std::move(server);
    ++entry.count;
    return 0;
}

int HwkServerRegistry::Release(uint16_t port, QKErrorHandler& caller) {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_servers.find(port);
    if (it == m_servers.end() || it->second.count == 0) {
        return 0;
    }
    --it->second.count;
    if (TotalLocked() > 0) {
        return 0;
    }
    int result = 0;
    for (auto& [p, entry] : m_servers) {
        if (!entry.server) {
            continue;
        }
        entry.server->SetLogger(caller.GetLogger());
        if (const int rc = entry.server->Shutdown(); rc < 0 && result == 0) {
            caller.CopyError(*entry.server);
            result = rc;
        }
        entry.server->SetLogger(nullptr);
    }
    m_servers.clear();
    return result;
}

int HwkServerRegistry::UseCount(uint16_t port) const {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_servers.find(port);
    return it == m_servers.end() ? 0 : it->second.count;
}

int HwkServerRegistry::TotalUseCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return TotalLocked();
}

int HwkServerRegistry::TotalLocked() const {
    int total = 0;
    for (const auto& [port, entry] : m_servers) {
        total += entry.count;
    }
    return total;
}
