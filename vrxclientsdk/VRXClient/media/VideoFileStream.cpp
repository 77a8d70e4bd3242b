#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"

#include "platform/wide_text.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/HwkServerRegistry.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"

VideoFileStream::VideoFileStream() = default;

VideoFileStream::~VideoFileStream() {
    Shutdown();
}

void VideoFileStream::SetLogger(Logger* logger) {
    QKErrorHandler::SetLogger(logger);
    m_HwkStream.SetLogger(logger);
    m_HwktStream.SetLogger(logger);
}

int VideoFileStream::ServerUseCount() {
    return HwkServerRegistry::Instance().TotalUseCount();
}

int VideoFileStream::Initialize(uint16_t port, bool transcode) {
    QK_LOGF(LOG_DEBUG, "Initialize %hu %d %d %d", port, m_bServerStarted ? 1 : 0, transcode ? 1 : 0,
            ServerUseCount());
    if (transcode && !m_bTranscode && ServerUseCount() > 0) {
        return QK_ERROR(qkerr::kHwkMultipleInstances);
    }
    if (m_bServerStarted && !transcode && !m_bTranscode && port == m_Port) {
        QK_LOGF(LOG_DEBUG, "vfs bypass init, ref count = %d", ServerUseCount());
        QK_CLEAR_ERROR();
        return 0;
    }
    if (const int rc = Shutdown(); rc < 0) {
        return rc;
    }
    m_bTranscode = transcode;
    m_Port = port;
    m_bFileRegistered = false;
    int rc = 0;
    if (transcode) {
        rc = m_HwktStream.StartServer();
        CopyError(m_HwktStream);
    } else if (!IsValidVideoPort(port)) {
        rc = QK_ERROR(qkerr::kHwkInit, std::to_string(port));
    } else {
        rc = HwkServerRegistry::Instance().Acquire(port, *this);
    }
    if (rc < 0) {
        m_bServerStarted = false;
        QK_LOGF(LOG_DEBUG, "vfs init fail, ref count=%d", ServerUseCount());
        return rc;
    }
    m_bServerStarted = true;
    SetReceiver(m_Receiver);
    QK_LOGF(LOG_DEBUG, "vfs init ok, ref count=%d,usPort=%d", ServerUseCount(), port);
    QK_CLEAR_ERROR();
    return 0;
}

void VideoFileStream::SetReceiver(uint32_t ipv4) {
    m_Receiver = ipv4;
    const uint32_t allowed = m_bServerStarted && !m_bTranscode ? ipv4 : 0;
    if (m_HwkStream.AllowPeer(allowed) < 0) {
        QK_LOGF(LOG_WARN, "the web server answers every peer: %s",
                m_HwkStream.GetErrorMessage().c_str());
    }
}

int VideoFileStream::Start(const std::wstring& path, std::string& urlPath) {
    QK_LOGF(LOG_DEBUG, "Start in %s", platform::WideToUtf8(path).c_str());
    if (!m_bServerStarted) {
        return QK_ERROR(qkerr::kHwkNotRunning);
    }
    if (m_bFileRegistered) {
        if (path == m_RegisteredPath) {
            urlPath = m_UrlPath;
            QK_CLEAR_ERROR();
            return 0;
        }
        // Another file: the old one must not stay reachable.
        if (const int rc = Withdraw(); rc < 0) {
            return rc;
        }
    }
    std::string published;
    const int rc = m_bTranscode ? m_HwktStream.RegisterFile(path, published)
                                : m_HwkStream.RegisterFile(path, published);
    if (rc < 0) {
        m_bFileRegistered = false;
        return QK_ERROR(qkerr::kHwkRegister, "bTranscode=" + std::to_string(m_bTranscode ? 1 : 0) +
                                                 ",hwk(t) err=" + std::to_string(rc));
    }
    m_bFileRegistered = true;
    m_RegisteredPath = path;
    m_UrlPath = published;
    urlPath = published;
    QK_LOGF(LOG_DEBUG, "Start out %s", urlPath.c_str());
    QK_CLEAR_ERROR();
    return 0;
}

int VideoFileStream::Stop(const std::wstring& path) {
    QK_LOGF(LOG_DEBUG, "Stop %s", platform::WideToUtf8(path).c_str());
    if (!m_bServerStarted) {
        return QK_ERROR(qkerr::kHwkNotRunning);
    }
    const int rc = Withdraw();
    QK_LOGF(LOG_DEBUG, "vfs stop, ref count = %d", ServerUseCount());
    if (rc == 0) {
        QK_CLEAR_ERROR();
    }
    return rc;
}

int VideoFileStream::Withdraw() {
    if (!m_bFileRegistered) {
        return 0;
    }
    m_bFileRegistered = false;
    m_RegisteredPath.clear();
    m_UrlPath.clear();
    const int rc = m_bTranscode ? m_HwktStream.DeregisterFile() : m_HwkStream.DeregisterFile();
    if (rc < 0) {
        if (m_bTranscode) {
            CopyError(m_HwktStream);
        } else {
            CopyError(m_HwkStream);
        }
    }
    return rc;
}

int VideoFileStream::Shutdown() {
    QK_LOGF(LOG_DEBUG, "Shutdown %d %d", m_bServerStarted ? 1 : 0, ServerUseCount());
    if (!m_bServerStarted) {
        return 0;
    }
    int rc = Withdraw();
    m_bServerStarted = false;
    SetReceiver(m_Receiver);  // withdraws the allowance
    if (!m_bTranscode) {
        const int released = HwkServerRegistry::Instance().Release(m_Port, *this);
        if (rc == 0) {
            rc = released;
        }
    }
    if (rc == 0) {
        QK_CLEAR_ERROR();
    }
    return rc;
}
