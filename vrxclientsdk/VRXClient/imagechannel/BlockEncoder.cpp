#include "vrxclientsdk/VRXClient/imagechannel/BlockEncoder.h"

#include "vrxclientsdk/VRXClient/imagechannel/H264Encoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockWire.h"
#include "vrxclientsdk/VRXClient/imagechannel/JpegEncoder.h"
#include "vrxclientsdk/VRXClient/imagechannel/LzoEncoder.h"

std::unique_ptr<BlockEncoder> BlockEncoder::Create(int coding, EncoderModuleSource& modules) {
    switch (coding) {
        case ibwire::kEncodingJpeg:
            return std::make_unique<JpegEncoder>(modules);
        case ibwire::kEncodingH264:
            return std::make_unique<H264Encoder>(modules);
        default:
            return std::make_unique<LzoEncoder>();
    }
}
