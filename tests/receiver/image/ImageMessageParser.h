// The receiver's strict reader of the image channel's byte stream: an
// optional 32-byte "SenderId" record first, then "KIRSOIB" ... "IBTAIL"
// messages. Written from the wire format, independently of the sender's code.
//
// Feed bytes with Append(); Next() returns a whole item or "need more" and
// keeps no partial state besides the unread bytes. The first violation is
// final: the parser stays in error with a reason.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace receiver {

// Every field of one image-block message, as it stood on the wire.
struct ImageBlockHeader {
    uint8_t bitsPerPixel = 0;
    uint8_t encoding = 0;  // 2 LZO, 4 JPEG, 7 H.264
    uint32_t et = 0;
    uint16_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t rawSize = 0;
    uint32_t check = 0;
    uint32_t length = 0;  // L, bytes of encoded data
    uint32_t serial = 0;
    uint8_t split = 0;
    uint16_t fsn = 0, ftot = 0;

    int Width() const { return x2 - x1 + 1; }
    int Height() const { return y2 - y1 + 1; }
};

constexpr size_t kImageHeaderBytes = 46;
constexpr size_t kImageTrailerBytes = 42;
constexpr size_t kSenderIdBytes = 32;
// Largest encoded block the simulated receiver takes.
constexpr uint32_t kMaxEncodedBytes = 64u << 20;

class ImageMessageParser {
public:
    enum class Item { kNeedMore, kSenderId, kMessage, kError };

    // With expectSenderId, the stream must begin with a SenderId record.
    explicit ImageMessageParser(bool expectSenderId) : m_expectSenderId(expectSenderId) {}

    // A sender that re-opens a lost connection goes on with the serials of
    // its projection: the first message may then carry any serial.
    void AllowContinuedSerial() { m_continued = true; }

    void Append(const uint8_t* data, size_t size);
    Item Next();

    // The last item's contents; valid until the next call of Next or Append.
    const ImageBlockHeader& Header() const { return m_header; }
    const uint8_t* Payload() const { return m_payload; }
    const std::array<uint8_t, 4>& SenderKey() const { return m_key; }

    const std::string& Error() const { return m_error; }
    uint32_t Restarts() const { return m_restarts; }

private:
    Item Fail(std::string reason);

    bool m_expectSenderId;
    std::vector<uint8_t> m_buffer;
    size_t m_read = 0;  // bytes of m_buffer already parsed
    ImageBlockHeader m_header;
    const uint8_t* m_payload = nullptr;
    std::array<uint8_t, 4> m_key{};
    uint32_t m_lastSerial = 0;
    uint32_t m_restarts = 0;
    std::string m_error;
    bool m_continued = false;
};

}  // namespace receiver
