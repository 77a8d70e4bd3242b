// Reassembles ZAMP messages from the bytes of the command connection.
//
// A TCP read may hold part of a message, several messages, or both; the
// reader keeps the bytes of an unfinished message and hands out whole ones.
// It checks the header (magic, version), finds where each message ends
// (ZampFraming: by its length field, or by its structure for the device list
// and the export request) and bounds every message by zamp::kMaxMessageSize
// before it waits for the rest. It does not decode message bodies
// (ZampMessageParser does). Not thread-safe: one reader per
// connection, used by the connection's reader thread.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "usbshare/ZampHeader.h"

namespace zamp {

class ZampFrameReader {
public:
    enum class Result {
        kNeedMore,  // no whole message buffered yet
        kMessage,   // one message taken off the stream
        kError,     // the stream is broken; the connection must be closed
    };

    // Appends the bytes of one read. Ignored after an error.
    void Feed(std::span<const uint8_t> bytes);

    // Takes the next whole message. On kMessage, *header is filled and
    // *message spans the whole message, header first; the span stays valid
    // until the next call of Feed, Next or Reset. After kError, Error() says
    // why and every call returns kError until Reset.
    Result Next(ZampHeader* header, std::span<const uint8_t>* message);

    const std::string& Error() const { return m_error; }

    // Forgets buffered bytes and any error (a new connection).
    void Reset();

    // Bytes buffered and not yet handed out.
    size_t Buffered() const { return m_buffer.size() - m_start; }

private:
    Result Fail(std::string why);

    std::vector<uint8_t> m_buffer;  // capacity is kept between messages
    size_t m_start = 0;             // first byte not yet handed out
    std::string m_error;
};

}  // namespace zamp
