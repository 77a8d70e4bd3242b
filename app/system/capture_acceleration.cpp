#include "app/system/capture_acceleration.h"

#include "platform/clock.h"
#include "platform/display/display_settings.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace pemuapp {
namespace {

// How long the display may take to settle after acceleration is turned off.
constexpr uint32_t kSettleMs = 300;

void Switch(const CaptureAccelerationContext& c, bool accelerationOff) {
    bool wasProjecting = false;
    if (c.client && c.client->GetStatus() == kVrxProjecting) {
        wasProjecting = true;
        c.client->StopPlayImage();
    }
    // Systems below code 17 changed the acceleration level here; the
    // display settings of later systems keep it.
    if (accelerationOff) {
        if (c.sleepMs) {
            c.sleepMs(kSettleMs);
        } else {
            platform::SleepMs(kSettleMs);
        }
    }
    if (c.client) {
        c.client->SetCapLayer(accelerationOff);
    }
    if (c.display) {
        c.display->SetDirectDraw(accelerationOff);
    }
    if (wasProjecting && c.client->StartPlayImage(c.splitPosition) < 0 && c.onStartFailure) {
        c.onStartFailure(c.client->GetErrorCode());
    }
    if (c.redraw) {
        c.redraw();
    }
}

}  // namespace

void AccelerationOffForCapture(const CaptureAccelerationContext& context) {
    Switch(context, true);
}

void AccelerationOnForCapture(const CaptureAccelerationContext& context) {
    Switch(context, false);
}

}  // namespace pemuapp
