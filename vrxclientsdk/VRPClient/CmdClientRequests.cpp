// CmdClient: the requests of the command channel, the fire-and-forget input
// frames and the pre-buffer wait that follows a media start.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/clock.h"
#include "platform/syserror.h"
#include "platform/thread.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// Login codes never appear in the log.
constexpr const char* kMaskedCode = "xxxx";

// Steps of 30 ms that the pre-buffer wait allows: after a play, after a seek,
// and on receivers that report the end of pre-buffering themselves.
constexpr int kPlayPreBufSteps = 200;
constexpr int kSeekPreBufSteps = 66;
constexpr int kLongPreBufSteps = 1000;
constexpr int kPreBufStepMs = 30;
// StartPreBufWait waits at most 400 x 15 ms for the wait thread to start.
constexpr int kWaitStartSteps = 400;
constexpr int kWaitStartStepMs = 15;

// Copies at most `size` bytes of `text` to `at`; the rest stays zero.
void PutField(ByteString& payload, size_t at, size_t size, const std::string& text) {
    std::memcpy(&payload[at], text.data(), std::min(size, text.size()));
}

// 32 bytes as 64 hexadecimal digits.
std::string Hex32(const uint8_t* bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(64);
    for (size_t i = 0; i < cmd::kKeyField; ++i) {
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 15]);
    }
    return out;
}

std::string KeyField(const std::string& text) {
    std::string field(cmd::kKeyField, '\0');
    std::memcpy(field.data(), text.data(), std::min(field.size(), text.size()));
    return field;
}

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

}  // namespace

// ---------------------------------------------------------------------------
// common steps

int CmdClient::Request(uint8_t code, const char* name, const ByteString& payload,
                       int timeoutSeconds, ByteString* answer, size_t minAnswer) {
    if (m_PreBufWaiting.load()) {
        return QK_ERROR(qkerr::kReentry, "ProtocolBase::RequestCommand");
    }
    int rc = RequestCommand(code, cmd::AnswerOf(code), name, payload, true, timeoutSeconds);
    if (rc < 0) {
        return rc;
    }
    if (answer) {
        if (timeoutSeconds > 0) {
            *answer = AnswerPayload();
            // The readers deliver whole answers; this guards the layouts
            // that the callers index.
            if (answer->size() < minAnswer) {
                QK_LOGF(LOG_ERROR, "%s answer of %d bytes is short", name,
                        static_cast<int>(answer->size()));
                return QK_ERROR(-EPROTO);
            }
        } else {
            answer->clear();
        }
    }
    return 0;
}

int CmdClient::RequestByte(uint8_t code, const char* name, const ByteString& payload,
                           int timeoutSeconds, bool logRet) {
    ByteString answer;
    int rc = Request(code, name, payload, timeoutSeconds, &answer, timeoutSeconds > 0 ? 1 : 0);
    if (rc < 0) {
        return rc;
    }
    const int result = answer.empty() ? 0 : static_cast<uint8_t>(answer[0]);
    if (logRet) {
        QK_LOGF(LOG_DEBUG, "%s RET 0x%02X", name, result);
    }
    return SetError(result, __FILE__, __LINE__);
}

int CmdClient::RequestI32(uint8_t code, const char* name, const ByteString& payload,
                          const char* retLog, int negativeError) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString answer;
    int rc = Request(code, name, payload, cmd::kRequestTimeout, &answer, 4);
    if (rc < 0) {
        return rc;
    }
    const int32_t value =
        answer.size() >= 4 ? static_cast<int32_t>(platform::GetU32BE(answer.data())) : -1;
    QK_LOGF(LOG_DEBUG, "%s %d", retLog, value);
    if (value < 0 && negativeError != 0) {
        return QK_ERROR(negativeError);
    }
    return SetError(value, __FILE__, __LINE__);
}

// ---------------------------------------------------------------------------
// receiver identity and login

