// CmdClient: payload readers of answers and events, the event handlers with
// their default callbacks, and the acknowledgement of events.
//
// Every length that arrives from the receiver is checked before a byte is
// allocated for it; a length over its limit fails the connection.
#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/syserror.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"

namespace {

uint8_t FirstByte(const ByteString& payload) {
    return payload.empty() ? 0 : static_cast<uint8_t>(payload[0]);
}

// Text of at most `size` bytes from `at`, up to its first zero byte.
std::string BoundedText(const ByteString& payload, size_t at, size_t size) {
    if (at >= payload.size()) {
        return {};
    }
    size = std::min(size, payload.size() - at);
    const char* begin = payload.data() + at;
    const void* zero = std::memchr(begin, 0, size);
    return std::string(begin, zero ? static_cast<const char*>(zero) - begin : size);
}

std::string Hex(const uint8_t* bytes, size_t n) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 15]);
    }
    return out;
}

// A reader's result for `n` bytes read: never 0, which means failure.
int ReadCount(size_t n) {
    return static_cast<int>(std::max<size_t>(n, 1));
}

}  // namespace

// ---------------------------------------------------------------------------
// tables

void CmdClient::InstallReaders() {
    auto fixed = [this](size_t n, const char* name) {
        return [this, n, name](ByteString& p) { return RecvFixed(p, n, name); };
    };
    // Answers.
    SetPayloadReader(cmd::AnswerOf(cmd::kGetDeviceCap),
                     [this](ByteString& p) { return RecvDeviceCapParam(p); });
    for (uint8_t code : {cmd::kGetDeviceStatus, cmd::kTestPort}) {
        SetPayloadReader(cmd::AnswerOf(code), fixed(2, "Recv2ByteParam"));
    }
    for (uint8_t code :
         {cmd::kLogin, cmd::kStartPlayImage, cmd::kStopPlayImage, cmd::kCheckNCC,
          cmd::kStartPlayAckImage, cmd::kSetPreBufTime, cmd::kLoginEx, cmd::kPausePlayImage,
          cmd::kChangeValue, cmd::kHideScreen, cmd::kPlayVideo, cmd::kStopVideo, cmd::kPauseVideo,
          cmd::kSetVideoVol, cmd::kSeekVideo, cmd::kPlayAudio, cmd::kSupervisorLogin,
          cmd::kClearScreen, cmd::kSetPenAttribute}) {
        SetPayloadReader(cmd::AnswerOf(code), fixed(1, "Recv1ByteParam"));
    }
    SetPayloadReader(cmd::AnswerOf(cmd::kConnectToDeviceThruIP),
                     fixed(cmd::kDeviceRecordPayload, "RecvConnectToDeviceThruIPParam"));
    SetPayloadReader(cmd::AnswerOf(cmd::kGetValue), fixed(cmd::kKeyField, "RecvGetValueParam"));
    for (uint8_t code : {cmd::kGetVideoPos, cmd::kGetKey, cmd::kGetSenderCount}) {
        SetPayloadReader(cmd::AnswerOf(code), fixed(4, "Recv4ByteParam"));
    }
    SetPayloadReader(cmd::AnswerOf(cmd::kGetVideoDuration),
                     [this](ByteString& p) { return RecvVideoDurationParam(p); });
    SetPayloadReader(cmd::AnswerOf(cmd::kSetFrameBuffer),
                     fixed(cmd::kFrameBufferPayload, "RecvSetFrameBufferParam"));
    SetPayloadReader(cmd::AnswerOf(cmd::kForwardMessage),
                     [this](ByteString& p) { return RecvForwardMessageReplyParam(p); });

    // Events. Codes 0x84, 0x86, 0x88, 0x94, 0x96, 0xa2 and 0xc0 are requests
    // of the sender too; from the receiver they are events.
    SetPayloadReader(cmd::kEvRefreshScreen, fixed(cmd::kRefreshPayload, "Recv15ByteData"));
    SetPayloadReader(cmd::kEvLogin, fixed(cmd::kLoginEventPayload, "Recv80ByteData"));
    for (uint8_t code : {cmd::kEvStartPlayImage, cmd::kEvStopPlayImage, cmd::kEvPausePlayImage,
                         cmd::kEvDeviceNotice, cmd::kEvSidebar}) {
        SetPayloadReader(code, fixed(1, "Recv1ByteData"));
    }
    SetPayloadReader(cmd::kEvChangeValue, fixed(cmd::kChangeValuePayload, "RecvChangeValueData"));
    SetPayloadReader(cmd::kEvStopVideo, [this](ByteString& p) { return RecvStopVideoData(p); });
    SetPayloadReader(cmd::kEvForwardMessage,
                     [this](ByteString& p) { return RecvForwardMessageData(p); });
    for (uint8_t code : {cmd::kEvRelay, cmd::kEvMouse, cmd::kEvTouch}) {
        SetPayloadReader(code, fixed(cmd::kShortInputPayload, "Recv7ByteData"));
    }
    SetPayloadReader(cmd::kEvKeyboard, fixed(cmd::kKeyboardPayload, "Recv19ByteData"));
    SetPayloadReader(cmd::kEvStringInput, [this](ByteString& p) { return RecvStringInputData(p); });
}

