// The JPEG encoder module "Pexlo".
#include "vrxclientsdk/VRXClient/codecs/PexloApi.h"

#define PEXLO_EXPORT extern "C" __attribute__((visibility("default")))

PEXLO_EXPORT int Pexlo_Version() {
    return kPexloAbiVersion;
}