int CmdClient::GetDeviceCap(DeviceCapRecord* record) {
    QK_LOGF(LOG_INFO, "GetDeviceCap");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kGetDeviceCap, "GetDeviceCap", {}, cmd::kRequestTimeout, &a,
                     cmd::kCapHead + cmd::kCapGroup + cmd::kCapTrailer);
    if (rc < 0) {
        return rc;
    }
    // The reader checked every count against the bytes it read, so the
    // layout below holds.
    const auto* p = Bytes(a);
    DeviceCapRecord r;
    r.SetHead(p);
    size_t at = cmd::kCapHead;
    const size_t n = p[cmd::kCapRecordHead];
    const size_t m0 = a.size() > cmd::kCapHead + n + 1 ? p[cmd::kCapHead + n + 1] : 0;
    if (a.size() != cmd::kCapHead + n + cmd::kCapGroup + m0 * cmd::kCapEntry + cmd::kCapTrailer) {
        return QK_ERROR(-EPROTO);
    }
    r.codings.assign(p + at, p + at + n);
    at += n;
    r.groupByte = p[at];
    const size_t m = p[at + 1];
    at += cmd::kCapGroup;
    r.entries.resize(m);
    for (size_t i = 0; i < m; ++i, at += cmd::kCapEntry) {
        std::memcpy(r.entries[i].data(), p + at, cmd::kCapEntry);
    }
    std::memcpy(r.trailer.data(), p + at, cmd::kCapTrailer);
    if (record) {
        *record = std::move(r);
    }
    QK_CLEAR_ERROR();
    return 0;
}

int CmdClient::GetDeviceStatus(uint8_t* buffer) {
    QK_LOGF(LOG_INFO, "GetDeviceStatus");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kGetDeviceStatus, "GetDeviceStatus", {}, cmd::kRequestTimeout, &a, 2);
    if (rc < 0) {
        return rc;
    }
    if (buffer) {
        std::memcpy(buffer, a.data(), 2);
    }
    return 0;
}

int CmdClient::GetKey(uint8_t* buffer) {
    QK_LOGF(LOG_INFO, "GetKey");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kGetKey, "GetKey", {}, cmd::kRequestTimeout, &a, 4);
    if (rc < 0) {
        return rc;
    }
    if (buffer) {
        std::memcpy(buffer, a.data(), 4);
    }
    return 0;
}

int CmdClient::ConnectToDeviceThruIP(DevAnnounce* record) {
    QK_LOGF(LOG_INFO, "ConnectToDeviceThruIP");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kConnectToDeviceThruIP, "ConnectToDeviceThruIP", {}, cmd::kRequestTimeout,
                     &a, kDevAnnounceSize);
    if (rc < 0) {
        return rc;
    }
    DevAnnounce r;
    std::memcpy(r.bytes, a.data(), kDevAnnounceSize);
    DevAnnounceToHost(r);
    QK_LOGF(LOG_INFO, "DevAnnounce %s %hu %hu %hu %hu", r.GetText().c_str(), r.GetCommandPort(),
            r.GetImagePort(), r.GetVideoPort(), r.GetFourthPort());
    m_DeviceVersion = r.GetProtocolVersion();
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (::getpeername(m_Socket.handle.load(), reinterpret_cast<sockaddr*>(&peer), &len) == 0) {
        r.SetIPv4(peer.sin_addr.s_addr);
    }
    if (record) {
        *record = r;
    }
    return 0;
}

int CmdClient::LoginPayload(const std::string& name, const std::string& password, size_t size,
                            ByteString* payload) {
    sockaddr_in self{};
    socklen_t len = sizeof self;
    if (::getsockname(m_Socket.handle.load(), reinterpret_cast<sockaddr*>(&self), &len) != 0) {
        return QK_ERROR(-platform::LastSystemError());
    }
    payload->assign(size, '\0');
    PutField(*payload, 0, cmd::kUserNameField, name);
    std::memcpy(&(*payload)[cmd::kUserNameField], &self.sin_addr.s_addr, 4);
    PutField(*payload, cmd::kUserNameField + 4, cmd::kPasswordField, password);
    return 0;
}

int CmdClient::Login(const std::string& name, const std::string& password) {
    QK_LOGF(LOG_INFO, "Login %s %s", name.c_str(), kMaskedCode);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p;
    if (int rc = LoginPayload(name, password, cmd::kLoginPayload, &p); rc < 0) {
        return rc;
    }
    return RequestByte(cmd::kLogin, "Login", p, cmd::kRequestTimeout, false);
}

