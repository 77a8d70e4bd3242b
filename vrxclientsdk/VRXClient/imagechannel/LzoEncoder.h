// The raw coding of the image channel: the block's pixels compressed with
// LZO1X-1 (LzoCompressor), whose work memory Load allocates.
#pragma once

#include <memory>

#include "vrxclientsdk/VRXClient/imagechannel/BlockEncoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/LzoCompressor.h"

class LzoEncoder : public BlockEncoder {
public:
    int Load(Logger* logger, std::string* argument) override;
    int Open(int width, int height, int quality, std::string* argument) override;
    long Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) override;
    size_t MaxEncodedBytes(size_t inputBytes) const override {
        return LzoCompressor::Bound(inputBytes);
    }
    const char* Name() const override { return "LzoCompress"; }

private:
    std::unique_ptr<LzoCompressor> m_lzo;
};
