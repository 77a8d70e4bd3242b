#include "platform/pump.h"

#include <atomic>
#include <mutex>

namespace platform {
namespace {

struct PumpState {
    std::mutex lock;
    PumpHook hook = nullptr;
    std::thread::id uiThread;
};

PumpState& State() {
    static PumpState state;
    return state;
}

// Fast path: most waits run off the user-interface thread or before any
// window layer exists.
std::atomic<bool> g_installed{false};

void Pump(PumpKind kind) {
    if (!g_installed.load(std::memory_order_acquire)) {
        return;
    }
    PumpHook hook = nullptr;
    {
        std::lock_guard<std::mutex> guard(State().lock);
        if (State().uiThread != std::this_thread::get_id()) {
            return;
        }
        hook = State().hook;
    }
    if (hook) {
        hook(kind);
    }
}

}  // namespace

void SetMessagePump(PumpHook hook, std::thread::id uiThread) {
    std::lock_guard<std::mutex> guard(State().lock);
    State().hook = hook;
    State().uiThread = uiThread;
    g_installed.store(hook != nullptr, std::memory_order_release);
}

}  // namespace platform

void PumpMessages() {
    platform::Pump(platform::PumpKind::kAll);
}

void PumpTimerPaintMessages() {
    platform::Pump(platform::PumpKind::kTimerAndPaint);
}
