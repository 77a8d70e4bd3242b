// The H.264 module "Vemrin" loaded by name, with its entries resolved, for
// the tests that drive it directly.
#pragma once

#include <memory>

#include "platform/dynload.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

struct Vemrin {
    std::unique_ptr<platform::DynamicLibrary> lib = platform::DynamicLibrary::Load("Vemrin");
    H264EncodeInitFn init = lib ? lib->Entry<H264EncodeInitFn>(kH264EncodeInitEntry) : nullptr;
    H264EncodeExFn encode = lib ? lib->Entry<H264EncodeExFn>(kH264EncodeExEntry) : nullptr;
    H264EncodeReconfigQualityFn reconfig =
        lib ? lib->Entry<H264EncodeReconfigQualityFn>(kH264EncodeReconfigQualityEntry) : nullptr;
    H264EncodeCloseFn close = lib ? lib->Entry<H264EncodeCloseFn>(kH264EncodeCloseEntry) : nullptr;
    VemrinEncodeI420Fn encodeI420 =
        lib ? lib->Entry<VemrinEncodeI420Fn>(kVemrinEncodeI420Entry) : nullptr;
};
