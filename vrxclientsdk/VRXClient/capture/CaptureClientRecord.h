// What the capture pool keeps per image channel: its capture settings (the
// first group forms the capture key: channels with equal keys share one
// capture object) and its live state, which the capture thread reads.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

// The part of a channel that the capture thread reads while it delivers.
// Shared between the pool's record and the subscriber lists.
struct CaptureClientState {
    std::atomic<int> state{STATUS_STOPPED};  // 0 stopped, 1 running, 2 paused
    std::atomic<bool> refreshRequested{false};
    CaptureCallback callback = nullptr;  // set by Open, before delivery begins
    void* context = nullptr;
    // Deliveries in progress; Detach waits for them to finish.
    std::atomic<int> inDelivery{0};
};

struct CaptureClientRecord {
    // --- the capture key ---
    CaptureWindow window = 0;
    int32_t screen = 0;
    int32_t rotation = 0;
    uint16_t bitCount = 32;
    int32_t outputWidth = 0;
    int32_t outputHeight = 0;
    bool windowFlag = false;
    bool rgb16 = false;
    bool captureLayered = false;
    std::u16string imagePath;
    // --- applied at Open, some also live ---
    bool cursorMode = true;
    int32_t rectDist = 32;
    int32_t maxFrameTime = 250;
    int32_t maxFps = 30;
    int32_t maxMouseFps = 70;
    double cursorScale = 1.0;

    // The key: equal exactly when the key fields and the path are equal.
    std::string Key() const;
    // The same, written into `out` (reusing its memory).
    void KeyInto(std::string& out) const;
};
