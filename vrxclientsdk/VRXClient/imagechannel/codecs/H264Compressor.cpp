#include "vrxclientsdk/VRXClient/imagechannel/codecs/H264Compressor.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <mutex>

#include "vrxclientsdk/VRXClient/imagechannel/codecs/BgraToI420.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

namespace {

// The buffer of an exempt picture, in picture times: about a second of the
// cap, more than any single picture needs.
constexpr int kUncappedPictures = 64;

// The PSNR tally of all encoders of the process.
std::atomic<bool> g_measurePsnr{false};
std::mutex g_tallyLock;
double g_squaredError = 0;  // sum over pictures of the mean squared error times samples
double g_samples = 0;
long long g_pictures = 0;

}  // namespace

float H264Compressor::RateFactor(int quality) {
    // Quality 100 gives CRF 12 (near lossless for screen content), 85 gives
    // 23 (x264's own default), and every 15 points below add 11; 51 is
    // x264's worst.
    const int q = std::clamp(quality, 1, 100);
    return std::min(51.0f, 12.0f + static_cast<float>(100 - q) * (11.0f / 15.0f));
}

int H264Compressor::MaxBitRateKbit(int width, int height) {
    const double pixels = static_cast<double>(width) * height;
    const double kbit = kVemrinCapKbitAt1080p * pixels / (1920.0 * 1080.0);
    return std::max(100, static_cast<int>(kbit));
}

int H264Compressor::BufferKbit(int width, int height) {
    return std::max(1, kVemrinBufferPictures * MaxBitRateKbit(width, height) / kVemrinPictureRate);
}

void H264Compressor::MeasurePsnr(bool on) {
    g_measurePsnr.store(on);
}

void H264Compressor::MeasuredPsnr(double* psnr, long long* pictures) {
    std::lock_guard lock(g_tallyLock);
    if (psnr) {
        *psnr = g_squaredError > 0 ? 10.0 * std::log10(255.0 * 255.0 * g_samples / g_squaredError)
                                   : 100.0;
    }
    if (pictures) {
        *pictures = g_pictures;
    }
    g_squaredError = g_samples = 0;
    g_pictures = 0;
}

void H264Compressor::TallyPsnr(const x264_picture_t& coded) {
    const double luma = static_cast<double>(m_width) * m_height;
    const double samples[3] = {luma, luma / 4, luma / 4};
    double squared = 0;
    for (int i = 0; i < 3; ++i) {
        // x264 reports 10 log10(255^2 / mse) per plane.
        squared += samples[i] * 255.0 * 255.0 / std::pow(10.0, coded.prop.f_psnr[i] / 10.0);
    }
    std::lock_guard lock(g_tallyLock);
    g_squaredError += squared;
    g_samples += luma * 1.5;
    ++g_pictures;
}

std::unique_ptr<H264Compressor> H264Compressor::Create(int width, int height, int quality) {
    if (width <= 0 || height <= 0 || width % 2 || height % 2) {
        return nullptr;
    }
    std::unique_ptr<H264Compressor> self(new H264Compressor(width, height));
    self->m_quality = std::clamp(quality, 1, 100);
    self->m_measure = g_measurePsnr.load();
    if (!self->OpenEncoder()) {
        return nullptr;
    }
    if (x264_picture_alloc(&self->m_picture, X264_CSP_I420, width, height) < 0) {
        return nullptr;
    }
    self->m_pictureAllocated = true;
    return self;
}

bool H264Compressor::OpenEncoder() {
    x264_param_t p;
    if (x264_param_default_preset(&p, "ultrafast", "zerolatency") < 0) {
        return false;
    }
    p.i_width = m_width;
    p.i_height = m_height;
    p.i_csp = X264_CSP_I420;
    p.i_threads = 1;  // the channel's encode thread is the only one
    p.i_log_level = X264_LOG_NONE;
    p.b_annexb = 1;
    p.b_repeat_headers = 1;  // SPS/PPS before each IDR: a key frame decodes alone
    p.i_bframe = 0;
    p.i_keyint_max = X264_KEYINT_MAX_INFINITE;  // IDR only when the caller asks
    p.i_scenecut_threshold = 0;
    p.i_fps_num = kVemrinPictureRate;
    p.i_fps_den = 1;
    p.rc.i_rc_method = X264_RC_CRF;
    p.rc.f_rf_constant = RateFactor(m_quality);
    // x264 fills the buffer only when it opens; a wide, full buffer gives the
    // first picture its room, and Encode narrows it afterwards.
    p.rc.i_vbv_max_bitrate = MaxBitRateKbit(m_width, m_height);
    p.rc.i_vbv_buffer_size = BufferKbit(m_width, m_height) * kUncappedPictures;
    p.rc.f_vbv_buffer_init = 1.0f;
    if (m_measure) {
        // x264 measures only at its info log level; its lines go nowhere.
        p.analyse.b_psnr = 1;
        p.i_log_level = X264_LOG_INFO;
        p.pf_log = [](void*, int, const char*, va_list) {};
    }
    if (x264_param_apply_profile(&p, "high") < 0) {
        return false;
    }
    m_encoder.reset(x264_encoder_open(&p));
    m_capped = false;
    return m_encoder != nullptr;
}

