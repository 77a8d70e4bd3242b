#include "vrxclientsdk/VRXClient/media/HWKStream.h"

#include <unistd.h>

#include <boost/chrono.hpp>

#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/tcp_listeners.h"
#include "platform/thread.h"
#include "platform/wide_text.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/LocalServerProbe.h"

namespace {

// The server binds within microseconds of its thread starting; this bound
// only ends the wait for a module whose HWKInit neither binds nor returns
// (ten probes of one second each).
constexpr uint64_t kServingTimeoutMs = 10000;
// Pause between two looks at the port while the server is starting.
constexpr uint32_t kServingStepMs = 5;
// How long a shutdown waits for the server thread after HWKShutdown.
constexpr int kJoinTimeoutMs = 10000;

}  // namespace

HWKStream::HWKStream() {
    LoadServerLibrary();
}

HWKStream::~HWKStream() {
    AllowPeer(0);
    Shutdown();
}

void HWKStream::LoadServerLibrary() {
    std::string why;
    m_pLibrary = platform::DynamicLibrary::Load(kHarnwickModuleName, &why);
    if (!m_pLibrary) {
        QK_LOGF(LOG_FATAL, "can not load Harnwick.dll! GetLastError() = %d (%s)", ENOENT,
                why.c_str());
        QK_ERROR(qkerr::kHwkLoad);
        return;
    }
    m_pfnInit = m_pLibrary->Entry<HWKInitFn>(kHWKInitEntry);
    m_pfnRegisterW = m_pLibrary->Entry<HWKRegisterWFn>(kHWKRegisterWEntry);
    m_pfnDeregisterW = m_pLibrary->Entry<HWKDeregisterWFn>(kHWKDeregisterWEntry);
    m_pfnDeregisterByURL = m_pLibrary->Entry<HWKDeregisterByURLFn>(kHWKDeregisterByURLEntry);
    m_pfnShutdown = m_pLibrary->Entry<HWKShutdownFn>(kHWKShutdownEntry);
    m_pfnAllowPeer = m_pLibrary->Entry<HWKAllowPeerFn>(kHWKAllowPeerEntry);
    QK_LOGF(LOG_DEBUG, "HWK module handle = %p", static_cast<void*>(m_pLibrary.get()));
    QK_LOGF(LOG_DEBUG, "HWK API: Init = %p", reinterpret_cast<void*>(m_pfnInit));
    QK_LOGF(LOG_DEBUG, "HWK API: RegisterW = %p", reinterpret_cast<void*>(m_pfnRegisterW));
    QK_LOGF(LOG_DEBUG, "HWK API: DeregisterW = %p", reinterpret_cast<void*>(m_pfnDeregisterW));
    QK_LOGF(LOG_DEBUG, "HWK API: DeregisterByURL = %p",
            reinterpret_cast<void*>(m_pfnDeregisterByURL));
    QK_LOGF(LOG_DEBUG, "HWK API: Shutdown = %p", reinterpret_cast<void*>(m_pfnShutdown));
    if (!HasAllFunctions()) {
        QK_LOGF(LOG_FATAL, "can not locate HWK functions! GetLastError()=%d", ENOENT);
        // A module without all its entries is not used at all.
        m_pfnInit = nullptr;
        m_pfnRegisterW = nullptr;
        m_pfnDeregisterW = nullptr;
        m_pfnDeregisterByURL = nullptr;
        m_pfnShutdown = nullptr;
        m_pfnAllowPeer = nullptr;
        m_pLibrary.reset();
        QK_ERROR(qkerr::kHwkLoad);
        return;
    }
    QK_CLEAR_ERROR();
}

bool HWKStream::HasAllFunctions() const {
    return m_pLibrary && m_pfnInit && m_pfnRegisterW && m_pfnDeregisterW && m_pfnDeregisterByURL &&
           m_pfnShutdown;
}

bool HWKStream::IsServing() const {
    return m_pHttpServerThread && !m_pServerEnded->load();
}

void HWKStream::HttpServerThread(HWKInitFn init, uint16_t port, Logger* logger,
                                 std::shared_ptr<std::atomic<bool>> ended) {
    QK_LOG(logger, LOG_DEBUG, "HttpServerThread begin");
    init(port);
    ended->store(true);
}

int HWKStream::StartServer(uint16_t port) {
    QK_LOGF(LOG_DEBUG, "StartServer %hu", port);
    if (!HasAllFunctions()) {
        return QK_ERROR(qkerr::kHwkLoad);
    }
    if (m_pHttpServerThread) {
        if (int rc = Shutdown(); rc < 0) {
            return rc;
        }
    }
    if (port == 0) {
        return QK_ERROR(qkerr::kHwkInit, std::to_string(port));
    }
    // A listener of this very process on the port (another stream's server)
    // would pass for ours below; the module refuses a second server anyway.
    if (platform::ProcessListensOnTcpPort(::getpid(), port)) {
        QK_LOGF(LOG_ERROR, "StartServer port %hu is already served in this process", port);
        return QK_ERROR(qkerr::kHwkInit, std::to_string(port));
    }
    m_Port = port;
    m_pServerEnded = std::make_shared<std::atomic<bool>>(false);
    m_pHttpServerThread = platform::StartThread<boost::thread>(
        "hwk-server", [init = m_pfnInit, port, logger = GetLogger(), ended = m_pServerEnded] {
            HttpServerThread(init, port, logger, ended);
        });
    if (!m_pHttpServerThread) {
        return QK_ERROR(qkerr::kCreateObject, "m_pHttpServerThread");
    }
    return WaitUntilServing(port);
}

