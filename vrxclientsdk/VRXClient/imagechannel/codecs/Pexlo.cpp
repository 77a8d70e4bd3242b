// The JPEG encoder module "Pexlo": C entries over JpegCompressor.
#include "vrxclientsdk/VRXClient/imagechannel/codecs/JpegCompressor.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"

#define PEXLO_EXPORT extern "C" __attribute__((visibility("default")))

PEXLO_EXPORT int Pexlo_Version() {
    return kPexloAbiVersion;
}

PEXLO_EXPORT void* Pexlo_Init() {
    return JpegCompressor::Create().release();
}

PEXLO_EXPORT int Pexlo_Encode(void* handle, unsigned char* out, unsigned long* outLength,
                              const unsigned char* pixels, int width, int height, int pixelBits,
                              int quality, int subsampling) {
    if (!handle || pixelBits != kPexloPixelBits) {
        return kPexloBadArgument;
    }
    return static_cast<JpegCompressor*>(handle)->Encode(out, outLength, pixels, width, height,
                                                        width * 4, quality, subsampling);
}

#ifndef PEXLO_WITHOUT_STRIDE_ENTRY  // a build as modules before the entry were
PEXLO_EXPORT int Pexlo_EncodeStride(void* handle, unsigned char* out, unsigned long* outLength,
                                    const unsigned char* pixels, int width, int height, int stride,
                                    int pixelBits, int quality, int subsampling) {
    if (!handle || pixelBits != kPexloPixelBits) {
        return kPexloBadArgument;
    }
    return static_cast<JpegCompressor*>(handle)->Encode(out, outLength, pixels, width, height,
                                                        stride, quality, subsampling);
}
#endif

PEXLO_EXPORT void Pexlo_Close(void* handle) {
    delete static_cast<JpegCompressor*>(handle);
}

#include <type_traits>
static_assert(std::is_same_v<decltype(&Pexlo_Version), PexloVersionFn>);
static_assert(std::is_same_v<decltype(&Pexlo_Init), PexloInitFn>);
static_assert(std::is_same_v<decltype(&Pexlo_Encode), PexloEncodeFn>);
static_assert(std::is_same_v<decltype(&Pexlo_Close), PexloCloseFn>);
#ifndef PEXLO_WITHOUT_STRIDE_ENTRY
static_assert(std::is_same_v<decltype(&Pexlo_EncodeStride), PexloEncodeStrideFn>);
#endif