void CmdClient::InstallHandlers() {
    SetEventHandler(cmd::kEvRefreshScreen,
                    [this](const ByteString& p) { return OnRefreshScreen(p); });
    SetEventHandler(cmd::kEvLogin, [this](const ByteString& p) { return OnLoginImpl(p); });
    SetEventHandler(cmd::kEvStartPlayImage,
                    [this](const ByteString& p) { return OnStartPlayImage(p); });
    SetEventHandler(cmd::kEvStopPlayImage,
                    [this](const ByteString& p) { return OnStopPlayImage(p); });
    SetEventHandler(cmd::kEvPausePlayImage,
                    [this](const ByteString& p) { return OnPausePlayImage(p); });
    SetEventHandler(cmd::kEvChangeValue,
                    [this](const ByteString& p) { return OnChangeValueImpl(p); });
    SetEventHandler(cmd::kEvDeviceNotice,
                    [this](const ByteString& p) { return OnDeviceNotice(p); });
    SetEventHandler(cmd::kEvStopVideo, [this](const ByteString& p) { return OnStopVideoImpl(p); });
    SetEventHandler(cmd::kEvForwardMessage,
                    [this](const ByteString& p) { return OnForwardMessageImpl(p); });
    SetEventHandler(cmd::kEvSidebar, [this](const ByteString& p) { return OnSidebar(p); });
    SetEventHandler(cmd::kEvRelay, [this](const ByteString& p) { return OnRelayCommand(p); });
    SetEventHandler(cmd::kEvKeyboard, [this](const ByteString& p) { return OnKeyboardCommand(p); });
    SetEventHandler(cmd::kEvMouse, [this](const ByteString& p) { return OnMouseCommand(p); });
    SetEventHandler(cmd::kEvTouch, [this](const ByteString& p) { return OnTouchEventImpl(p); });
    SetEventHandler(cmd::kEvStringInput, [this](const ByteString& p) { return OnStringInput(p); });
}

// ---------------------------------------------------------------------------
// readers (network thread)

int CmdClient::RecvFixed(ByteString& payload, size_t length, const char* name) {
    int rc = ReadPayload(payload, length);
    if (rc <= 0) {
        return rc;
    }
    const auto* b = reinterpret_cast<const uint8_t*>(payload.data());
    if (length == 1) {
        QK_LOGF(LOG_DEBUG, "%s 0x%02X", name, b[0]);
    } else if (length == 2) {
        QK_LOGF(LOG_DEBUG, "%s 0x%02X 0x%02X", name, b[0], b[1]);
    } else if (length == 4) {
        QK_LOGF(LOG_DEBUG, "%s 0x%02X 0x%02X 0x%02X 0x%02X", name, b[0], b[1], b[2], b[3]);
    } else {
        QK_LOGF(LOG_DEBUG, "%s", name);
    }
    return rc;
}

