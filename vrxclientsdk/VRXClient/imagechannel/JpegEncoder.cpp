#include "vrxclientsdk/VRXClient/imagechannel/JpegEncoder.h"

#include <climits>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockRules.h"

int JpegEncoder::Load(Logger*, std::string*) {
    platform::DynamicLibrary* module = m_modules.Jpeg();
    if (!module) {
        return qkerr::kLoadJpegEncoder;
    }
    auto init = module->Entry<PexloInitFn>(kPexloInitEntry);
    auto encode = module->Entry<PexloEncodeFn>(kPexloEncodeEntry);
    auto close = module->Entry<PexloCloseFn>(kPexloCloseEntry);
    if (!init || !encode || !close) {
        return qkerr::kLoadJpegEncoder;
    }
    ModuleHandle<PexloCloseFn> handle(init(), ModuleHandleCloser<PexloCloseFn>{close});
    if (!handle) {
        return qkerr::kLoadJpegEncoder;
    }
    m_encode = encode;
    m_encodeStride = module->Entry<PexloEncodeStrideFn>(kPexloEncodeStrideEntry);
    m_handle = std::move(handle);
    return 0;
}

int JpegEncoder::Open(int, int, int, std::string*) {
    return 0;  // one handle codes pictures of any size
}

long JpegEncoder::Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) {
    const IMAGE_BLOCK& block = *in.block;
    const int quality =
        JpegQualityFor(in.width, in.height, block.refresh, block.quality100, in.quality);
    unsigned long length = capacity;
    const uint64_t packed = uint64_t{4} * static_cast<uint32_t>(in.width);
    int rc;
    if (block.stride == 0 || block.stride == packed) {
        rc = m_encode(m_handle.get(), out, &length, block.pBits, in.width, in.height,
                      kPexloPixelBits, quality, kPexloSubsample420);
    } else if (m_encodeStride && block.stride > packed && block.stride <= INT_MAX) {
        rc = m_encodeStride(m_handle.get(), out, &length, block.pBits, in.width, in.height,
                            static_cast<int>(block.stride), kPexloPixelBits, quality,
                            kPexloSubsample420);
    } else {
        rc = kPexloBadArgument;  // rows apart, and the module cannot read them so
    }
    if (rc != 0) {
        *codecError = rc;
        return -1;
    }
    return static_cast<long>(length);
}
