#include <lzo/lzo1x.h>

#include "tests/receiver/image/BlockDecoder.h"

namespace receiver {
namespace {

class LzoBlockDecoder final : public BlockDecoder {
public:
    explicit LzoBlockDecoder(bool rgb565) : m_rgb565(rgb565) { lzo_init(); }

    std::string Decode(const ImageBlockHeader& h, const uint8_t* data, Canvas& canvas,
                       bool* keyFrame) override {
        *keyFrame = true;
        if (!canvas.Contains(h.x1, h.y1, h.Width(), h.Height())) {
            return "LZO block outside the picture";
        }
        m_raw.resize(h.rawSize);
        lzo_uint out = h.rawSize;
        const int r = lzo1x_decompress_safe(data, h.length, m_raw.data(), &out, nullptr);
        if (r != LZO_E_OK || out != h.rawSize) {
            return "LZO data does not expand to the raw size (" + std::to_string(r) + ")";
        }
        const int w = h.Width();
        if (h.bitsPerPixel == 32) {
            canvas.Put(h.x1, h.y1, w, h.Height(), m_raw.data(), static_cast<size_t>(w) * 4);
            return {};
        }
        m_wide.resize(static_cast<size_t>(w) * h.Height() * 4);
        for (size_t i = 0; i < static_cast<size_t>(w) * h.Height(); ++i) {
            const unsigned v = m_raw[2 * i] | (m_raw[2 * i + 1] << 8);
            uint8_t* o = &m_wide[4 * i];
            unsigned r5, g, b5;
            if (m_rgb565) {
                r5 = (v >> 11) & 31;
                g = (v >> 5) & 63;
                g = (g << 2) | (g >> 4);
            } else {
                r5 = (v >> 10) & 31;
                g = (v >> 5) & 31;
                g = (g << 3) | (g >> 2);
            }
            b5 = v & 31;
            o[0] = static_cast<uint8_t>((b5 << 3) | (b5 >> 2));
            o[1] = static_cast<uint8_t>(g);
            o[2] = static_cast<uint8_t>((r5 << 3) | (r5 >> 2));
            o[3] = 0xFF;
        }
        canvas.Put(h.x1, h.y1, w, h.Height(), m_wide.data(), static_cast<size_t>(w) * 4);
        return {};
    }

private:
    bool m_rgb565;
    std::vector<uint8_t> m_raw;
    std::vector<uint8_t> m_wide;
};

}  // namespace

std::unique_ptr<BlockDecoder> BlockDecoder::CreateLzo(bool rgb565) {
    return std::make_unique<LzoBlockDecoder>(rgb565);
}

}  // namespace receiver