int CmdClient::RecvDeviceCapParam(ByteString& payload) {
    payload.clear();
    ByteString part;
    auto take = [&](size_t n) {
        int rc = ReadPayload(part, n);
        if (rc > 0) {
            payload += part;
        }
        return rc;
    };
    if (int rc = take(cmd::kCapHead); rc <= 0) {
        return rc;
    }
    const auto* b = reinterpret_cast<const uint8_t*>(payload.data());
    m_Fbf = b[13];
    m_Fbf2 = b[16];
    m_Fbf3 = b[18];
    QK_LOGF(LOG_INFO,
            "RecvDeviceCapParam w:%d h:%d bpp:%d abpp:%d iw:%d ih:%d iabpp:%d fbf:0x%02X "
            "fbf2:0x%02X fbf3:0x%02X max_vol:%d cur_vol:%d fps:%d",
            platform::GetU16BE(b), platform::GetU16BE(b + 2), b[4], b[14],
            platform::GetU16BE(b + 8), platform::GetU16BE(b + 10), b[12], b[13], b[16], b[18],
            b[37], b[38], b[17]);
    // Both counts are single unsigned bytes: at most 255 codings and 255
    // entries of 20 bytes.
    const size_t n = b[cmd::kCapRecordHead];
    if (n > 0) {
        if (int rc = take(n); rc <= 0) {
            return rc;
        }
    }
    if (int rc = take(cmd::kCapGroup); rc <= 0) {
        return rc;
    }
    const size_t m = static_cast<uint8_t>(payload.back());
    if (m > 0) {
        if (int rc = take(m * cmd::kCapEntry); rc <= 0) {
            return rc;
        }
    }
    if (int rc = take(cmd::kCapTrailer); rc <= 0) {
        return rc;
    }
    return ReadCount(payload.size());
}

int CmdClient::RecvVideoDurationParam(ByteString& payload) {
    QK_LOGF(LOG_DEBUG, "RecvVideoDurationParam");
    int rc = ReadPayload(payload, 4);
    if (rc <= 0) {
        return rc;
    }
    char dropped[cmd::kVideoDurationPayload];
    rc = ReadExact(dropped, sizeof dropped);
    return rc <= 0 ? rc : 4 + rc;
}

int CmdClient::RecvForwardMessageReplyParam(ByteString& payload) {
    char header[cmd::kForwardReplyHeader];
    if (int rc = ReadExact(header, sizeof header); rc <= 0) {
        return rc;
    }
    const uint32_t size = platform::GetU32BE(header);
    QK_LOGF(LOG_DEBUG, "RecvForwardMessageReplyParam size:%u", size);
    if (size > cmd::kMaxForwardSize) {
        QK_LOGF(LOG_ERROR, "RecvForwardMessageReplyParam size %u above the limit %u", size,
                cmd::kMaxForwardSize);
        errno = EMSGSIZE;
        return -1;
    }
    payload.clear();
    if (size == 0) {
        return static_cast<int>(sizeof header);
    }
    int rc = ReadPayload(payload, size);
    return rc <= 0 ? rc : static_cast<int>(sizeof header) + rc;
}

int CmdClient::RecvStopVideoData(ByteString& payload) {
    QK_LOGF(LOG_DEBUG, "RecvStopVideoData");
    return ReadPayload(payload, cmd::kStopVideoPayload);
}

int CmdClient::RecvForwardMessageData(ByteString& payload) {
    if (int rc = ReadPayload(payload, cmd::kForwardHeader); rc <= 0) {
        return rc;
    }
    const uint32_t size = platform::GetU32BE(&payload[4]);
    if (size > cmd::kMaxForwardSize) {
        QK_LOGF(LOG_ERROR, "RecvForwardMessageData size %u above the limit %u", size,
                cmd::kMaxForwardSize);
        payload.clear();
        errno = EMSGSIZE;
        return -1;
    }
    if (size == 0) {
        return static_cast<int>(cmd::kForwardHeader);
    }
    ByteString data;
    if (int rc = ReadPayload(data, size); rc <= 0) {
        payload.clear();
        return rc;
    }
    payload += data;
    return ReadCount(payload.size());
}

int CmdClient::RecvStringInputData(ByteString& payload) {
    if (int rc = ReadPayload(payload, cmd::kStringInputHeader); rc <= 0) {
        return rc;
    }
    // The two u16 header fields are handed on in host order.
    const uint16_t first = platform::GetU16BE(&payload[0]);
    const uint16_t length = platform::GetU16BE(&payload[2]);
    std::memcpy(&payload[0], &first, 2);
    std::memcpy(&payload[2], &length, 2);
    if (length == 0) {
        return static_cast<int>(cmd::kStringInputHeader);
    }
    ByteString text;
    if (int rc = ReadPayload(text, length); rc <= 0) {
        payload.clear();
        return rc;
    }
    payload += text;
    return ReadCount(payload.size());
}