H264Compressor::~H264Compressor() {
    if (m_pictureAllocated) {
        x264_picture_clean(&m_picture);
    }
}

int H264Compressor::Encode(const unsigned char* pixels, unsigned char* out,
                           unsigned long* outLength, int* frameType) {
    if (!pixels || !out || !outLength || !frameType) {
        return kVemrinBadArgument;
    }
    x264_image_t& img = m_picture.img;
    bgra_to_i420::Convert(pixels, m_width, m_height, img.plane[0], img.i_stride[0], img.plane[1],
                          img.i_stride[1], img.plane[2], img.i_stride[2]);
    return EncodePicture(m_picture, out, outLength, frameType);
}

int H264Compressor::EncodeI420(const unsigned char* planes, unsigned char* out,
                               unsigned long* outLength, int* frameType) {
    if (!planes || !out || !outLength || !frameType) {
        return kVemrinBadArgument;
    }
    // x264 copies the planes into its own picture: they are only read here.
    x264_picture_t picture = m_picture;
    const size_t luma = static_cast<size_t>(m_width) * m_height;
    uint8_t* y = const_cast<uint8_t*>(planes);
    picture.img.plane[0] = y;
    picture.img.plane[1] = y + luma;
    picture.img.plane[2] = y + luma + luma / 4;
    picture.img.i_stride[0] = m_width;
    picture.img.i_stride[1] = picture.img.i_stride[2] = m_width / 2;
    return EncodePicture(picture, out, outLength, frameType);
}

int H264Compressor::EncodePicture(x264_picture_t& picture, unsigned char* out,
                                  unsigned long* outLength, int* frameType) {
    const bool keyAsked = *frameType == kVemrinKeyFrame;
    picture.i_type = keyAsked ? X264_TYPE_IDR : X264_TYPE_AUTO;
    // A refresh gets the room for this one picture: a new encoder, which
    // starts with a full wide buffer (its first picture is an IDR picture).
    if (keyAsked && m_quality == 100 && m_capped && !OpenEncoder()) {
        return kVemrinCodecFailed;
    }
    picture.i_pts = m_pts++;
    x264_nal_t* nals = nullptr;
    int nalCount = 0;
    x264_picture_t coded;
    const int bytes = x264_encoder_encode(m_encoder.get(), &nals, &nalCount, &picture, &coded);
    if (!m_capped) {
        // What the exempt picture left in the buffer may still serve the
        // next one; x264 trims the level to the buffer after that.
        if (Reconfigure(m_quality, true) != 0) {
            return kVemrinCodecFailed;
        }
        m_capped = true;
    }
    if (bytes < 0) {
        return kVemrinCodecFailed;
    }
    if (bytes > 0 && m_measure) {
        TallyPsnr(coded);
    }
    if (bytes == 0) {
        *outLength = 0;
        return 0;
    }
    if (static_cast<unsigned long>(bytes) > *outLength) {
        return kVemrinOutputTooSmall;
    }
    // x264 keeps the payloads of one call contiguous.
    std::memcpy(out, nals[0].p_payload, static_cast<size_t>(bytes));
    *outLength = static_cast<unsigned long>(bytes);
    *frameType = coded.b_keyframe ? kVemrinKeyFrame : kVemrinInterFrame;
    return 0;
}

int H264Compressor::SetQuality(int quality) {
    const int rc = Reconfigure(quality, m_capped);
    if (rc == 0) {
        m_quality = std::clamp(quality, 1, 100);
    }
    return rc;
}

int H264Compressor::Reconfigure(int quality, bool capped) {
    x264_param_t p;
    x264_encoder_parameters(m_encoder.get(), &p);
    p.rc.f_rf_constant = RateFactor(quality);
    p.rc.i_vbv_max_bitrate = MaxBitRateKbit(m_width, m_height);
    p.rc.i_vbv_buffer_size = BufferKbit(m_width, m_height) * (capped ? 1 : kUncappedPictures);
    return x264_encoder_reconfig(m_encoder.get(), &p) < 0 ? kVemrinCodecFailed : 0;
}
