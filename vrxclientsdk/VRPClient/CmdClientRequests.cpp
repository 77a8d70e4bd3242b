// CmdClient: the requests of the command channel and the fire-and-forget
// input frames, their payloads built by CommandWriter, their answers decoded
// by CommandReader.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/syserror.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/CommandReader.h"
#include "vrxclientsdk/VRPClient/CommandWriter.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace {

// Login codes never appear in the log.
constexpr const char* kMaskedCode = "xxxx";

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

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

}  // namespace

// ---------------------------------------------------------------------------
// common steps

int CmdClient::Request(uint8_t code, const char* name, const ByteString& payload,
                       int timeoutSeconds, ByteString* answer, size_t minAnswer) {
    if (m_PreBuf.IsWaiting()) {
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
    // The reader checked every count against the bytes it read; a block
    // whose counts still disagree with its size is refused.
    std::optional<DeviceCapRecord> r = CommandReader::DeviceCap(a);
    if (!r) {
        return QK_ERROR(-EPROTO);
    }
    if (record) {
        *record = std::move(*r);
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

int CmdClient::LocalIPv4(uint32_t* address) {
    sockaddr_in self{};
    socklen_t len = sizeof self;
    if (::getsockname(m_Socket.handle.load(), reinterpret_cast<sockaddr*>(&self), &len) != 0) {
        return QK_ERROR(-platform::LastSystemError());
    }
    *address = self.sin_addr.s_addr;
    return 0;
}

int CmdClient::Login(const std::string& name, const std::string& password) {
    QK_LOGF(LOG_INFO, "Login %s %s", name.c_str(), kMaskedCode);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    uint32_t self = 0;
    if (int rc = LocalIPv4(&self); rc < 0) {
        return rc;
    }
    return RequestByte(cmd::kLogin, "Login", CommandWriter::Login(name, password, self),
                       cmd::kRequestTimeout, false);
}

int CmdClient::LoginEx(const std::string& name, const std::string& password, uint8_t osType,
                       uint8_t appType, uint8_t pointType, uint8_t sidebar, uint32_t version,
                       const std::string& productId) {
    // The product id is 8 bytes; a shorter one is zero-padded.
    std::string pid = productId.substr(0, cmd::kProductIdField);
    QK_LOGF(LOG_INFO, "LoginEx %s %s os:%d app:%d poin:%d sb:%d ver:%u pid:%s", name.c_str(),
            kMaskedCode, osType, appType, pointType, sidebar, version, pid.c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    uint32_t self = 0;
    if (int rc = LocalIPv4(&self); rc < 0) {
        return rc;
    }
    return RequestByte(cmd::kLoginEx, "LoginEx",
                       CommandWriter::LoginEx(name, password, self, osType, appType, pointType,
                                              sidebar, version, pid),
                       cmd::kRequestTimeout, false);
}

int CmdClient::SupervisorLogin(const std::string& password) {
    QK_LOGF(LOG_INFO, "SupervisorLogin %s", kMaskedCode);
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kSupervisorLogin, "SupervisorLogin",
                       CommandWriter::SupervisorLogin(password), cmd::kRequestTimeout, false);
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
    const ByteString p =
        CommandWriter::FrameBuffer(w, h, abpp, cs, scale, cd, secondWidth, secondHeight, rotation);
    ByteString a;
    if (int rc = Request(cmd::kSetFrameBuffer, "SetFrameBuffer", p, cmd::kRequestTimeout, &a,
                         cmd::kFrameBufferPayload);
        rc < 0) {
        return rc;
    }
    const CommandReader::FrameBufferAnswer r = *CommandReader::FrameBuffer(a);  // length checked
    if (r.status != 0) {
        return SetError(r.status, __FILE__, __LINE__);
    }
    w = r.w;
    h = r.h;
    abpp = r.abpp;
    cs = r.cs;
    if (r.cd != 0) {
        cd = r.cd;
    }
    QK_LOGF(LOG_INFO, "SetFrameBuffer recv %hu %hu %d %d %d", w, h, abpp, cs, cd);
    return 0;
}

// ---------------------------------------------------------------------------
// values and messages

int CmdClient::ChangeValue(const std::string& key, const std::string& value, int timeoutSeconds) {
    const std::string k = CommandWriter::KeyField(key), v = CommandWriter::KeyField(value);
    QK_LOGF(LOG_INFO, "ChangeValue %s %s", Hex32(Bytes(k)).c_str(), Hex32(Bytes(v)).c_str());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    return RequestByte(cmd::kChangeValue, "ChangeValue", k + v, timeoutSeconds);
}

int CmdClient::GetValue(const std::string& key, std::string* value, int timeoutSeconds) {
    const std::string k = CommandWriter::KeyField(key);
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
    ByteString a;
    int rc = Request(cmd::kForwardMessage, "ForwardMessage",
                     CommandWriter::ForwardMessage(id, size, data, dontrep),
                     dontrep ? 0 : cmd::kForwardTimeout, &a);
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
    ByteString a;
    if (int rc = Request(cmd::kTestPort, "TestPort", CommandWriter::TestPort(port),
                         cmd::kRequestTimeout, &a, 2);
        rc < 0) {
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
    return RequestByte(cmd::kSetPenAttribute, "SetPenAttribute",
                       CommandWriter::PenAttribute(colour, width), cmd::kRequestTimeout, false);
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
    return RequestByte(cmd::kSetPreBufTime, "SetPreBufTime",
                       CommandWriter::PreBufTime(time, flag, force), cmd::kRequestTimeout, false);
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
    return SendFireAndForget(CommandWriter::MouseFrame(left, right, middle, dx, dy, wheel));
}

int CmdClient::SendTouchEvent(uint8_t id, uint16_t x, uint16_t y, uint8_t state) {
    QK_LOGF(LOG_INFO, "SendTouchEvent id:%d x:%d y:%d st:0x%02X", id, x, y, state);
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SendTouchEvent");
    }
    return SendFireAndForget(CommandWriter::TouchFrame(id, x, y, state));
}

int CmdClient::SendInputEvent(uint16_t type, uint16_t code, uint32_t value) {
    QK_LOGF(LOG_INFO, "SendInputEvent type:%d code:%d value:%d", type, code,
            static_cast<int>(value));
    if (!IsProtocolAbove0129()) {
        return QK_ERROR(qkerr::kReceiverTooOld, "SendInputEvent");
    }
    return SendFireAndForget(CommandWriter::InputFrame(type, code, value));
}

int CmdClient::SendLockKeyState(uint8_t key, bool on) {
    return SendFireAndForget(CommandWriter::LockKeyFrame(key, on));
}
