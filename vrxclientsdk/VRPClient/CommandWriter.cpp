#include "vrxclientsdk/VRPClient/CommandWriter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/byte_order.h"
#include "vrxclientsdk/VRPClient/CmdCodes.h"

namespace {

using Bytes = CommandWriter::Bytes;

// Offsets inside the extended login after the plain login's fields.
constexpr size_t kLoginExTypes = 60;  // os, application, point input, side bar
constexpr size_t kLoginExFormat = 64;
constexpr uint16_t kLoginExFormatWord = 0x0100;
constexpr size_t kLoginExVersion = 66;
constexpr size_t kLoginExProductId = 70;
// The first byte of a port test.
constexpr uint8_t kTestPortTag = 0xa0;

// Copies at most `size` bytes of `text` to `at`; the rest stays zero.
void PutField(Bytes& payload, size_t at, size_t size, const std::string& text) {
    std::memcpy(&payload[at], text.data(), std::min(size, text.size()));
}

Bytes LoginFields(const std::string& name, const std::string& password, uint32_t localIPv4,
                  size_t size) {
    Bytes p(size, '\0');
    PutField(p, 0, cmd::kUserNameField, name);
    std::memcpy(&p[cmd::kUserNameField], &localIPv4, sizeof localIPv4);
    PutField(p, cmd::kUserNameField + sizeof localIPv4, cmd::kPasswordField, password);
    return p;
}

}  // namespace

CommandWriter::Bytes CommandWriter::Login(const std::string& name, const std::string& password,
                                          uint32_t localIPv4) {
    return LoginFields(name, password, localIPv4, cmd::kLoginPayload);
}

CommandWriter::Bytes CommandWriter::LoginEx(const std::string& name, const std::string& password,
                                            uint32_t localIPv4, uint8_t osType, uint8_t appType,
                                            uint8_t pointType, uint8_t sidebar, uint32_t version,
                                            const std::string& productId) {
    Bytes p = LoginFields(name, password, localIPv4, cmd::kLoginExPayload);
    p[kLoginExTypes] = static_cast<char>(osType);
    p[kLoginExTypes + 1] = static_cast<char>(appType);
    p[kLoginExTypes + 2] = static_cast<char>(pointType);
    p[kLoginExTypes + 3] = static_cast<char>(sidebar);
    platform::PutU16BE(&p[kLoginExFormat], kLoginExFormatWord);
    platform::PutU32BE(&p[kLoginExVersion], version);
    PutField(p, kLoginExProductId, cmd::kProductIdField, productId);
    return p;
}

CommandWriter::Bytes CommandWriter::SupervisorLogin(const std::string& password) {
    Bytes p(cmd::kSupervisorPayload, '\0');
    PutField(p, 0, cmd::kSupervisorPayload, password);
    return p;
}

CommandWriter::Bytes CommandWriter::FrameBuffer(uint16_t w, uint16_t h, uint8_t abpp, uint8_t cs,
                                                bool scale, uint8_t cd, uint16_t secondWidth,
                                                uint16_t secondHeight, uint8_t rotation) {
    Bytes p(cmd::kFrameBufferPayload, '\0');
    platform::PutU16BE(&p[0], w);
    platform::PutU16BE(&p[2], h);
    p[4] = static_cast<char>(abpp);
    p[5] = static_cast<char>(cs);
    p[6] = scale ? 1 : 0;
    p[7] = static_cast<char>(cd);
    platform::PutU16BE(&p[8], secondWidth);
    platform::PutU16BE(&p[10], secondHeight);
    p[12] = static_cast<char>(rotation);
    return p;
}

CommandWriter::Bytes CommandWriter::PreBufTime(uint16_t time, bool flag, bool force) {
    Bytes p(cmd::kSetPreBufTimePayload, '\0');
    platform::PutU16BE(&p[0], time);
    p[2] = flag ? 1 : 0;
    p[3] = force ? 1 : 0;
    return p;
}

CommandWriter::Bytes CommandWriter::KeyField(const std::string& text) {
    Bytes field(cmd::kKeyField, '\0');
    PutField(field, 0, cmd::kKeyField, text);
    return field;
}

CommandWriter::Bytes CommandWriter::ChangeValue(const std::string& key, const std::string& value) {
    return KeyField(key) + KeyField(value);
}

CommandWriter::Bytes CommandWriter::ForwardMessage(uint32_t id, uint32_t size, const void* data,
                                                   bool dontReply) {
    Bytes p(cmd::kForwardHeader, '\0');
    platform::PutU32BE(&p[0], id);
    platform::PutU32BE(&p[4], size);
    p[8] = dontReply ? 1 : 0;
    p.append(static_cast<const char*>(data), size);
    return p;
}

CommandWriter::Bytes CommandWriter::ForwardMessageReply(const std::string& reply) {
    Bytes p(cmd::kForwardReplyHeader, '\0');
    platform::PutU32BE(&p[0], static_cast<uint32_t>(reply.size()));
    return p + reply;
}

