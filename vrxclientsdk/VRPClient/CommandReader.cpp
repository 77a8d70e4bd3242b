#include "vrxclientsdk/VRPClient/CommandReader.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_order.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"

namespace {

const uint8_t* Data(const std::string& bytes) {
    return reinterpret_cast<const uint8_t*>(bytes.data());
}

// Offsets of the SetFrameBuffer answer.
constexpr size_t kGrantedStatus = 6;
constexpr size_t kGrantedCoding = 7;
// Offsets of a forwarded message's header.
constexpr size_t kForwardSizeOffset = 4;
constexpr size_t kForwardNoReplyOffset = 8;

}  // namespace

std::optional<DeviceCapRecord> CommandReader::DeviceCap(const Bytes& a) {
    if (a.size() < cmd::kCapHead + cmd::kCapGroup + cmd::kCapTrailer) {
        return std::nullopt;
    }
    const uint8_t* p = Data(a);
    const size_t n = p[cmd::kCapRecordHead];
    if (a.size() < cmd::kCapHead + n + cmd::kCapGroup) {
        return std::nullopt;
    }
    const size_t m = p[cmd::kCapHead + n + 1];
    if (a.size() != cmd::kCapHead + n + cmd::kCapGroup + m * cmd::kCapEntry + cmd::kCapTrailer) {
        return std::nullopt;
    }
    DeviceCapRecord r;
    r.SetHead(p);
    size_t at = cmd::kCapHead;
    r.codings.assign(p + at, p + at + n);
    at += n;
    r.groupByte = p[at];
    at += cmd::kCapGroup;
    r.entries.resize(m);
    for (size_t i = 0; i < m; ++i, at += cmd::kCapEntry) {
        std::memcpy(r.entries[i].data(), p + at, cmd::kCapEntry);
    }
    std::memcpy(r.trailer.data(), p + at, cmd::kCapTrailer);
    return r;
}

std::optional<CommandReader::FrameBufferAnswer> CommandReader::FrameBuffer(const Bytes& a) {
    if (a.size() < cmd::kFrameBufferPayload) {
        return std::nullopt;
    }
    const uint8_t* r = Data(a);
    FrameBufferAnswer out;
    out.status = r[kGrantedStatus];
    out.w = platform::GetU16BE(r);
    out.h = platform::GetU16BE(r + 2);
    out.abpp = r[4];
    out.cs = r[5];
    out.cd = r[kGrantedCoding];
    return out;
}

uint32_t CommandReader::ForwardReplySize(const void* header) {
    return platform::GetU32BE(header);
}

std::string CommandReader::LoginCode(const Bytes& payload) {
    return BoundedText(payload, cmd::kLoginEventCodeOffset,
                       cmd::kLoginEventPayload - cmd::kLoginEventCodeOffset);
}

std::optional<CommandReader::StopVideoEvent> CommandReader::StopVideo(const Bytes& payload) {
    if (payload.size() < cmd::kStopVideoPayload) {
        return std::nullopt;
    }
    StopVideoEvent out;
    out.reason = Data(payload)[0];
    // The URL length may claim more than its field holds: cut to the field.
    const size_t length =
        std::min<size_t>(platform::GetU16LE(&payload[1]), cmd::kStopVideoUrlField);
    out.url = payload.substr(cmd::kStopVideoUrlOffset, length);
    out.status = Data(payload) + cmd::kStopVideoStatusOffset;
    return out;
}

std::optional<CommandReader::TouchEvent> CommandReader::Touch(const Bytes& payload) {
    if (payload.size() < cmd::kShortInputPayload) {
        return std::nullopt;
    }
    TouchEvent out;
    out.id = Data(payload)[0];
    out.x = platform::GetU16BE(&payload[1]);
    out.y = platform::GetU16BE(&payload[3]);
    out.state = Data(payload)[5];
    return out;
}

uint32_t CommandReader::ForwardSize(const Bytes& header) {
    return platform::GetU32BE(&header[kForwardSizeOffset]);
}

std::optional<CommandReader::ForwardEvent> CommandReader::Forward(const Bytes& payload) {
    if (payload.size() < cmd::kForwardHeader) {
        return std::nullopt;
    }
    ForwardEvent out;
    out.id = platform::GetU32BE(&payload[0]);
    out.size = ForwardSize(payload);
    out.wantsReply = payload[kForwardNoReplyOffset] == 0;
    if (payload.size() != cmd::kForwardHeader + out.size) {
        return std::nullopt;  // the reader keeps them equal
    }
    out.data = Data(payload) + cmd::kForwardHeader;
    return out;
}

uint16_t CommandReader::StringInputCount(const Bytes& header) {
    return platform::GetU16BE(&header[0]);
}

uint16_t CommandReader::StringInputLength(const Bytes& header) {
    return platform::GetU16BE(&header[2]);
}

std::string CommandReader::BoundedText(const Bytes& payload, size_t at, size_t size) {
    if (at >= payload.size()) {
        return {};
    }
    size = std::min(size, payload.size() - at);
    const char* begin = payload.data() + at;
    const void* zero = std::memchr(begin, 0, size);
    return std::string(begin, zero ? static_cast<const char*>(zero) - begin : size);
}
