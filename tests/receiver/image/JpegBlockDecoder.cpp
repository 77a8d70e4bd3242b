#include <turbojpeg.h>

#include "tests/receiver/image/BlockDecoder.h"

namespace receiver {
namespace {

class JpegBlockDecoder final : public BlockDecoder {
public:
    JpegBlockDecoder() : m_handle(tjInitDecompress()) {}
    ~JpegBlockDecoder() override {
        if (m_handle) {
            tjDestroy(m_handle);
        }
    }

    std::string Decode(const ImageBlockHeader& h, const uint8_t* data, Canvas& canvas,
                       bool* keyFrame) override {
        *keyFrame = true;
        if (!m_handle) {
            return "no JPEG decompressor";
        }
        int w = 0, ht = 0, samp = 0, colorspace = 0;
        if (tjDecompressHeader3(m_handle, data, h.length, &w, &ht, &samp, &colorspace) != 0) {
            return std::string("JPEG header: ") + tjGetErrorStr2(m_handle);
        }
        if (w != h.Width() || ht != h.Height()) {
            return "JPEG is " + std::to_string(w) + "x" + std::to_string(ht) + ", rectangle is " +
                   std::to_string(h.Width()) + "x" + std::to_string(h.Height());
        }
        if (!canvas.Contains(h.x1, h.y1, w, ht)) {
            return "JPEG block outside the picture";
        }
        m_pixels.resize(static_cast<size_t>(w) * ht * 4);
        if (tjDecompress2(m_handle, data, h.length, m_pixels.data(), w, w * 4, ht, TJPF_BGRX,
                          TJFLAG_ACCURATEDCT) != 0) {
            return std::string("JPEG data: ") + tjGetErrorStr2(m_handle);
        }
        canvas.Put(h.x1, h.y1, w, ht, m_pixels.data(), static_cast<size_t>(w) * 4);
        return {};
    }

private:
    tjhandle m_handle;
    std::vector<uint8_t> m_pixels;
};

}  // namespace

std::unique_ptr<BlockDecoder> BlockDecoder::CreateJpeg() {
    return std::make_unique<JpegBlockDecoder>();
}

}  // namespace receiver