CommandWriter::Bytes CommandWriter::TestPort(uint16_t port) {
    Bytes p(3, '\0');
    p[0] = static_cast<char>(kTestPortTag);
    platform::PutU16BE(&p[1], port);
    return p;
}

CommandWriter::Bytes CommandWriter::PenAttribute(uint32_t colour, uint8_t width) {
    Bytes p(cmd::kPenPayload, '\0');
    p[0] = static_cast<char>(colour & 0xff);
    p[1] = static_cast<char>((colour >> 8) & 0xff);
    p[2] = static_cast<char>((colour >> 16) & 0xff);
    p[3] = static_cast<char>(width);
    return p;
}

std::optional<CommandWriter::Bytes> CommandWriter::PlayVideo(uint8_t mode, uint8_t option,
                                                             const std::string& url) {
    if (url.size() > cmd::kPlayVideoMaxUrl) {
        return std::nullopt;  // cutting it would make the receiver fetch another address
    }
    Bytes p(cmd::kPlayVideoPayload, '\0');
    p[0] = static_cast<char>(mode);
    p[1] = static_cast<char>(option);
    platform::PutU16LE(&p[2], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[4], url.data(), url.size());
    return p;
}

std::optional<CommandWriter::Bytes> CommandWriter::PlayAudio(const std::string& url, uint32_t value,
                                                             uint8_t option) {
    if (url.size() > cmd::kPlayAudioUrlField) {
        return std::nullopt;
    }
    Bytes p(cmd::kPlayAudioPayload, '\0');
    platform::PutU32BE(&p[0], value);
    std::memcpy(&p[4], url.data(), url.size());
    p[4 + cmd::kPlayAudioUrlField] = option != 0 ? 1 : 0;
    return p;
}

std::optional<CommandWriter::Bytes> CommandWriter::StopVideo(uint8_t mode, const std::string& url,
                                                             const uint8_t* status) {
    if (url.size() > UINT16_MAX) {
        return std::nullopt;
    }
    Bytes p(url.size() + 3 + cmd::kStatusBytes, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU16LE(&p[1], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[3], url.data(), url.size());
    std::memcpy(&p[3 + url.size()], status, cmd::kStatusBytes);
    return p;
}

std::optional<CommandWriter::Bytes> CommandWriter::PauseVideo(uint8_t mode,
                                                              const std::string& url) {
    if (url.size() > UINT16_MAX) {
        return std::nullopt;
    }
    Bytes p(url.size() + 3, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU16LE(&p[1], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[3], url.data(), url.size());
    return p;
}

std::optional<CommandWriter::Bytes> CommandWriter::SeekVideo(uint8_t mode, int32_t position,
                                                             const std::string& url) {
    if (url.size() > UINT16_MAX) {
        return std::nullopt;
    }
    Bytes p(url.size() + 11, '\0');
    p[0] = static_cast<char>(mode);
    platform::PutU32LE(&p[1], static_cast<uint32_t>(position));
    platform::PutU16LE(&p[9], static_cast<uint16_t>(url.size()));
    std::memcpy(&p[11], url.data(), url.size());
    return p;
}

CommandWriter::Bytes CommandWriter::MouseFrame(bool left, bool right, bool middle, int8_t dx,
                                               int8_t dy, int8_t wheel) {
    Bytes f(5, '\0');
    f[0] = static_cast<char>(cmd::kMouseInput);
    f[1] = static_cast<char>((left ? 1 : 0) | (right ? 2 : 0) | (middle ? 4 : 0));
    f[2] = static_cast<char>(dx);
    f[3] = static_cast<char>(dy);
    f[4] = static_cast<char>(wheel);
    return f;
}

CommandWriter::Bytes CommandWriter::TouchFrame(uint8_t id, uint16_t x, uint16_t y, uint8_t state) {
    Bytes f(8, '\0');
    f[0] = static_cast<char>(cmd::kTouchInput);
    f[1] = static_cast<char>(id);
    platform::PutU16BE(&f[2], x);
    platform::PutU16BE(&f[4], y);
    f[6] = static_cast<char>(state);
    return f;
}

CommandWriter::Bytes CommandWriter::InputFrame(uint16_t type, uint16_t code, uint32_t value) {
    Bytes f(9, '\0');
    f[0] = static_cast<char>(cmd::kGenericInput);
    platform::PutU16BE(&f[1], type);
    platform::PutU16BE(&f[3], code);
    platform::PutU32BE(&f[5], value);
    return f;
}

CommandWriter::Bytes CommandWriter::LockKeyFrame(uint8_t key, bool on) {
    Bytes f(4, '\0');
    f[0] = static_cast<char>(cmd::kLockKeyInput);
    f[1] = static_cast<char>(cmd::kLockKeyTag);
    f[2] = static_cast<char>(key);
    f[3] = on ? 1 : 0;
    return f;
}
