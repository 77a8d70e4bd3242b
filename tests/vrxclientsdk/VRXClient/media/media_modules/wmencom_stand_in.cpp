// Stand-ins for the Windows Media Encoder front end, built in three variants
// to walk the encoder-library path of the screen video stream:
//   WMENCOM_WITH_ENTRIES undefined: a module without StartWMEncEx/StopWMEnc;
//   WMENCOM_START_RESULT <n>:        both entries, StartWMEncEx returns n.
// StopWMEnc counts its calls in the variable the test reads through
// WmEncStandIn_StopCalls.
#include <cstdint>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int g_stopCalls = 0;
}

EXPORT int WmEncStandIn_StopCalls() {
    return g_stopCalls;
}

#ifdef WMENCOM_START_RESULT
EXPORT int StartWMEncEx(int, int, int, int, uint16_t, uint8_t, uint8_t) {
    return WMENCOM_START_RESULT;
}
EXPORT void StopWMEnc() {
    ++g_stopCalls;
}
#endif
