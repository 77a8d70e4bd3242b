#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

#include <unistd.h>

#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/LocalServerProbe.h"
#include "vrxclientsdk/VRXClient/media/VideoPorts.h"

namespace {

// Pause between two looks at the starting helper.
constexpr uint32_t kReadyStepMs = 20;
// The helper stops its encoder on SIGTERM (up to a second) and then ends;
// after this it is killed.
constexpr uint32_t kStopGraceMs = 3000;

}  // namespace

VideoScreenStream::VideoScreenStream() : VideoScreenStream(platform::ProgramFolder()) {}

VideoScreenStream::VideoScreenStream(const std::string& helperFolder) {
    std::string why;
    m_pEncoderLibrary = platform::DynamicLibrary::Load(kWmEncModuleName, &why);
    if (m_pEncoderLibrary) {
        m_pfnStartWMEncEx = m_pEncoderLibrary->Entry<StartWMEncExFn>(kStartWMEncExEntry);
        m_pfnStopWMEnc = m_pEncoderLibrary->Entry<StopWMEncFn>(kStopWMEncEntry);
        QK_LOGF(LOG_DEBUG, "VideoScreenStream encoder module %s",
                m_pEncoderLibrary->Path().c_str());
        return;
    }
    // Only the program's own folder is searched, and the helper is started
    // by this absolute path: nothing on PATH or in the working folder runs.
    const std::string candidate = helperFolder + "/" + kHelperName;
    if (!helperFolder.empty() && helperFolder.front() == '/' &&
        ::access(candidate.c_str(), X_OK) == 0) {
        m_bProgramMode = true;
        m_HelperPath = candidate;
    }
    QK_LOGF(LOG_DEBUG, "VideoScreenStream program mode %d %s", m_bProgramMode ? 1 : 0,
            candidate.c_str());
}

VideoScreenStream::~VideoScreenStream() {
    Stop();
}

bool VideoScreenStream::IsRunning() {
    return m_bRunning.load();
}

int VideoScreenStream::Start(int x, int y, int width, int height, uint16_t port, uint8_t a,
                             uint8_t b) {
    QK_LOGF(LOG_DEBUG, "Start %d %d %d %d %hu %d %d %d", x, y, width, height, port, a, b,
            m_bProgramMode ? 1 : 0);
    Stop();
    if (!IsValidVideoPort(port)) {
        QK_LOGF(LOG_ERROR, "Start port %hu is outside %d..%d", port, kMinVideoPort, kMaxVideoPort);
        return QK_ERROR(qkerr::kK7rmCantStart);
    }
    if (m_bProgramMode) {
        return StartProgram(x, y, width, height, port, a, b);
    }
    if (m_pEncoderLibrary && m_pfnStartWMEncEx) {
        const int rc = m_pfnStartWMEncEx(x, y, width, height, port, a, b);
        if (rc < 0) {
            Stop();
            QK_LOGF(LOG_NOTICE, "StartWMEncEx internal error %d", rc);
            return QK_ERROR(qkerr::kK7rmCantStart);
        }
        m_bRunning = true;
        QK_CLEAR_ERROR();
        return 0;
    }
    if (m_pEncoderLibrary) {
        return QK_ERROR(qkerr::kK7rmTooOld);
    }
    return QK_ERROR(qkerr::kK7rmNotInstalled);
}

int VideoScreenStream::StartProgram(int x, int y, int width, int height, uint16_t port, uint8_t a,
                                    uint8_t b) {
    const std::vector<std::string> args = {
        std::to_string(x),    std::to_string(y), std::to_string(width), std::to_string(height),
        std::to_string(port), std::to_string(a), std::to_string(b),
    };
    int error = 0;
    m_pProcess = platform::ChildProcess::Start(m_HelperPath, args, &error);
    if (!m_pProcess) {
        QK_LOGF(LOG_ERROR, "StartProgram %s: %s", m_HelperPath.c_str(), std::strerror(error));
        return QK_ERROR(qkerr::kCreateObject, "Process");
    }
    // Ready when our own child listens on the port and a loopback connection
    // reaches it; another program's listener on the port does not count.
    const uint64_t start = platform::NowMs();
    for (;;) {
        int status = 0;
        if (m_pProcess->HasExited(&status)) {
            m_pProcess.reset();
            QK_LOGF(LOG_ERROR, "StartProgram %s ended at once, wait status %d",
                    m_HelperPath.c_str(), status);
            return QK_ERROR(qkerr::kK7rmCantStart);
        }
        if (IsServingLocally(m_pProcess->Pid(), port)) {
            break;
        }
        if (platform::NowMs() - start >= m_ReadyTimeoutMs) {
            QK_LOGF(LOG_WARN, "StartProgram %s does not listen on port %hu yet",
                    m_HelperPath.c_str(), port);
            break;
        }
        platform::SleepMs(kReadyStepMs);
    }
    m_bRunning = true;
    QK_CLEAR_ERROR();
    return 0;
}

int VideoScreenStream::Stop() {
    QK_LOGF(LOG_DEBUG, "Stop %d %d", m_bRunning.load() ? 1 : 0, m_bProgramMode ? 1 : 0);
    m_bRunning = false;
    if (m_bProgramMode) {
        if (m_pProcess) {
            const int status = m_pProcess->Terminate(kStopGraceMs);
            QK_LOGF(LOG_DEBUG, "Stop %s ended, wait status %d", m_HelperPath.c_str(), status);
            m_pProcess.reset();
        }
        QK_CLEAR_ERROR();
        return 0;
    }
    if (m_pEncoderLibrary) {
        if (!m_pfnStopWMEnc) {
            return QK_ERROR(qkerr::kK7rmNoStop);
        }
        m_pfnStopWMEnc();
    }
    QK_CLEAR_ERROR();
    return 0;
}
