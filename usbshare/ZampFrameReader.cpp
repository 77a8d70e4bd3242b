#include "usbshare/ZampFrameReader.h"

#include <cstdio>

namespace zamp {

void ZampFrameReader::Feed(std::span<const uint8_t> bytes) {
    if (!m_error.empty() || bytes.empty()) {
        return;
    }
    if (m_start > 0) {
        // Drop what was handed out; at most one unfinished message remains.
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

ZampFrameReader::Result ZampFrameReader::Next(ZampHeader* header,
                                              std::span<const uint8_t>* message) {
    if (!m_error.empty()) {
        return Result::kError;
    }
    const size_t available = m_buffer.size() - m_start;
    if (available < kHeaderSize) {
        return Result::kNeedMore;
    }
    const uint8_t* begin = m_buffer.data() + m_start;
    ZampHeader h;
    if (!ZampHeader::Decode(std::span<const uint8_t, kHeaderSize>(begin, kHeaderSize), &h)) {
        return Fail("bad magic");
    }
    if (h.version != kVersion) {
        char why[48];
        std::snprintf(why, sizeof why, "bad version 0x%04x", h.version);
        return Fail(why);
    }
    const uint64_t size = MessageSize(h.code, h.length);
    if (size > kMaxMessageSize) {
        char why[80];
        std::snprintf(why, sizeof why, "message 0x%04x of %llu bytes is over the limit", h.code,
                      static_cast<unsigned long long>(size));
        return Fail(why);
    }
    if (available < size) {
        return Result::kNeedMore;
    }
    *header = h;
    *message = std::span<const uint8_t>(begin, static_cast<size_t>(size));
    // The handed-out bytes stay in place until the next Feed compacts them.
    m_start += static_cast<size_t>(size);
    return Result::kMessage;
}

void ZampFrameReader::Reset() {
    m_buffer.clear();
    m_start = 0;
    m_error.clear();
}

ZampFrameReader::Result ZampFrameReader::Fail(std::string why) {
    m_error = std::move(why);
    m_buffer.clear();
    m_start = 0;
    return Result::kError;
}

}  // namespace zamp