int CmdClient::LoginEx(const std::string& name, const std::string& password, uint8_t osType,
                       uint8_t appType, uint8_t pointType, uint8_t sidebar, uint32_t version,
                       const std::string& productId) {
    // The product id is 8 bytes; a shorter one is zero-padded.
    std::string pid = productId.substr(0, cmd::kProductIdField);
    QK_LOGF(LOG_INFO, "LoginEx %s %s os:%d app:%d poin:%d sb:%d ver:%u pid:%s", name.c_str(),
            kMaskedCode, osType, appType, pointType, sidebar, version, pid.c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p;
    if (int rc = LoginPayload(name, password, cmd::kLoginExPayload, &p); rc < 0) {
        return rc;
    }
    p[60] = static_cast<char>(osType);
    p[61] = static_cast<char>(appType);
    p[62] = static_cast<char>(pointType);
    p[63] = static_cast<char>(sidebar);
    platform::PutU16BE(&p[64], 0x0100);
    platform::PutU32BE(&p[66], version);
    PutField(p, 70, cmd::kProductIdField, pid);
    return RequestByte(cmd::kLoginEx, "LoginEx", p, cmd::kRequestTimeout, false);
}

int CmdClient::SupervisorLogin(const std::string& password) {
    QK_LOGF(LOG_INFO, "SupervisorLogin %s", kMaskedCode);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kSupervisorPayload, '\0');
    PutField(p, 0, cmd::kSupervisorPayload, password);
    return RequestByte(cmd::kSupervisorLogin, "SupervisorLogin", p, cmd::kRequestTimeout, false);
}

// ---------------------------------------------------------------------------
// image projection

int CmdClient::StartImage(uint8_t code, const char* name, uint8_t mode) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.exchange(kPlayImage);
    int rc = RequestByte(code, name, ByteString(1, static_cast<char>(mode)), cmd::kRequestTimeout);
    if (rc <= 0) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::StartPlayImage(uint8_t mode) {
    QK_LOGF(LOG_INFO, "StartPlayImage 0x%02X %u", mode, m_PlayState.load());
    return StartImage(cmd::kStartPlayImage, "StartPlayImage", mode);
}

int CmdClient::StartPlayAckImage(uint8_t mode) {
    QK_LOGF(LOG_INFO, "StartPlayAckImage 0x%02X %u", mode, m_PlayState.load());
    return StartImage(cmd::kStartPlayAckImage, "StartPlayAckImage", mode);
}

