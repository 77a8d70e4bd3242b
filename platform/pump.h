// Message pumping while a thread waits.
//
// A wait on the user-interface thread keeps its windows alive by dispatching
// queued window messages. The window layer installs the real pump; until it
// does, and on every other thread, pumping does nothing.
#pragma once

#include <thread>

namespace platform {

enum class PumpKind {
    kAll,            // every queued message
    kTimerAndPaint,  // only timer messages, then paint messages
};

using PumpHook = void (*)(PumpKind kind);

// Installs the pump of the user-interface thread `uiThread`. nullptr removes it.
void SetMessagePump(PumpHook hook, std::thread::id uiThread);

}  // namespace platform

// Dispatches every queued window message of the calling thread.
void PumpMessages();

// Dispatches queued timer messages, and paint messages when no timer message
// is left; other messages stay queued.
void PumpTimerPaintMessages();
