#include "tests/receiver/command/CommandParser.h"

#include <cstring>

#include "platform/byte_order.h"
#include "tests/receiver/command/CommandWire.h"

namespace receiver_sim {

namespace {

constexpr size_t kPrefix = 8;

struct Rule {
    SenderFrame::Kind kind;
    const char* name;
    size_t fixed;  // payload length, or the header length before the length field
    enum Length { kFixed, kStopVideo, kPauseVideo, kSeekVideo, kForward, kForwardReply } length;
};

// Everything a sender may write, by code.
bool RuleOf(uint8_t code, Rule* rule) {
    using K = SenderFrame::Kind;
    using namespace wire;
    switch (code) {
        case kGetDeviceCap:
            *rule = {K::kRequest, "GetDeviceCap", 0, Rule::kFixed};
            return true;
        case kGetDeviceStatus:
            *rule = {K::kRequest, "GetDeviceStatus", 0, Rule::kFixed};
            return true;
        case kLogin:
            *rule = {K::kRequest, "Login", 60, Rule::kFixed};
            return true;
        case kStartPlayImage:
            *rule = {K::kRequest, "StartPlayImage", 1, Rule::kFixed};
            return true;
        case kStopPlayImage:
            *rule = {K::kRequest, "StopPlayImage", 1, Rule::kFixed};
            return true;
        case kCheckNCC:
            *rule = {K::kRequest, "CheckNCC", 0, Rule::kFixed};
            return true;
        case kStartPlayAckImage:
            *rule = {K::kRequest, "StartPlayAckImage", 1, Rule::kFixed};
            return true;
        case kSetPreBufTime:
            *rule = {K::kRequest, "SetPreBufTime", 18, Rule::kFixed};
            return true;
        case kConnectToDeviceThruIP:
            *rule = {K::kRequest, "ConnectToDeviceThruIP", 0, Rule::kFixed};
            return true;
        case kLoginEx:
            *rule = {K::kRequest, "LoginEx", 128, Rule::kFixed};
            return true;
        case kPausePlayImage:
            *rule = {K::kRequest, "PausePlayImage", 1, Rule::kFixed};
            return true;
        case kChangeValue:
            *rule = {K::kRequest, "ChangeValue", 64, Rule::kFixed};
            return true;
        case kGetValue:
            *rule = {K::kRequest, "GetValue", 32, Rule::kFixed};
            return true;
        case kHideScreen:
            *rule = {K::kRequest, "HideScreen", 1, Rule::kFixed};
            return true;
        case kTestPort:
            *rule = {K::kRequest, "TestPort", 3, Rule::kFixed};
            return true;
        case kPlayVideo:
            *rule = {K::kRequest, "PlayVideo", 260, Rule::kFixed};
            return true;
        case kStopVideo:
            *rule = {K::kRequest, "StopVideo", 3, Rule::kStopVideo};
            return true;
        case kPauseVideo:
            *rule = {K::kRequest, "PauseVideo", 3, Rule::kPauseVideo};
            return true;
        case kSetVideoVol:
            *rule = {K::kRequest, "SetVideoVol", 1, Rule::kFixed};
            return true;
        case kSeekVideo:
            *rule = {K::kRequest, "SeekVideo", 11, Rule::kSeekVideo};
            return true;
        case kGetVideoPos:
            *rule = {K::kRequest, "GetVideoPos", 0, Rule::kFixed};
            return true;
        case kPlayAudio:
            *rule = {K::kRequest, "PlayAudio", 292, Rule::kFixed};
            return true;
        case kSupervisorLogin:
            *rule = {K::kRequest, "SupervisorLogin", 20, Rule::kFixed};
            return true;
        case kGetKey:
            *rule = {K::kRequest, "GetKey", 0, Rule::kFixed};
            return true;
        case kClearScreen:
            *rule = {K::kRequest, "ClearScreen", 1, Rule::kFixed};
            return true;
        case kGetVideoDuration:
            *rule = {K::kRequest, "GetVideoDuration", 16, Rule::kFixed};
            return true;
        case kSetFrameBuffer:
            *rule = {K::kRequest, "SetFrameBuffer", 21, Rule::kFixed};
            return true;
        case kGetSenderCount:
            *rule = {K::kRequest, "GetSenderCount", 0, Rule::kFixed};
            return true;
        case kSetPenAttribute:
            *rule = {K::kRequest, "SetPenAttribute", 32, Rule::kFixed};
            return true;
        case kForwardMessage:
            *rule = {K::kRequest, "ForwardMessage", 32, Rule::kForward};
            return true;
        case kMouseInput:
            *rule = {K::kInput, "MouseInput", 4, Rule::kFixed};
            return true;
        case kTouchInput:
            *rule = {K::kInput, "TouchInput", 7, Rule::kFixed};
            return true;
        case kLockKeyInput:
            *rule = {K::kInput, "LockKeyInput", 3, Rule::kFixed};
            return true;
        case kGenericInput:
            *rule = {K::kInput, "GenericInput", 8, Rule::kFixed};
            return true;
        // Acknowledgements: a result byte, for the refresh event with 14
        // bytes behind it; the forwarded-message answer has its own header.
        case kEvRefreshScreen + 1:
            *rule = {K::kAck, "AckRefreshScreen", 15, Rule::kFixed};
            return true;
        case kEvLogin + 1:
            *rule = {K::kAck, "AckLogin", 1, Rule::kFixed};
            return true;
        case kEvStartPlayImage + 1:
            *rule = {K::kAck, "AckStartPlayImage", 1, Rule::kFixed};
            return true;
        case kEvStopPlayImage + 1:
            *rule = {K::kAck, "AckStopPlayImage", 1, Rule::kFixed};
            return true;
        case kEvPausePlayImage + 1:
            *rule = {K::kAck, "AckPausePlayImage", 1, Rule::kFixed};
            return true;
        case kEvChangeValue + 1:
            *rule = {K::kAck, "AckChangeValue", 1, Rule::kFixed};
            return true;
        case kEvDeviceNotice + 1:
            *rule = {K::kAck, "AckDeviceNotice", 1, Rule::kFixed};
            return true;
        case kEvStopVideo + 1:
            *rule = {K::kAck, "AckStopVideo", 1, Rule::kFixed};
            return true;
        case kEvForwardMessage + 1:
            *rule = {K::kAck, "ForwardMessageReply", 16, Rule::kForwardReply};
            return true;
        case kEvSidebar + 1:
            *rule = {K::kAck, "AckSidebar", 1, Rule::kFixed};
            return true;
        default:
            return false;
    }
}

// Checks fields whose rules go beyond their length.
bool CheckFields(uint8_t code, const std::vector<uint8_t>& p, std::string* error) {
    switch (code) {
        case wire::kPlayVideo: {
            const size_t length = platform::GetU16LE(&p[2]);
            if (length > 255) {
                *error = "PlayVideo URL length " + std::to_string(length) + " does not fit";
                return false;
            }
            if (p[4 + length] != 0 || std::memchr(&p[4], 0, length) != nullptr) {
                *error = "PlayVideo URL does not match its length field";
                return false;
            }
            return true;
        }
        case wire::kTestPort:
            if (p[0] != 0xa0) {
                *error = "TestPort does not start with 0xa0";
                return false;
            }
            return true;
        case wire::kLockKeyInput:
            if (p[0] != 0x11 || p[1] > 2 || p[2] > 1) {
                *error = "LockKeyInput with a bad tag, key or state";
                return false;
            }
            return true;
        case wire::kForwardMessage:
            if (p[8] > 1) {
                *error = "ForwardMessage dontrep is neither 0 nor 1";
                return false;
            }
            return true;
        default:
            return true;
    }
}

}  // namespace

void CommandParser::Feed(const uint8_t* bytes, size_t length) {
    m_buffer.insert(m_buffer.end(), bytes, bytes + length);
}

const char* CommandParser::NameOf(SenderFrame::Kind kind, uint8_t code) {
    if (kind == SenderFrame::Kind::kKeepAlive) {
        return "KeepAlive";
    }
    Rule rule;
    return RuleOf(code, &rule) ? rule.name : "?";
}

CommandParser::Status CommandParser::Next(SenderFrame* frame, std::string* error) {
    auto fail = [&](std::string why) {
        m_error = std::move(why);
        *error = m_error;
        return Status::kError;
    };
    if (!m_error.empty()) {
        *error = m_error;
        return Status::kError;
    }
    const size_t have = m_buffer.size();
    if (have == 0) {
        return Status::kNeedMore;
    }
    const uint8_t* b = m_buffer.data();
    // A partial prefix must agree with one of the two prefixes so far.
    const size_t head = std::min(have, kPrefix);
    const bool cmd = std::memcmp(b, wire::kCmdPrefix.data(), head) == 0;
    const bool alive = std::memcmp(b, wire::kAlivePrefix.data(), head) == 0;
    if (!cmd && !alive) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", b[0]);
        return fail(std::string("bytes before a prefix, first ") + hex);
    }
    if (have < kPrefix + 1) {
        return Status::kNeedMore;
    }
    if (alive) {
        if (have < kPrefix + 4) {
            return Status::kNeedMore;
        }
        frame->kind = SenderFrame::Kind::kKeepAlive;
        frame->code = 0;
        frame->word.assign(reinterpret_cast<const char*>(b + kPrefix), 4);
        frame->payload.clear();
        if (frame->word != wire::kRock) {
            return fail("keep-alive word \"" + frame->word + "\" is not ROCK");
        }
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + kPrefix + 4);
        return Status::kFrame;
    }
    const uint8_t code = b[kPrefix];
    Rule rule;
    if (!RuleOf(code, &rule)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", code);
        return fail(std::string("unknown code ") + hex);
    }
    const uint8_t* p = b + kPrefix + 1;
    const size_t avail = have - kPrefix - 1;
    size_t length = rule.fixed;
    if (rule.length != Rule::kFixed) {
        if (avail < rule.fixed) {
            return Status::kNeedMore;
        }
        switch (rule.length) {
            case Rule::kStopVideo:
                length = 3 + platform::GetU16LE(p + 1) + 4;
                break;
            case Rule::kPauseVideo:
                length = 3 + platform::GetU16LE(p + 1);
                break;
            case Rule::kSeekVideo:
                length = 11 + platform::GetU16LE(p + 9);
                break;
            case Rule::kForward:
            case Rule::kForwardReply: {
                const uint32_t n = platform::GetU32BE(rule.length == Rule::kForward ? p + 4 : p);
                if (n > wire::kMaxForwardSize) {
                    return fail(std::string(rule.name) + " size " + std::to_string(n) +
                                " over the limit");
                }
                length = rule.fixed + n;
                break;
            }
            case Rule::kFixed:
                break;
        }
    }
    if (avail < length) {
        return Status::kNeedMore;
    }
    frame->kind = rule.kind;
    frame->code = code;
    frame->word.clear();
    frame->payload.assign(p, p + length);
    std::string why;
    if (!CheckFields(code, frame->payload, &why)) {
        return fail(why);
    }
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<long>(kPrefix + 1 + length));
    return Status::kFrame;
}

}  // namespace receiver_sim