int CmdClient::PausePlayImage(uint8_t mode) {
    QK_LOGF(LOG_INFO, "PausePlayImage 0x%02X %u", mode, m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.exchange(kPlayImagePaused);
    int rc = RequestByte(cmd::kPausePlayImage, "PausePlayImage",
                         ByteString(1, static_cast<char>(mode)), cmd::kRequestTimeout);
    if (rc <= 0) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::StopPlayImage(uint8_t mode, bool force) {
    QK_LOGF(LOG_INFO, "StopPlayImage 0x%02X %d", mode, force ? 1 : 0);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.load();
    if (!force && previous != kPlayImage && previous != kPlayImagePaused) {
        return SetError(1, __FILE__, __LINE__);
    }
    m_PlayState = kPlayIdle;
    int rc = RequestByte(cmd::kStopPlayImage, "StopPlayImage",
                         ByteString(1, static_cast<char>(mode)), cmd::kRequestTimeout);
    // Without an answer the receiver may well have stopped: stay idle.
    if (rc == 0 || (rc < 0 && rc != qkerr::kResponseTimeout)) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::CheckNCC() {
    QK_LOGF(LOG_INFO, "CheckNCC %d %u", m_IgnoreNCC.load() ? 1 : 0, m_PlayState.load());
    if (m_IgnoreNCC.load()) {
        return SetError(1, __FILE__, __LINE__);
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kCheckNCC, "CheckNCC", {}, cmd::kRequestTimeout);
}

void CmdClient::SetIgnoreNCC(bool ignore) {
    QK_LOGF(LOG_INFO, "SetIgnoreNCC %d", ignore ? 1 : 0);
    m_IgnoreNCC = ignore;
}

bool CmdClient::GetIgnoreNCC() {
    return m_IgnoreNCC.load();
}

int CmdClient::HideScreen(uint8_t mode) {
    QK_LOGF(LOG_INFO, "HideScreen");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kHideScreen, "HideScreen", ByteString(1, static_cast<char>(mode)),
                       cmd::kRequestTimeout);
}

int CmdClient::ClearScreen(uint8_t mode, int timeoutSeconds) {
    QK_LOGF(LOG_INFO, "ClearScreen 0x%02X %d", mode, timeoutSeconds);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kClearScreen, "ClearScreen", ByteString(1, static_cast<char>(mode)),
                       timeoutSeconds);
}

int CmdClient::SetFrameBuffer(uint16_t& w, uint16_t& h, uint8_t& abpp, uint8_t& cs, bool scale,
                              uint8_t& cd, uint16_t secondWidth, uint16_t secondHeight,
                              uint8_t rotation) {
    QK_LOGF(LOG_INFO,
            "SetFrameBuffer w:%hu h:%hu abpp:%d cs:%d scale:%d cd:%d sw:%hu sh:%hu rot:%d", w, h,
            abpp, cs, scale ? 1 : 0, cd, secondWidth, secondHeight, rotation);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kFrameBufferPayload, '\0');
    platform::PutU16BE(&p[0], w);
    platform::PutU16BE(&p[2], h);
    p[4] = static_cast<char>(abpp);
    p[5] = static_cast<char>(cs);
    p[6] = scale ? 1 : 0;
    p[7] = static_cast<char>(cd);
    platform::PutU16BE(&p[8], secondWidth);
    platform::PutU16BE(&p[10], secondHeight);
    p[12] = static_cast<char>(rotation);
    ByteString a;
    if (int rc = Request(cmd::kSetFrameBuffer, "SetFrameBuffer", p, cmd::kRequestTimeout, &a,
                         cmd::kFrameBufferPayload);
        rc < 0) {
        return rc;
    }
    const auto* r = Bytes(a);
    if (r[6] != 0) {
        return SetError(r[6], __FILE__, __LINE__);
    }
    w = platform::GetU16BE(r);
    h = platform::GetU16BE(r + 2);
    abpp = r[4];
    cs = r[5];
    if (r[7] != 0) {
        cd = r[7];
    }
    QK_LOGF(LOG_INFO, "SetFrameBuffer recv %hu %hu %d %d %d", w, h, abpp, cs, cd);
    return 0;
}

// ---------------------------------------------------------------------------
// values and messages

int CmdClient::ChangeValue(const std::string& key, const std::string& value, int timeoutSeconds) {
    const std::string k = KeyField(key), v = KeyField(value);
    QK_LOGF(LOG_INFO, "ChangeValue %s %s", Hex32(Bytes(k)).c_str(), Hex32(Bytes(v)).c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kChangeValue, "ChangeValue", k + v, timeoutSeconds);
}

int CmdClient::GetValue(const std::string& key, std::string* value, int timeoutSeconds) {
    const std::string k = KeyField(key);
    QK_LOGF(LOG_INFO, "GetValue %s", Hex32(Bytes(k)).c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kGetValue, "GetValue", k, timeoutSeconds, &a);
    if (rc < 0) {
        return rc;
    }
    if (value) {
        *value = timeoutSeconds > 0 ? a : std::string();
    }
    return 0;
}

int CmdClient::ForwardMessage(uint32_t id, uint32_t size, const void* data, ByteString* reply,
                              bool dontrep) {
    QK_LOGF(LOG_INFO, "ForwardMessage: id=%u, size=%u dontrep=%d", id, size, dontrep ? 1 : 0);
    if (size > 0 && data == nullptr) {
        return QK_ERROR(qkerr::kInitObject, "ForwardMessage data");
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kForwardHeader, '\0');
    platform::PutU32BE(&p[0], id);
    platform::PutU32BE(&p[4], size);
    p[8] = dontrep ? 1 : 0;
    p.append(static_cast<const char*>(data), size);
    ByteString a;
    int rc =
        Request(cmd::kForwardMessage, "ForwardMessage", p, dontrep ? 0 : cmd::kForwardTimeout, &a);
    if (rc < 0) {
        return rc;
    }
    if (!dontrep && reply) {
        *reply = std::move(a);
    }
    return 0;
}

