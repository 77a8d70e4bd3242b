#include "vrxclientsdk/VRXClient/imagechannel/codecs/JpegCompressor.h"

#include <climits>
#include <cstring>

#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"

std::unique_ptr<JpegCompressor> JpegCompressor::Create() {
    tjhandle h = tjInitCompress();
    if (!h) {
        return nullptr;
    }
    return std::unique_ptr<JpegCompressor>(new JpegCompressor(h));
}

JpegCompressor::~JpegCompressor() = default;

int JpegCompressor::Encode(unsigned char* out, unsigned long* outLength,
                           const unsigned char* pixels, int width, int height, int stride,
                           int quality, int subsampling) {
    if (!out || !outLength || !pixels || width <= 0 || height <= 0 || width > INT_MAX / 4 ||
        stride < width * 4 || quality < 1 || quality > 100) {
        return kPexloBadArgument;
    }
    int samp;
    switch (subsampling) {
        case kPexloSubsample420:
            samp = TJSAMP_420;
            break;
        case kPexloSubsample422:
            samp = TJSAMP_422;
            break;
        case kPexloSubsample444:
            samp = TJSAMP_444;
            break;
        default:
            return kPexloBadArgument;
    }
    // Screen content: the fast integer DCT costs little quality at these
    // qualities and is the quickest path of the library.
    const int flags = TJFLAG_FASTDCT | TJFLAG_NOREALLOC;
    const unsigned long worst = tjBufSize(width, height, samp);
    if (worst != static_cast<unsigned long>(-1) && *outLength >= worst) {
        // Straight into the caller's buffer: it holds the worst case.
        unsigned char* dst = out;
        unsigned long size = *outLength;
        if (tjCompress2(m_handle.get(), pixels, width, stride, height, TJPF_BGRX, &dst, &size, samp,
                        quality, flags) != 0) {
            return kPexloCodecFailed;
        }
        *outLength = size;
        return 0;
    }
    // A small caller buffer: code into the spill buffer, then copy if it fits.
    if (m_spillSize < worst) {
        m_spill.reset(tjAlloc(static_cast<int>(worst)));
        m_spillSize = m_spill ? worst : 0;
        if (!m_spill) {
            return kPexloCodecFailed;
        }
    }
    unsigned char* dst = m_spill.get();
    unsigned long size = m_spillSize;
    if (tjCompress2(m_handle.get(), pixels, width, stride, height, TJPF_BGRX, &dst, &size, samp,
                    quality, flags) != 0) {
        return kPexloCodecFailed;
    }
    if (size > *outLength) {
        return kPexloOutputTooSmall;
    }
    std::memcpy(out, dst, size);
    *outLength = size;
    return 0;
}
