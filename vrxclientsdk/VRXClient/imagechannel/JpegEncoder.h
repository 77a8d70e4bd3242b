// The JPEG coding of the image channel, through the module "Pexlo".
//
// Load resolves the module's three entries and creates its encoder handle,
// which this object owns until it goes. Each block is coded as one baseline
// JPEG picture at the quality the block rules give it (ImageBlockRules.h).
// The channel codes JPEG on its capture thread, from the captured frame
// itself when the module reads rows apart (its optional stride entry) or
// the rectangle's rows lie packed in the frame.
#pragma once

#include "vrxclientsdk/VRXClient/imagechannel/BlockEncoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/ModuleHandle.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"

class JpegEncoder : public BlockEncoder {
public:
    // `modules` must outlive this encoder.
    explicit JpegEncoder(EncoderModuleSource& modules) : m_modules(modules) {}

    int Load(Logger* logger, std::string* argument) override;
    int Open(int width, int height, int quality, std::string* argument) override;
    long Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) override;
    bool CodesOnCapture() const override { return true; }
    bool ReadsStride() const override { return m_encodeStride != nullptr; }
    size_t MaxEncodedBytes(size_t inputBytes) const override { return inputBytes; }
    const char* Name() const override { return "JpegEncode"; }

private:
    EncoderModuleSource& m_modules;
    PexloEncodeFn m_encode = nullptr;
    PexloEncodeStrideFn m_encodeStride = nullptr;  // optional
    ModuleHandle<PexloCloseFn> m_handle;
};