int CmdClient::TestPort(uint16_t port) {
    QK_LOGF(LOG_INFO, "TestPort %hu", port);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(3, '\0');
    p[0] = static_cast<char>(0xa0);
    platform::PutU16BE(&p[1], port);
    ByteString a;
    if (int rc = Request(cmd::kTestPort, "TestPort", p, cmd::kRequestTimeout, &a, 2); rc < 0) {
        return rc;
    }
    return SetError(static_cast<uint8_t>(a[1]), __FILE__, __LINE__);
}

int CmdClient::GetSenderCount() {
    QK_LOGF(LOG_INFO, "GetSenderCount");
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString a;
    int rc = Request(cmd::kGetSenderCount, "GetSenderCount", {}, cmd::kRequestTimeout, &a, 4);
    if (rc < 0) {
        return rc;
    }
    // A count is never negative: an absurd one is capped, not wrapped.
    const uint32_t count = std::min<uint32_t>(platform::GetU32BE(a.data()), INT_MAX);
    QK_LOGF(LOG_DEBUG, "GetSenderCount SCNT_RET %u", count);
    return SetError(static_cast<int>(count), __FILE__, __LINE__);
}

int CmdClient::SetPenAttribute(uint32_t colour, uint8_t width) {
    const uint8_t r = colour & 0xff, g = (colour >> 8) & 0xff, b = (colour >> 16) & 0xff;
    QK_LOGF(LOG_INFO, "SetPenAttribute cl:%02X%02X%02X w:%d", r, g, b, width);
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SetPenAttribute");
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kPenPayload, '\0');
    p[0] = static_cast<char>(r);
    p[1] = static_cast<char>(g);
    p[2] = static_cast<char>(b);
    p[3] = static_cast<char>(width);
    return RequestByte(cmd::kSetPenAttribute, "SetPenAttribute", p, cmd::kRequestTimeout, false);
}

int CmdClient::SetPreBufTime(uint16_t time, bool force, bool flag) {
    QK_LOGF(LOG_INFO, "SetPreBufTime %d %d", time, force ? 1 : 0);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock, boost::defer_lock);
    if (force) {
        lock.lock();
    } else {
        if (time == m_PreBufTime.load()) {
            return 0;
        }
        if (!lock.try_lock()) {
            return QK_ERROR(qkerr::kReentry, "SetPreBufTime");
        }
    }
    m_PreBufTime = time;
    ByteString p(cmd::kSetPreBufTimePayload, '\0');
    platform::PutU16BE(&p[0], time);
    p[2] = flag ? 1 : 0;
    p[3] = force ? 1 : 0;
    return RequestByte(cmd::kSetPreBufTime, "SetPreBufTime", p, cmd::kRequestTimeout, false);
}

uint16_t CmdClient::GetPreBufTime() {
    return IsProtocolAbove011A() ? m_PreBufTime.load() : 0;
}

uint32_t CmdClient::GetPlayState() {
    return m_PlayState.load();
}

void CmdClient::SetPlayState(uint32_t state) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    m_PlayState = state;
}

// ---------------------------------------------------------------------------
// media

int CmdClient::PlayMediaFailed(int result, uint32_t previousState, const std::string& url) {
    if (result < 0) {
        SaveError();
        if (result == qkerr::kResponseTimeout) {
            // The receiver may have started after all: withdraw the play.
            const uint8_t status[cmd::kStatusBytes] = {1, 0, 0, 0};
            StopVideo(0, url, status);
        }
        RestoreError();
    }
    m_PlayState = previousState;
    m_PreBufDone = true;
    return result;
}

int CmdClient::PlayVideo(uint8_t mode, uint8_t option, const std::string& url) {
    QK_LOGF(LOG_INFO, "PlayVideo 0x%02X 0x%02X %s %u", mode, option, url.c_str(),
            m_PlayState.load());
    if (url.size() > cmd::kPlayVideoMaxUrl) {
        // Cutting it would make the receiver fetch another address.
        QK_LOGF(LOG_ERROR, "PlayVideo URL of %d bytes does not fit", static_cast<int>(url.size()));
        return QK_ERROR(qkerr::kPlayVideoStream);
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kPlayVideoPayload, '\0');
    p[0] = static_cast<char>(mode);
    p[1] = static_cast<char>(option);
    platform::PutU16LE(&p[2], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[4], url.data(), url.size());
    const uint32_t previous = m_PlayState.exchange(kPlayMedia);
    m_LastMediaAudio = false;
    m_PreBufDone = false;
    int rc = RequestByte(cmd::kPlayVideo, "PlayVideo", p, cmd::kPlayVideoTimeout);
    if (rc != 1) {
        return PlayMediaFailed(rc, previous, url);
    }
    StartPreBufWait(kPlayPreBufSteps, m_Mute.load());
    return rc;
}

