// One connection to an X server, and the dispatch of its events to the
// handlers registered per event type.
//
// The capture code keeps one XDisplay per capture object: the screen
// capturer (damage, screen size) and the cursor monitor register their
// handlers here, and the capture thread pumps the events. Use from one
// thread at a time; the object that owns it decides which.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

// Xlib's own types, declared here so that users of this header don't get
// Xlib's macros (None, Status, Bool...) unless they ask for them.
struct _XDisplay;
union _XEvent;

namespace platform {

// An X resource id (window, pixmap, damage...).
using XId = unsigned long;

class XDisplay {
public:
    class EventHandler {
    public:
        virtual ~EventHandler() = default;
        // Called for each event of a type the handler registered for.
        virtual void HandleXEvent(const _XEvent& event) = 0;
    };

    // Opens `name` (empty: the DISPLAY variable); nullptr when it can't.
    static std::unique_ptr<XDisplay> Open(const std::string& name);

    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    _XDisplay* display() const { return m_display; }
    // The socket of the connection, to wait on with poll().
    int ConnectionFd() const;

    // `handler` gets every event of `type` until removed; it must stay alive
    // until then. Several handlers per type are called in the order added.
    void AddEventHandler(int type, EventHandler* handler);
    void RemoveEventHandler(int type, EventHandler* handler);

    // Reads and dispatches every event already received or waiting on the socket.
    void ProcessPendingEvents();

private:
    explicit XDisplay(_XDisplay* display) : m_display(display) {}

    _XDisplay* m_display;
    std::map<int, std::vector<EventHandler*>> m_handlers;
};

}  // namespace platform