// Ready means: this process listens on the port and a loopback connection
// reaches it. A listener of another program does not count, so a server that
// could not bind is never mistaken for a running one: its HWKInit returns and
// the wait ends with the failure.
int HWKStream::WaitUntilServing(uint16_t port) {
    const uint64_t start = platform::NowMs();
    for (;;) {
        if (m_pServerEnded->load()) {
            JoinServerThread();
            QK_LOGF(LOG_ERROR, "HWKInit could not serve port %hu", port);
            return QK_ERROR(qkerr::kHwkInit, std::to_string(port));
        }
        if (IsServingLocally(::getpid(), port)) {
            QK_CLEAR_ERROR();
            return 0;
        }
        if (platform::NowMs() - start >= kServingTimeoutMs) {
            QK_LOGF(LOG_ERROR, "HWKInit did not listen on port %hu in time", port);
            Shutdown();
            return QK_ERROR(qkerr::kHwkInit, std::to_string(port));
        }
        platform::SleepMs(kServingStepMs);
    }
}

int HWKStream::RegisterFile(const std::wstring& path, std::string& urlPath) {
    const std::string narrow = platform::WideToUtf8(path);
    QK_LOGF(LOG_DEBUG, "RegisterFile %s", narrow.c_str());
    if (!HasAllFunctions()) {
        return QK_ERROR(qkerr::kHwkLoad);
    }
    char buffer[kHwkUrlPathCapacity] = {};
    if (!m_pfnRegisterW(path.c_str(), buffer, sizeof buffer)) {
        return QK_ERROR(qkerr::kHwkRegister, narrow);
    }
    buffer[sizeof buffer - 1] = '\0';
    urlPath = buffer;
    m_RegisteredUrl = urlPath;
    QK_CLEAR_ERROR();
    return 0;
}

int HWKStream::DeregisterFile() {
    QK_LOGF(LOG_DEBUG, "DeregisterFile %s", m_RegisteredUrl.c_str());
    const std::string url = std::move(m_RegisteredUrl);
    m_RegisteredUrl.clear();
    if (!HasAllFunctions()) {
        return QK_ERROR(qkerr::kHwkLoad);
    }
    if (!m_pfnDeregisterByURL(url.c_str())) {
        return QK_ERROR(qkerr::kHwkDeregister, url);
    }
    QK_CLEAR_ERROR();
    return 0;
}

int HWKStream::AllowPeer(uint32_t ipv4) {
    if (ipv4 == m_AllowedPeer) {
        return 0;
    }
    QK_LOGF(LOG_DEBUG, "AllowPeer %s", platform::FormatIPv4(ipv4).c_str());
    if (!HasAllFunctions() || m_pfnAllowPeer == nullptr) {
        m_AllowedPeer = 0;
        return ipv4 == 0 ? 0 : QK_ERROR(qkerr::kHwkLoad);
    }
    // The new receiver first: no moment in between answers everyone.
    if (ipv4 != 0) {
        m_pfnAllowPeer(ipv4, true);
    }
    if (m_AllowedPeer != 0) {
        m_pfnAllowPeer(m_AllowedPeer, false);
    }
    m_AllowedPeer = ipv4;
    QK_CLEAR_ERROR();
    return 0;
}

int HWKStream::Shutdown() {
    if (!m_pHttpServerThread) {
        return 0;  // no server of ours: nothing to stop
    }
    QK_LOGF(LOG_DEBUG, "Shutdown %hu", m_Port);
    int rc = 0;
    // A server that already ended needs only its thread joined: the module's
    // shutdown would also stop the servers other streams run.
    if (!m_pServerEnded->load() && !m_pfnShutdown()) {
        rc = QK_ERROR(qkerr::kHwkShutdown);
    }
    JoinServerThread();
    if (rc == 0) {
        QK_CLEAR_ERROR();
    }
    return rc;
}

void HWKStream::JoinServerThread() {
    if (!m_pHttpServerThread) {
        return;
    }
    if (!m_pHttpServerThread->try_join_for(boost::chrono::milliseconds(kJoinTimeoutMs))) {
        // The module keeps serving against its contract. The thread runs code
        // of the module, so the module must stay loaded: both are abandoned.
        QK_LOGF(LOG_FATAL, "HttpServerThread did not end; the server module stays loaded");
        m_pHttpServerThread->detach();
        (void)m_pLibrary.release();
        m_pfnInit = nullptr;
        m_pfnRegisterW = nullptr;
        m_pfnDeregisterW = nullptr;
        m_pfnDeregisterByURL = nullptr;
        m_pfnShutdown = nullptr;
        m_pfnAllowPeer = nullptr;
        m_AllowedPeer = 0;
    } else {
        QK_LOGF(LOG_DEBUG, "HttpServerThread end");
    }
    m_pHttpServerThread.reset();
}
