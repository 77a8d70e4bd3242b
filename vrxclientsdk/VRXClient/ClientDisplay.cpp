#include "vrxclientsdk/VRXClient/ClientDisplay.h"

namespace {

// The display mode that goes with composition switched off.
constexpr int kModeNoComposition = 5;
// The colour depth that halves the raw pixels sent to a 16-bit receiver.
constexpr int kDepth16 = 16;

}  // namespace

ClientDisplay::Result ClientDisplay::Apply(platform::DisplaySettings* display,
                                           const Request& request, const Facts& facts) {
    Result r;
    if (!display || !display->GetDesktopConfig(0, &r.before)) {
        r.failure = "the desktop cannot be read";
        return r;
    }
    const std::string size = std::to_string(request.width) + "x" + std::to_string(request.height);
    if (request.width <= 0 || request.height <= 0) {
        r.failure = size;
        return r;
    }
    bool changed = false;
    // A receiver that shows 16-bit colour and cannot be sent JPEG gets raw
    // pixels: half of them are saved by sending 16-bit ones.
    if (facts.receiver16Bit && request.allow16 && !facts.jpegPossible &&
        r.before.depth > kDepth16) {
        r.depth = kDepth16;
        changed = true;
    }
    if (request.compositionOff) {
        display->BackupComposition();
        display->SetComposition(false);
        if (display->GetAccel() != platform::DisplaySettings::kFullAccel) {
            display->BackupAccel();
            changed = true;
        }
    }
    display->SetDirectDraw(true);
    if (request.width == r.before.width && request.height == r.before.height && !changed) {
        r.ok = true;
        return r;
    }
    const int mode = request.compositionOff ? kModeNoComposition : 0;
    if (request.extended) {
        if (int rc = display->SetDisplayEx(mode, request.width, request.height, r.depth, 1);
            rc != 0) {
            r.failure = size + " " + std::to_string(rc);
            return r;
        }
    } else if (!display->SetDisplay(mode, request.width, request.height, r.depth)) {
        r.failure = size;
        return r;
    }
    r.ok = true;
    r.applied = true;
    return r;
}