// ---------------------------------------------------------------------------
// handlers (dispatcher thread)

int CmdClient::OnLoginImpl(const ByteString& payload) {
    // The login code is a text in the last 28 bytes of the payload, with or
    // without a terminator.
    return OnLogin(BoundedText(payload, cmd::kLoginEventCodeOffset,
                               cmd::kLoginEventPayload - cmd::kLoginEventCodeOffset));
}

int CmdClient::OnChangeValueImpl(const ByteString& payload) {
    QK_LOGF(LOG_DEBUG, "OnChangeValueImpl");
    if (payload.size() < cmd::kChangeValuePayload) {
        return -1;
    }
    const auto* b = reinterpret_cast<const uint8_t*>(payload.data());
    return OnChangeValue(b, b + cmd::kKeyField);
}

int CmdClient::OnStopVideoImpl(const ByteString& payload) {
    QK_LOGF(LOG_DEBUG, "OnStopVideoImpl");
    if (payload.size() < cmd::kStopVideoPayload) {
        return -1;
    }
    // The URL length may claim more than its field holds: cut to the field.
    const size_t length =
        std::min<size_t>(platform::GetU16LE(&payload[1]), cmd::kStopVideoUrlField);
    const std::string url = payload.substr(cmd::kStopVideoUrlOffset, length);
    const auto* status =
        reinterpret_cast<const uint8_t*>(payload.data()) + cmd::kStopVideoStatusOffset;
    return OnStopVideo(FirstByte(payload), url, status);
}

int CmdClient::OnTouchEventImpl(const ByteString& payload) {
    if (payload.size() >= cmd::kShortInputPayload) {
        OnTouchEvent(static_cast<uint8_t>(payload[0]), platform::GetU16BE(&payload[1]),
                     platform::GetU16BE(&payload[3]), static_cast<uint8_t>(payload[5]));
    }
    return -1;  // touch events are never acknowledged
}

int CmdClient::OnForwardMessageImpl(const ByteString& payload) {
    if (payload.size() < cmd::kForwardHeader) {
        return -1;
    }
    const uint32_t id = platform::GetU32BE(&payload[0]);
    const uint32_t size = platform::GetU32BE(&payload[4]);
    const uint8_t dontrep = static_cast<uint8_t>(payload[8]);
    QK_LOGF(LOG_INFO, "OnForwardMessageImpl id:%u size:%u dontrep:0x%02X", id, size, dontrep);
    if (payload.size() != cmd::kForwardHeader + size) {
        return -1;  // the reader keeps them equal
    }
    ByteString reply;
    OnForwardMessage(id, size,
                     reinterpret_cast<const uint8_t*>(payload.data()) + cmd::kForwardHeader, reply);
    if (dontrep == 0) {
        ByteString answer(cmd::kForwardReplyHeader, '\0');
        platform::PutU32BE(&answer[0], static_cast<uint32_t>(reply.size()));
        answer += reply;
        if (AckCommand(cmd::AnswerOf(cmd::kEvForwardMessage), "OnForwardMessage", answer) < 0) {
            OnAckError(cmd::AnswerOf(cmd::kEvForwardMessage), 0, platform::LastSystemError());
        }
    }
    return -1;
}

void CmdClient::HandleRetVal(uint8_t code, int result) {
    QK_LOGF(LOG_DEBUG, "HandleRetVal 0x%02X %d %d", code, result,
            static_cast<int>(m_ReplyBuffer.size()));
    ByteString reply;
    reply.swap(m_ReplyBuffer);
    if (result < 0 || result > 255) {
        return;
    }
    const uint8_t ack = cmd::AnswerOf(code);
    QK_LOGF(LOG_INFO, "==> HandleRetVal ack event 0x%02X %d %d", ack, result,
            static_cast<int>(reply.size()));
    ByteString frame;
    frame.reserve(2 + reply.size());
    frame.push_back(static_cast<char>(ack));
    frame.push_back(static_cast<char>(result));
    frame += reply;
    if (SendCommandData(frame.data(), frame.size(), 0, false) < 0) {
        OnAckError(ack, result, platform::LastSystemError());
    }
}

// ---------------------------------------------------------------------------
// default callbacks

