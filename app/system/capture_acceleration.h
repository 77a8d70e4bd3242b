// The two capture-option switches around a running projection: hardware
// acceleration off (with the capture layer on) and back on. A projection in
// progress is stopped, the switch made, and the projection started again at
// the main window's split position; a failed restart goes to the caller's
// failure path with the client's error code.
//
// The acceleration level itself can only be changed on systems below code
// 17; on this one (code 19) only the capture layer and DirectDraw switch.
// THREADING: user-interface thread (the client's calls pump messages).
#pragma once

#include <cstdint>
#include <functional>

class VRXClient;

namespace platform {
class DisplaySettings;
}

namespace pemuapp {

struct CaptureAccelerationContext {
    VRXClient* client = nullptr;                   // borrowed
    platform::DisplaySettings* display = nullptr;  // borrowed, may be null
    int osCode = 19;
    // Where the projection starts again: the main window's split position.
    uint8_t splitPosition = 128;
    // A restart failed: the main window's stop-on-failure path.
    std::function<void(int errorCode)> onStartFailure;
    // The main window redraws itself.
    std::function<void()> redraw;
    // The pause that lets the display settle; null: a real sleep.
    std::function<void(uint32_t ms)> sleepMs;
};

void AccelerationOffForCapture(const CaptureAccelerationContext& context);
void AccelerationOnForCapture(const CaptureAccelerationContext& context);

}  // namespace pemuapp
