// The H.264 encoder module "Vemrin".
#include "vrxclientsdk/VRXClient/codecs/VemrinApi.h"

#define VEMRIN_EXPORT extern "C" __attribute__((visibility("default")))

VEMRIN_EXPORT int Vemrin_Version() {
    return kVemrinAbiVersion;
}
