// CmdClient: the payload readers of answers and events, on the network
// thread. Each reads exactly its code's payload off the connection; every
// length that arrives from the receiver is checked before a byte is allocated
// for it, and a length over its limit fails the connection.
#include <cerrno>
#include <cstring>

#include "platform/byte_order.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"
#include "vrxclientsdk/VRPClient/CommandReader.h"

namespace {

// A reader's result for `n` bytes read: never 0, which means failure.
int ReadCount(size_t n) {
    return static_cast<int>(std::max<size_t>(n, 1));
}

}  // namespace

// ---------------------------------------------------------------------------
// the table

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

// ---------------------------------------------------------------------------
// the readers

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
    const uint32_t size = CommandReader::ForwardReplySize(header);
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
    const uint32_t size = CommandReader::ForwardSize(payload);
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
    const uint16_t first = CommandReader::StringInputCount(payload);
    const uint16_t length = CommandReader::StringInputLength(payload);
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
