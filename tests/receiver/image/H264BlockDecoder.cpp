extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <algorithm>
#include <cstring>

#include "tests/receiver/image/BlockDecoder.h"

namespace receiver {
namespace {

// True when the Annex-B data holds an IDR slice (NAL type 5).
bool HasIdrSlice(const uint8_t* p, size_t n) {
    for (size_t i = 0; i + 3 < n; ++i) {
        if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1 && (p[i + 3] & 0x1F) == 5) {
            return true;
        }
    }
    return false;
}

uint8_t Clamp8(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

class H264BlockDecoder final : public BlockDecoder {
public:
    H264BlockDecoder(AVCodecContext* ctx)
        : m_ctx(ctx), m_packet(av_packet_alloc()), m_frame(av_frame_alloc()) {}
    ~H264BlockDecoder() override {
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        avcodec_free_context(&m_ctx);
    }

    std::string Decode(const ImageBlockHeader& h, const uint8_t* data, Canvas& canvas,
                       bool* keyFrame) override {
        *keyFrame = false;
        if (!m_packet || !m_frame) {
            return "no memory for the H.264 decoder";
        }
        m_data.assign(data, data + h.length);
        m_data.resize(h.length + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        m_packet->data = m_data.data();
        m_packet->size = static_cast<int>(h.length);
        if (avcodec_send_packet(m_ctx, m_packet) < 0) {
            return "H.264 data refused by the decoder";
        }
        const int r = avcodec_receive_frame(m_ctx, m_frame);
        if (r < 0) {
            return "H.264 access unit gave no picture";
        }
        const int w = m_frame->width, ht = m_frame->height;
        if (m_frame->format != AV_PIX_FMT_YUV420P && m_frame->format != AV_PIX_FMT_YUVJ420P) {
            av_frame_unref(m_frame);
            return "H.264 picture is not 4:2:0";
        }
        if (w != h.Width() || ht != h.Height() || !canvas.Contains(h.x1, h.y1, w, ht)) {
            av_frame_unref(m_frame);
            return "H.264 picture " + std::to_string(w) + "x" + std::to_string(ht) +
                   " does not fit the rectangle";
        }
        *keyFrame = HasIdrSlice(data, h.length);
        // BT.601 limited range back to B, G, R.
        for (int y = 0; y < ht; ++y) {
            uint8_t* out = canvas.Row(h.y1 + y) + static_cast<size_t>(h.x1) * 4;
            const uint8_t* yr = m_frame->data[0] + y * m_frame->linesize[0];
            const uint8_t* ur = m_frame->data[1] + (y / 2) * m_frame->linesize[1];
            const uint8_t* vr = m_frame->data[2] + (y / 2) * m_frame->linesize[2];
            for (int x = 0; x < w; ++x, out += 4) {
                const int c = 298 * (yr[x] - 16);
                const int d = ur[x / 2] - 128;
                const int e = vr[x / 2] - 128;
                out[0] = Clamp8((c + 516 * d + 128) >> 8);
                out[1] = Clamp8((c - 100 * d - 208 * e + 128) >> 8);
                out[2] = Clamp8((c + 409 * e + 128) >> 8);
                out[3] = 0xFF;
            }
        }
        av_frame_unref(m_frame);
        return {};
    }

private:
    AVCodecContext* m_ctx;
    AVPacket* m_packet;
    AVFrame* m_frame;
    std::vector<uint8_t> m_data;
};

}  // namespace

std::unique_ptr<BlockDecoder> BlockDecoder::CreateH264() {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    if (!codec) {
        return nullptr;
    }
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx) {
        return nullptr;
    }
    ctx->thread_count = 1;
    ctx->flags |= AV_CODEC_FLAG_LOW_DELAY;
    if (avcodec_open2(ctx, codec, nullptr) < 0) {
        avcodec_free_context(&ctx);
        return nullptr;
    }
    return std::make_unique<H264BlockDecoder>(ctx);
}

}  // namespace receiver