int CmdClient::PlayAudio(const std::string& url, uint32_t value, uint8_t option) {
    QK_LOGF(LOG_INFO, "PlayAudio %s %u %d", url.c_str(), value, option);
    if (url.size() > cmd::kPlayAudioUrlField) {
        QK_LOGF(LOG_ERROR, "PlayAudio URL of %d bytes does not fit", static_cast<int>(url.size()));
        return QK_ERROR(qkerr::kPlayVideoStream);
    }
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    ByteString p(cmd::kPlayAudioPayload, '\0');
    platform::PutU32BE(&p[0], value);
    std::memcpy(&p[4], url.data(), url.size());
    p[4 + cmd::kPlayAudioUrlField] = option != 0 ? 1 : 0;
    const uint32_t previous = m_PlayState.exchange(kPlayMedia);
    m_LastMediaAudio = true;
    m_LastAudioOption = option;
    m_PreBufDone = false;
    const int timeout = std::max<int>(1, static_cast<int>(m_AliveTimeout.load()) - 5);
    int rc = RequestByte(cmd::kPlayAudio, "PlayAudio", p, timeout);
    if (rc != 1) {
        return PlayMediaFailed(rc, previous, url);
    }
    StartPreBufWait(kPlayPreBufSteps, m_Mute.load());
    return rc;
}

int CmdClient::RepeatMedia(const std::string& url) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    QK_LOGF(LOG_INFO, "RepeatMedia %s %d %d", url.c_str(), m_LastMediaAudio ? 1 : 0,
            m_LastAudioOption);
    if (m_LastMediaAudio) {
        return PlayAudio(url, 0, m_LastAudioOption);
    }
    return PlayVideo(0, 3, url);
}

