#include "vrxclientsdk/VRXClient/imagechannel/H264Encoder.h"

#include "platform/clock.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRPClient/Logger.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"

namespace {

// The quality of a refresh picture: it goes out once, as a key frame.
constexpr int kRefreshQuality = 100;

}  // namespace

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
    const int rc = m_encode(m_handle.get(), block.pBits, out, &length, &frameType);
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
