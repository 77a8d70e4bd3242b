// The five entries of the local web-server module and the state they share:
// the published files, the peers allowed and the running servers, one per
// port.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/media_bind_address.h"
#include "platform/wide_text.h"
#include "vrxclientsdk/VRXClient/media/harnwick/FileTable.h"
#include "vrxclientsdk/VRXClient/media/harnwick/HarnwickApi.h"
#include "vrxclientsdk/VRXClient/media/harnwick/HttpFileServer.h"
#include "vrxclientsdk/VRXClient/media/harnwick/PeerFilter.h"

#define HWK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

// A stop that reaches a server before it began to serve is lost (the server
// library ignores it), so HWKShutdown repeats it at this interval until the
// server's HWKInit has returned.
constexpr auto kStopRetry = std::chrono::milliseconds(10);

class Module {
public:
    Module() = default;
    // At exit the module's state may go before the client's objects that
    // still run servers: the servers are stopped while the state is whole.
    ~Module() { Shutdown(); }
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    bool Serve(uint16_t port) {
        auto server = std::make_unique<HttpFileServer>(m_files, m_peers);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (port == 0 || !m_servers.emplace(port, server.get()).second) {
                return false;  // one server per port
            }
        }
        const bool bound = server->Bind(platform::MediaBindAddress(), port);
        if (bound) {
            // Passing the lock between binding and serving orders the
            // listening socket's creation before any stop of it: a stop
            // issued before this point finds the server not running yet
            // and is repeated by Shutdown.
            { std::lock_guard<std::mutex> guard(m_lock); }
            server->Serve();
        }
        std::lock_guard<std::mutex> guard(m_lock);
        m_servers.erase(port);
        m_ended.notify_all();
        return bound;
    }

    bool Shutdown() {
        std::unique_lock<std::mutex> guard(m_lock);
        while (!m_servers.empty()) {
            for (auto& entry : m_servers) {
                entry.second->Stop();
            }
            m_ended.wait_for(guard, kStopRetry);
        }
        return true;
    }

    FileTable& Files() { return m_files; }
    PeerFilter& Peers() { return m_peers; }

private:
    FileTable m_files;
    PeerFilter m_peers;
    std::mutex m_lock;
    std::condition_variable m_ended;
    std::map<uint16_t, HttpFileServer*> m_servers;  // owned by their Serve calls
};

Module& TheModule() {
    static Module module;
    return module;
}

}  // namespace

HWK_EXPORT bool HWKInit(uint16_t port) {
    return TheModule().Serve(port);
}

HWK_EXPORT bool HWKRegisterW(const wchar_t* path, char* urlPath, size_t urlPathSize) {
    if (path == nullptr || urlPath == nullptr || urlPathSize == 0) {
        return false;
    }
    std::optional<std::string> url = TheModule().Files().Add(platform::WideToUtf8(path));
    if (!url) {
        return false;
    }
    if (url->size() >= urlPathSize) {
        TheModule().Files().RemoveByUrl(*url);
        return false;
    }
    url->copy(urlPath, url->size());
    urlPath[url->size()] = '\0';
    return true;
}

HWK_EXPORT bool HWKDeregisterW(const wchar_t* path) {
    return path != nullptr && TheModule().Files().RemoveByFile(platform::WideToUtf8(path));
}

HWK_EXPORT bool HWKDeregisterByURL(const char* urlPath) {
    return urlPath != nullptr && TheModule().Files().RemoveByUrl(urlPath);
}

HWK_EXPORT bool HWKAllowPeer(uint32_t ipv4, bool allow) {
    if (ipv4 == 0) {
        return false;
    }
    if (allow) {
        TheModule().Peers().Allow(ipv4);
        return true;
    }
    return TheModule().Peers().Withdraw(ipv4);
}

HWK_EXPORT bool HWKShutdown() {
    return TheModule().Shutdown();
}
