// CmdClient: the event handlers (dispatcher thread), which decode each event
// with CommandReader and hand it to its callback, the default callbacks, and
// the acknowledgement of events.
#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/syserror.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/CommandReader.h"
#include "vrxclientsdk/VRPClient/CommandWriter.h"

namespace {

uint8_t FirstByte(const ByteString& payload) {
    return payload.empty() ? 0 : static_cast<uint8_t>(payload[0]);
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

}  // namespace

// ---------------------------------------------------------------------------
// tables

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
// handlers (dispatcher thread)

int CmdClient::OnLoginImpl(const ByteString& payload) {
    // The login code is a text in the last 28 bytes of the payload, with or
    // without a terminator.
    return OnLogin(CommandReader::LoginCode(payload));
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
    const std::optional<CommandReader::StopVideoEvent> event = CommandReader::StopVideo(payload);
    if (!event) {
        return -1;
    }
    return OnStopVideo(event->reason, event->url, event->status);
}

int CmdClient::OnTouchEventImpl(const ByteString& payload) {
    if (const std::optional<CommandReader::TouchEvent> touch = CommandReader::Touch(payload)) {
        OnTouchEvent(touch->id, touch->x, touch->y, touch->state);
    }
    return -1;  // touch events are never acknowledged
}

int CmdClient::OnForwardMessageImpl(const ByteString& payload) {
    if (payload.size() < cmd::kForwardHeader) {
        return -1;
    }
    QK_LOGF(LOG_INFO, "OnForwardMessageImpl id:%u size:%u dontrep:0x%02X",
            platform::GetU32BE(&payload[0]), CommandReader::ForwardSize(payload),
            static_cast<uint8_t>(payload[8]));
    const std::optional<CommandReader::ForwardEvent> event = CommandReader::Forward(payload);
    if (!event) {
        return -1;  // the reader keeps header and data in step
    }
    ByteString reply;
    OnForwardMessage(event->id, event->size, event->data, reply);
    if (event->wantsReply) {
        const ByteString answer = CommandWriter::ForwardMessageReply(reply);
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
        m_PreBuf.Finish();
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
    m_PreBuf.Wake();
    // The command lock is released first: the wait's closing step takes it.
    m_PreBuf.Join(false);
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
