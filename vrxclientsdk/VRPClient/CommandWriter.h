// The payloads of the command channel's requests, of the sender's input
// frames and of its answers to events: the bytes after the frame's code, laid
// out as the receiver expects (CmdCodes.h holds the sizes).
//
// Pure: no socket, no state, no log. CmdClient sends what these build; tests
// compare them with the wire tables directly. Texts in fixed fields are cut
// to the field and zero-padded; a text that must not be cut (a URL) makes the
// builder return nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CommandWriter {
public:
    using Bytes = std::string;

    // --- login ------------------------------------------------------------------
    // `localIPv4` is the local end of the command connection, network order.
    static Bytes Login(const std::string& name, const std::string& password, uint32_t localIPv4);
    static Bytes LoginEx(const std::string& name, const std::string& password, uint32_t localIPv4,
                         uint8_t osType, uint8_t appType, uint8_t pointType, uint8_t sidebar,
                         uint32_t version, const std::string& productId);
    static Bytes SupervisorLogin(const std::string& password);

    // --- projection ---------------------------------------------------------------
    static Bytes FrameBuffer(uint16_t w, uint16_t h, uint8_t abpp, uint8_t cs, bool scale,
                             uint8_t cd, uint16_t secondWidth, uint16_t secondHeight,
                             uint8_t rotation);
    static Bytes PreBufTime(uint16_t time, bool flag, bool force);

    // --- values and messages ------------------------------------------------------
    // A 32-byte key or value field.
    static Bytes KeyField(const std::string& text);
    static Bytes ChangeValue(const std::string& key, const std::string& value);
    // The header and `size` bytes of `data`; `dontReply` asks for no answer.
    static Bytes ForwardMessage(uint32_t id, uint32_t size, const void* data, bool dontReply);
    // The answer to a forwarded message of the receiver: its header and `reply`.
    static Bytes ForwardMessageReply(const std::string& reply);
    static Bytes TestPort(uint16_t port);
    // Colour 0x00BBGGRR.
    static Bytes PenAttribute(uint32_t colour, uint8_t width);

    // --- media (nothing when the URL does not fit) -----------------------------------
    static std::optional<Bytes> PlayVideo(uint8_t mode, uint8_t option, const std::string& url);
    static std::optional<Bytes> PlayAudio(const std::string& url, uint32_t value, uint8_t option);
    // `status` holds kStatusBytes bytes.
    static std::optional<Bytes> StopVideo(uint8_t mode, const std::string& url,
                                          const uint8_t* status);
    static std::optional<Bytes> PauseVideo(uint8_t mode, const std::string& url);
    static std::optional<Bytes> SeekVideo(uint8_t mode, int32_t position, const std::string& url);

    // --- fire-and-forget frames: the code byte first ------------------------------------
    static Bytes MouseFrame(bool left, bool right, bool middle, int8_t dx, int8_t dy, int8_t wheel);
    static Bytes TouchFrame(uint8_t id, uint16_t x, uint16_t y, uint8_t state);
    static Bytes InputFrame(uint16_t type, uint16_t code, uint32_t value);
    // key 0 Num, 1 Caps, 2 Scroll Lock.
    static Bytes LockKeyFrame(uint8_t key, bool on);
};