int CmdClient::StopVideo(uint8_t mode, const std::string& url, const uint8_t* status) {
    static const uint8_t kNoStatus[cmd::kStatusBytes] = {};
    if (!status) {
        status = kNoStatus;
    }
    QK_LOGF(LOG_INFO, "StopVideo 0x%02X %s 0x%02X 0x%02X 0x%02X 0x%02X %u", mode, url.c_str(),
            status[0], status[1], status[2], status[3], m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.load();
    if (previous != kPlayMedia && previous != kPlayMediaPaused) {
        return SetError(1, __FILE__, __LINE__);
    }
    if (url.size() > UINT16_MAX) {
        return QK_ERROR(qkerr::kStopVideoStream);
    }
    ByteString p(url.size() + 3 + cmd::kStatusBytes, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU16LE(&p[1], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[3], url.data(), url.size());
    std::memcpy(&p[3 + url.size()], status, cmd::kStatusBytes);
    m_PlayState = kPlayIdle;
    m_PreBufCondition.notify_all();
    int rc = RequestByte(cmd::kStopVideo, "StopVideo", p, cmd::kStopVideoTimeout);
    if (rc == 0 || (rc < 0 && rc != qkerr::kResponseTimeout)) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::PauseVideo(uint8_t mode, const std::string& url) {
    QK_LOGF(LOG_INFO, "PauseVideo 0x%02X %s %u", mode, url.c_str(), m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t previous = m_PlayState.load();
    if (previous != kPlayMedia && previous != kPlayMediaPaused) {
        return SetError(1, __FILE__, __LINE__);
    }
    if (url.size() > UINT16_MAX) {
        return QK_ERROR(qkerr::kPauseVideoStream);
    }
    ByteString p(url.size() + 3, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU16LE(&p[1], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[3], url.data(), url.size());
    m_PlayState = previous == kPlayMedia ? kPlayMediaPaused : kPlayMedia;
    int rc = RequestByte(cmd::kPauseVideo, "PauseVideo", p, cmd::kRequestTimeout);
    if (rc <= 0) {
        m_PlayState = previous;
    }
    return rc;
}

int CmdClient::SeekVideo(uint8_t mode, int32_t position, const std::string& url) {
    QK_LOGF(LOG_INFO, "SeekVideo 0x%02X %d %s", mode, position, url.c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    if (url.size() > UINT16_MAX) {
        return QK_ERROR(qkerr::kSeekVideoStream);
    }
    ByteString p(url.size() + 11, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU32LE(&p[1], static_cast<uint32_t>(position));
    platform::PutU16LE(&p[9], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[11], url.data(), url.size());
    m_PreBufDone = false;
    int rc = RequestByte(cmd::kSeekVideo, "SeekVideo", p, cmd::kRequestTimeout);
    if (rc == 1) {
        StartPreBufWait(kSeekPreBufSteps, false);
    }
    return rc;
}

int CmdClient::SetVideoVol(uint8_t volume) {
    QK_LOGF(LOG_INFO, "SetVideoVol 0x%02X", volume);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    if (volume != 255 && m_Mute.load()) {
        MuteUnmuteVolume();
    }
    return RequestByte(cmd::kSetVideoVol, "SetVideoVol", ByteString(1, static_cast<char>(volume)),
                       cmd::kRequestTimeout);
}

int CmdClient::MuteUnmuteVolume() {
    QK_LOGF(LOG_INFO, "MuteUnmuteVolume %d", m_Mute.load() ? 1 : 0);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t state = m_PlayState.load();
    if (IsConnected() && (state == kPlayMedia || state == kPlayMediaPaused)) {
        int rc = SetVideoVol(255);
        if (rc < 0) {
            return rc;
        }
        if (rc == 0) {
            return QK_ERROR(qkerr::kSetVideoVolume);
        }
    }
    const bool muted = !m_Mute.load();
    m_Mute = muted;
    return SetError(muted ? 0 : 1, __FILE__, __LINE__);
}

int CmdClient::GetMuteState() {
    const int on = m_Mute.load() ? 0 : 1;
    QK_LOGF(LOG_INFO, "GetMuteState %d", on);
    return on;
}

int CmdClient::GetVideoPos() {
    QK_LOGF(LOG_INFO, "GetVideoPos");
    return RequestI32(cmd::kGetVideoPos, "GetVideoPos", {}, "GetVideoPos VPOS_RET",
                      qkerr::kVideoPosition);
}

int CmdClient::GetVideoDuration() {
    QK_LOGF(LOG_INFO, "GetVideoDuration");
    return RequestI32(cmd::kGetVideoDuration, "GetVideoDuration",
                      ByteString(cmd::kVideoDurationPayload, '\0'), "GetVideoDuration VDUR_RET",
                      qkerr::kVideoDuration);
}

// ---------------------------------------------------------------------------
// pre-buffer wait

void CmdClient::JoinPreBufThread(bool cancel) {
    std::unique_ptr<boost::thread> t;
    {
        boost::mutex::scoped_lock guard(m_PreBufThreadLock);
        if (platform::IsCurrentThread(m_pPreBufThread)) {
            return;  // joined by the next wait or at shutdown
        }
        t = std::move(m_pPreBufThread);
    }
    if (!t) {
        return;
    }
    if (cancel) {
        // The caller may hold the command lock, which the wait's closing mute
        // step needs: that step is skipped.
        m_PreBufCancel = true;
        boost::mutex::scoped_lock guard(m_PreBufMutex);
        m_PreBufCondition.notify_all();
    }
    if (t->joinable()) {
        t->join();
    }
    m_PreBufCancel = false;
}

void CmdClient::StartPreBufWait(int steps, bool mute) {
    if (m_PreBufDone.load()) {
        return;
    }
    JoinPreBufThread(true);
    m_WaitStarted = false;
    {
        boost::mutex::scoped_lock guard(m_PreBufThreadLock);
        m_pPreBufThread = platform::StartThread<boost::thread>(
            "cmd-prebuf", [this, steps, mute] { WaitPreBufDone(steps, mute); });
        if (!m_pPreBufThread) {
            QK_LOGF(LOG_CRIT, "StartPreBufWait cannot start its thread");
            return;
        }
    }
    for (int i = 0; i < kWaitStartSteps && !m_WaitStarted.load(); ++i) {
        platform::SleepMs(kWaitStartStepMs);
    }
}

void CmdClient::WaitPreBufDone(int steps, bool mute) {
    QK_LOGF(LOG_DEBUG, "WaitPreBufDone");
    m_PreBufWaiting = true;
    m_WaitStarted = true;
    const int limit = HasFbfBit01() ? kLongPreBufSteps : steps;
    {
        boost::mutex::scoped_lock guard(m_PreBufMutex);
        for (int i = 0; i < limit && IsRunning() && m_PlayState.load() == kPlayMedia &&
                        !m_PreBufDone.load() && !m_PreBufCancel.load();
             ++i) {
            if (m_PreBufCondition.wait_for(guard, boost::chrono::milliseconds(kPreBufStepMs)) ==
                boost::cv_status::no_timeout) {
                break;
            }
        }
    }
    m_PreBufWaiting = false;
    if (mute) {
        // The receiver starts a new media unmuted: mute it again. The lock is
        // only tried, so that a joiner holding it never waits for this step.
        boost::recursive_mutex::scoped_lock lock(m_CmdLock, boost::defer_lock);
        while (!m_PreBufCancel.load() && !lock.try_lock()) {
            platform::SleepMs(1);
        }
        if (lock.owns_lock()) {
            m_Mute = false;
            MuteUnmuteVolume();
        }
    }
    QK_LOGF(LOG_DEBUG, "PreBufDone");
}

// ---------------------------------------------------------------------------
// fire-and-forget input frames

int CmdClient::SendFireAndForget(const ByteString& frame) {
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    int n = SendCommandData(frame.data(), frame.size(), 0, true);
    if (n < 0) {
        const int err = platform::LastSystemError();
        return QK_ERROR(-(err ? err : EIO));
    }
    return n;
}

int CmdClient::SendMouseEvent(bool left, bool right, bool middle, int8_t dx, int8_t dy,
                              int8_t wheel) {
    QK_LOGF(LOG_INFO, "SendMouseEvent l:%d r:%d m:%d dx:%d dy:%d wh:%d", left, right, middle, dx,
            dy, wheel);
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SendMouseEvent");
    }
    ByteString f(5, '\0');
    f[0] = static_cast<char>(cmd::kMouseInput);
    f[1] = static_cast<char>((left ? 1 : 0) | (right ? 2 : 0) | (middle ? 4 : 0));
    f[2] = static_cast<char>(dx);
    f[3] = static_cast<char>(dy);
    f[4] = static_cast<char>(wheel);
    return SendFireAndForget(f);
}

int CmdClient::SendTouchEvent(uint8_t id, uint16_t x, uint16_t y, uint8_t state) {
    QK_LOGF(LOG_INFO, "SendTouchEvent id:%d x:%d y:%d st:0x%02X", id, x, y, state);
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SendTouchEvent");
    }
    ByteString f(8, '\0');
    f[0] = static_cast<char>(cmd::kTouchInput);
    f[1] = static_cast<char>(id);
    platform::PutU16BE(&f[2], x);
    platform::PutU16BE(&f[4], y);
    f[6] = static_cast<char>(state);
    return SendFireAndForget(f);
}

int CmdClient::SendInputEvent(uint16_t type, uint16_t code, uint32_t value) {
    QK_LOGF(LOG_INFO, "SendInputEvent type:%d code:%d value:%d", type, code,
            static_cast<int>(value));
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SendInputEvent");
    }
    ByteString f(9, '\0');
    f[0] = static_cast<char>(cmd::kGenericInput);
    platform::PutU16BE(&f[1], type);
    platform::PutU16BE(&f[3], code);
    platform::PutU32BE(&f[5], value);
    return SendFireAndForget(f);
}

int CmdClient::SendLockKeyState(uint8_t key, bool on) {
    ByteString f(4, '\0');
    f[0] = static_cast<char>(cmd::kLockKeyInput);
    f[1] = static_cast<char>(cmd::kLockKeyTag);
    f[2] = static_cast<char>(key);
    f[3] = on ? 1 : 0;
    return SendFireAndForget(f);
}
