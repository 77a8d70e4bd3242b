#include "vrxclientsdk/VRXClient/imagechannel/JpegEncoder.h"

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
    const int rc = m_encode(m_handle.get(), out, &length, block.pBits, in.width, in.height,
                            kPexloPixelBits, quality, kPexloSubsample420);
    if (rc != 0) {
        *codecError = rc;
        return -1;
    }
    return static_cast<long>(length);
}
