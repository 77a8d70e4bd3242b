// The capture library's process-wide switches. Capture sources read them
// when they open; setting them never touches a running capture.
#include <atomic>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

namespace {

std::atomic<int> g_dxeMode{0};
// V-sync is on unless the settings turn it off.
std::atomic<int> g_dxeVSync{1};

}  // namespace

void SetDXEMode(int mode) {
    g_dxeMode.store(mode, std::memory_order_relaxed);
}

void SetDXEVSync(int on) {
    g_dxeVSync.store(on ? 1 : 0, std::memory_order_relaxed);
}

int GetDXEMode() {
    return g_dxeMode.load(std::memory_order_relaxed);
}

int GetDXEVSync() {
    return g_dxeVSync.load(std::memory_order_relaxed);
}
