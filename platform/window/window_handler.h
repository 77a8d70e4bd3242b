// The event-handler interface of one window.
//
// A window of the layer has no behaviour of its own: its handler receives
// every message, on the user-interface thread. The handler is borrowed by the
// window and must stay alive until it has received kFinalRelease for that
// window (or until the window manager is destroyed), or be destroyed on the
// user-interface thread after it destroyed its windows; one handler may serve
// several windows and tells them apart by the id it is given.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/window/window_id.h"
#include "platform/window/window_message.h"

namespace platform {

class WindowHandler {
public:
    // Returned by OnMessage to ask for the layer's default handling: a close
    // request or command kCommandOk/kCommandCancel ends a modal window, and a
    // close request destroys any other window.
    static constexpr int64_t kDefault = std::numeric_limits<int64_t>::min();

    // Takes the handler off every destroyed window still waiting for its
    // kFinalRelease on the current window manager's thread.
    virtual ~WindowHandler();

    // Handles `msg` for the window `self`. The result goes back to the sender
    // of a synchronous message; posted messages drop it.
    virtual int64_t OnMessage(WindowId self, const Message& msg) = 0;

    // Sees each input message aimed at `self` or at one of its descendants
    // before it is dispatched, innermost window first. Returning true
    // consumes the message (nothing else sees it).
    virtual bool PreTranslate(WindowId self, const Message& msg) {
        (void)self;
        (void)msg;
        return false;
    }
};

// Watches the messages of one window without being its handler: a drop
// shadow follows its parent's moves, shows and minimising this way.
// Registered with WindowManager::AddMessageObserver; it sees every message
// dispatched to that window (sent or posted, input included) just before
// the window's handler and pre-translation, and cannot change or consume
// it. kFinalRelease is not shown. Borrowed: it must stay alive until it is
// removed or the window is destroyed (the registration ends with kDestroy).
// User-interface thread only.
class MessageObserver {
public:
    virtual ~MessageObserver() = default;
    virtual void OnObservedMessage(WindowId window, const Message& msg) = 0;
};

}  // namespace platform
