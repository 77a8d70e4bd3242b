#include "usbshare/ZampFrameReader.h"

#include <cstdio>

#include "usbshare/ZampFraming.h"

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
    const FrameSize frame = MeasureMessage(h, std::span<const uint8_t>(begin, available));
    if (frame.kind == FrameSize::Kind::kRefused) {
        return Fail(frame.why);
    }
    if (frame.kind == FrameSize::Kind::kNeedMore || available < frame.size) {
        return Result::kNeedMore;
    }
    const size_t size = frame.size;
    *header = h;
    *message = std::span<const uint8_t>(begin, size);
    // The handed-out bytes stay in place until the next Feed compacts them.
    m_start += size;
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
