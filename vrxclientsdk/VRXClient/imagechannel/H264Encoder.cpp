#include "vrxclientsdk/VRXClient/imagechannel/H264Encoder.h"

#include "platform/clock.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/BgraToI420.h"

namespace {

// The quality of a refresh picture: it goes out once, as a key frame.
constexpr int kRefreshQuality = 100;

}  // namespace

size_t H264Encoder::PreparedBytes(const IMAGE_BLOCK& b) const {
    const int64_t w = int64_t{b.x2} - b.x1 + 1, h = int64_t{b.y2} - b.y1 + 1;
    const bool bgr32 = b.sourceFormat == COLOR_FORMAT_BGRX || b.sourceFormat == COLOR_FORMAT_BGRA ||
                       b.sourceFormat == COLOR_FORMAT_JPEG;
    // The conversion reads whole packed rows: the picture spans the frame's width.
    if (!m_encodeI420 || !b.pBits || !bgr32 || b.x1 != 0 || b.y1 < 0 || w <= 0 || h <= 0 ||
        w % 2 != 0 || h % 2 != 0 || b.stride != w * 4 || b.y2 >= int64_t{b.frameRows}) {
        return 0;
    }
    return static_cast<size_t>(w * h * 3 / 2);
}

void H264Encoder::Prepare(const IMAGE_BLOCK& b, uint8_t* out) const {
    const int w = b.x2 - b.x1 + 1, h = b.y2 - b.y1 + 1;
    const size_t luma = size_t(w) * static_cast<size_t>(h);
    bgra_to_i420::Convert(b.pBits + size_t{b.stride} * static_cast<uint32_t>(b.y1), w, h, out, w,
                          out + luma, w / 2, out + luma + luma / 4, w / 2);
}

int H264Encoder::Load(Logger* logger, std::string* argument) {
    platform::DynamicLibrary* module = m_modules.H264();
    if (!module) {
        module = m_modules.LoadH264Again();
    }
    *argument = kVemrinModuleName;
    if (!module) {
        return qkerr::kOpenH264Encoder;
    }
    m_init = module->Entry<H264EncodeInitFn>(kH264EncodeInitEntry);
    m_encode = module->Entry<H264EncodeExFn>(kH264EncodeExEntry);
    m_reconfig = module->Entry<H264EncodeReconfigQualityFn>(kH264EncodeReconfigQualityEntry);
    m_close = module->Entry<H264EncodeCloseFn>(kH264EncodeCloseEntry);
    m_encodeI420 = module->Entry<VemrinEncodeI420Fn>(kVemrinEncodeI420Entry);
    if (!m_init || !m_encode || !m_close) {
        return qkerr::kOpenH264Encoder;
    }
    if (!m_reconfig) {
        QK_LOG(logger, LOG_NOTICE,
               "Vemrin.dll is old version which doesn't support Reconfig_Quality");
    }
    argument->clear();
    return 0;
}

int H264Encoder::Open(int width, int height, int quality, std::string* argument) {
    void* opened = nullptr;
    const int rc =
        m_init(&opened, static_cast<uint16_t>(width), static_cast<uint16_t>(height), quality);
    ModuleHandle<H264EncodeCloseFn> handle(opened, ModuleHandleCloser<H264EncodeCloseFn>{m_close});
    if (rc != 0 || !handle) {
        *argument = kH264EncodeInitEntry;
        return qkerr::kOpenH264Encoder;
    }
    m_handle = std::move(handle);
    m_quality = quality;
    m_lastKeyFrameMs = platform::NowMs();
    return 0;
}

long H264Encoder::Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) {
    const IMAGE_BLOCK& block = *in.block;
    if (m_reconfig && in.quality != m_quality && !block.refresh) {
        if (m_reconfig(m_handle.get(), in.quality) == 0) {
            m_quality = in.quality;
        }
    }
    const uint64_t now = platform::NowMs();
    const int interval = in.keyFrameIntervalSeconds;
    int frameType = kVemrinAnyFrame;
    if (block.refresh ||
        (interval >= 1 && now - m_lastKeyFrameMs > static_cast<uint64_t>(interval) * 1000)) {
        frameType = kVemrinKeyFrame;
    }
    const bool boost = block.refresh && m_reconfig && m_quality != kRefreshQuality;
    if (boost) {
        m_reconfig(m_handle.get(), kRefreshQuality);
    }
    unsigned long length = capacity;
    const int rc = in.prepared && m_encodeI420
                       ? m_encodeI420(m_handle.get(), block.pBits, out, &length, &frameType)
                       : m_encode(m_handle.get(), block.pBits, out, &length, &frameType);
    if (boost) {
        m_reconfig(m_handle.get(), m_quality);
    }
    if (rc != 0) {
        *codecError = rc;
        return -1;
    }
    if (frameType == kVemrinKeyFrame) {
        m_lastKeyFrameMs = now;
    }
    if (length == 0) {
        *codecError = 0;  // the encoder produced nothing for this picture
        return -1;
    }
    return static_cast<long>(length);
}