int CmdClient::OnLogin(const std::string& loginCode) {
    // The code itself never goes to the log.
    QK_LOGF(LOG_INFO, "OnLogin %s sock:%d", loginCode.empty() ? "" : "xxxx",
            m_Socket.handle.load());
    return 1;
}

int CmdClient::OnStartPlayImage(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnStartPlayImage 0x%02X %u", FirstByte(payload), m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    m_PlayState = kPlayImage;
    return FirstByte(payload);
}

int CmdClient::OnStopPlayImage(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnStopPlayImage 0x%02X %u", FirstByte(payload), m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    const uint32_t state = m_PlayState.load();
    if (state == kPlayImage || state == kPlayImagePaused) {
        m_PlayState = kPlayIdle;
    }
    return 1;
}

int CmdClient::OnPausePlayImage(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnPausePlayImage 0x%02X %u", FirstByte(payload), m_PlayState.load());
    boost::recursive_mutex::scoped_lock lock(m_CmdLock);
    if (m_PlayState.load() == kPlayImage) {
        m_PlayState = kPlayImagePaused;
    }
    return FirstByte(payload);
}

int CmdClient::OnChangeValue(const uint8_t* key, const uint8_t* value) {
    QK_LOGF(LOG_INFO, "OnChangeValue %s %s", Hex(key, cmd::kKeyField).c_str(),
            Hex(value, cmd::kKeyField).c_str());
    return 1;
}

int CmdClient::OnDeviceNotice(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnDeviceNotice 0x%02X", FirstByte(payload));
    if (FirstByte(payload) == cmd::kNoticePreBufDone) {
        boost::mutex::scoped_lock guard(m_PreBufMutex);
        m_PreBufDone = true;
        m_PreBufCondition.notify_all();
    }
    return 1;
}

int CmdClient::OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) {
    QK_LOGF(LOG_INFO, "OnStopVideo 0x%02X %s 0x%02X 0x%02X 0x%02X 0x%02X", reason, url.c_str(),
            status[0], status[1], status[2], status[3]);
    {
        boost::recursive_mutex::scoped_lock lock(m_CmdLock);
        const uint32_t state = m_PlayState.load();
        if (state == kPlayMedia || state == kPlayMediaPaused) {
            m_PlayState = kPlayIdle;
        }
    }
    {
        boost::mutex::scoped_lock guard(m_PreBufMutex);
        m_PreBufCondition.notify_all();
    }
    // The command lock is released first: the wait's closing step takes it.
    JoinPreBufThread(false);
    return 1;
}

int CmdClient::OnRefreshScreen(const ByteString&) {
    QK_LOGF(LOG_INFO, "OnRefreshScreen");
    m_ReplyBuffer.assign(cmd::kRefreshReply, '\0');
    return 1;
}

int CmdClient::OnRelayCommand(const ByteString&) {
    QK_LOGF(LOG_INFO, "OnRelayCommand");
    return -1;
}

int CmdClient::OnKeyboardCommand(const ByteString&) {
    QK_LOGF(LOG_INFO, "OnKeyboardCommand");
    return -1;
}

int CmdClient::OnMouseCommand(const ByteString&) {
    QK_LOGF(LOG_INFO, "OnMouseCommand");
    return -1;
}

void CmdClient::OnTouchEvent(int id, int x, int y, int state) {
    QK_LOGF(LOG_INFO, "OnTouchEvent id:%d x:%d y:%d state:0x%02X", id, x, y, state);
}

int CmdClient::OnStringInput(const ByteString&) {
    QK_LOGF(LOG_INFO, "OnStringInput");
    return -1;
}

void CmdClient::OnForwardMessage(uint32_t id, uint32_t size, const uint8_t*, ByteString& reply) {
    QK_LOGF(LOG_INFO, "OnForwardMessage id:%u size:%u reply:%d", id, size,
            static_cast<int>(reply.size()));
}

int CmdClient::OnSidebar(const ByteString& payload) {
    QK_LOGF(LOG_INFO, "OnSidebar 0x%02X", FirstByte(payload));
    return -1;
}

void CmdClient::OnAckError(uint8_t ackCode, int result, int systemError) {
    QK_LOGF(LOG_NOTICE, "OnAckError 0x%02X %d %d", ackCode, result, systemError);
}

int CmdClient::AutoResync() {
    return 0;
}
