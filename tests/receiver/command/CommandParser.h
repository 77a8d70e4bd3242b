// CommandParser: the simulated receiver's strict reader of what a sender
// writes on the command channel.
//
// Bytes are fed as they arrive; Next() returns one whole frame, "need more"
// until a frame is complete (keeping no state but the buffered bytes), or an
// error that names what is wrong. It knows every request's payload length,
// the fire-and-forget input frames, the acknowledgements of events and the
// keep-alive. Anything else (bytes before a prefix, an unknown code, a length
// field over its limit, a field that breaks its rule) is an error: the
// simulator never skips bytes silently.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace receiver_sim {

struct SenderFrame {
    enum class Kind { kKeepAlive, kRequest, kInput, kAck };
    Kind kind = Kind::kRequest;
    uint8_t code = 0;  // unused for keep-alive
    std::string word;  // the four letters of a keep-alive frame
    std::vector<uint8_t> payload;
};

class CommandParser {
public:
    enum class Status { kNeedMore, kFrame, kError };

    void Feed(const uint8_t* bytes, size_t length);
    // Takes the next frame out of the buffer. After an error the parser
    // stays failed.
    Status Next(SenderFrame* frame, std::string* error);
    size_t Buffered() const { return m_buffer.size(); }

    // The request or frame name of a code as the sender uses it ("?" when
    // unknown).
    static const char* NameOf(SenderFrame::Kind kind, uint8_t code);

private:
    std::vector<uint8_t> m_buffer;
    std::string m_error;
};

}  // namespace receiver_sim
