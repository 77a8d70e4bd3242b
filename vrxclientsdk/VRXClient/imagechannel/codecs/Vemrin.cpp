// The H.264 encoder module "Vemrin": C entries over H264Compressor.
#include <type_traits>

#include "vrxclientsdk/VRXClient/imagechannel/codecs/H264Compressor.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

#define VEMRIN_EXPORT extern "C" __attribute__((visibility("default")))

VEMRIN_EXPORT int Vemrin_Version() {
    return kVemrinAbiVersion;
}

VEMRIN_EXPORT int H264_Encode_Init(void** handle, uint16_t width, uint16_t height, int quality) {
    if (!handle) {
        return kVemrinBadArgument;
    }
    *handle = H264Compressor::Create(width, height, quality).release();
    return *handle ? 0 : kVemrinCodecFailed;
}

VEMRIN_EXPORT int H264_EncodeEx(void* handle, const unsigned char* pixels, unsigned char* out,
                                unsigned long* outLength, int* frameType) {
    if (!handle) {
        return kVemrinBadArgument;
    }
    return static_cast<H264Compressor*>(handle)->Encode(pixels, out, outLength, frameType);
}

VEMRIN_EXPORT int Vemrin_EncodeI420(void* handle, const unsigned char* planes, unsigned char* out,
                                    unsigned long* outLength, int* frameType) {
    if (!handle) {
        return kVemrinBadArgument;
    }
    return static_cast<H264Compressor*>(handle)->EncodeI420(planes, out, outLength, frameType);
}

VEMRIN_EXPORT int H264_Encode_Reconfig_Quality(void* handle, int quality) {
    if (!handle) {
        return kVemrinBadArgument;
    }
    return static_cast<H264Compressor*>(handle)->SetQuality(quality);
}

VEMRIN_EXPORT void H264_Encode_Close(void* handle) {
    delete static_cast<H264Compressor*>(handle);
}

VEMRIN_EXPORT void Vemrin_MeasurePsnr(int on) {
    H264Compressor::MeasurePsnr(on != 0);
}

VEMRIN_EXPORT void Vemrin_MeasuredPsnr(double* psnr, long long* pictures) {
    H264Compressor::MeasuredPsnr(psnr, pictures);
}

static_assert(std::is_same_v<decltype(&Vemrin_Version), VemrinVersionFn>);
static_assert(std::is_same_v<decltype(&H264_Encode_Init), H264EncodeInitFn>);
static_assert(std::is_same_v<decltype(&H264_EncodeEx), H264EncodeExFn>);
static_assert(std::is_same_v<decltype(&H264_Encode_Reconfig_Quality), H264EncodeReconfigQualityFn>);
static_assert(std::is_same_v<decltype(&H264_Encode_Close), H264EncodeCloseFn>);
static_assert(std::is_same_v<decltype(&Vemrin_MeasurePsnr), VemrinMeasurePsnrFn>);
static_assert(std::is_same_v<decltype(&Vemrin_MeasuredPsnr), VemrinMeasuredPsnrFn>);
static_assert(std::is_same_v<decltype(&Vemrin_EncodeI420), VemrinEncodeI420Fn>);
