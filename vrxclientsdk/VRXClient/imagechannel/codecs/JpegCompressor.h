// One TurboJPEG compressor with its error handling and a reusable spill
// buffer. Used only inside the "Pexlo" module, behind its C entries.
// One object serves one thread at a time.
#pragma once

#include <turbojpeg.h>

#include <memory>

class JpegCompressor {
public:
    // nullptr when TurboJPEG cannot create a compressor.
    static std::unique_ptr<JpegCompressor> Create();
    ~JpegCompressor();

    // Codes width x height B,G,R,X pixels whose rows start `stride` bytes
    // apart; see PexloEncodeStrideFn for the contract.
    int Encode(unsigned char* out, unsigned long* outLength, const unsigned char* pixels, int width,
               int height, int stride, int quality, int subsampling);

private:
    struct HandleDeleter {
        void operator()(void* h) const { tjDestroy(h); }
    };
    struct BufferDeleter {
        void operator()(unsigned char* p) const { tjFree(p); }
    };
    explicit JpegCompressor(tjhandle handle) : m_handle(handle) {}

    std::unique_ptr<void, HandleDeleter> m_handle;
    // Used when the caller's buffer is below TurboJPEG's worst case; grown
    // by TurboJPEG, kept between calls.
    std::unique_ptr<unsigned char, BufferDeleter> m_spill;
    unsigned long m_spillSize = 0;
};
