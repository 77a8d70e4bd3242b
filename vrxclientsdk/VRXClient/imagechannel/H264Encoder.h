// The H.264 coding of the image channel, through the module "Vemrin".
//
// Load resolves the module's entries (loading the module once more when it
// was absent); Open opens its encoder for the output size, and this object
// owns the handle until it goes. Every block is one whole picture. A refresh
// block is coded as a key frame at the top quality; otherwise a key frame
// follows after the key-frame interval. Quality changes reach the encoder
// here, on the encode thread, between pictures.
#pragma once

#include <cstdint>
#include "vrxclientsdk/VRXClient/imagechannel/BlockEncoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/ModuleHandle.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

class H264Encoder : public BlockEncoder {
public:
    // `modules` must outlive this encoder.
    explicit H264Encoder(EncoderModuleSource& modules) : m_modules(modules) {}

    int Load(Logger* logger, std::string* argument) override;
    int Open(int width, int height, int quality, std::string* argument) override;
    long Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) override;
    // With the module's 4:2:0 entry, the capture thread converts the frame
    // to the encoder's planes itself: the frame is read once and the queue
    // holds 1.5 bytes a pixel instead of 4.
    size_t PreparedBytes(const IMAGE_BLOCK& block) const override;
    void Prepare(const IMAGE_BLOCK& block, uint8_t* out) const override;
    size_t MaxEncodedBytes(size_t inputBytes) const override { return inputBytes; }
    const char* Name() const override { return "H264Encode"; }

private:
    EncoderModuleSource& m_modules;
    H264EncodeInitFn m_init = nullptr;
    H264EncodeExFn m_encode = nullptr;
    VemrinEncodeI420Fn m_encodeI420 = nullptr;         // null in old modules
    H264EncodeReconfigQualityFn m_reconfig = nullptr;  // null in old modules
    H264EncodeCloseFn m_close = nullptr;
    ModuleHandle<H264EncodeCloseFn> m_handle;
    int m_quality = 0;  // the quality the encoder runs at
    uint64_t m_lastKeyFrameMs = 0;
};
