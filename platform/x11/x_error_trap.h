// Catches the X protocol errors of a short stretch of code instead of letting
// Xlib's default handler end the process.
//
// Xlib keeps one error handler for the whole process, so one trap is armed
// at a time: the constructor waits for any other trap to be released. Create
// it on the stack around the calls to check, then ask LastErrorAndDisable().
#pragma once

#include <mutex>

struct _XDisplay;

namespace platform {

class XErrorTrap {
public:
    // Syncs `display` (so that earlier errors are not blamed on this stretch)
    // and installs the trap. `display` must outlive the trap.
    explicit XErrorTrap(_XDisplay* display);
    // Restores the previous handler (syncing first when still armed).
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Syncs with the server, restores the previous handler and returns the
    // first error code caught (0 = none). Later calls return the same code.
    int LastErrorAndDisable();

private:
    std::unique_lock<std::mutex> m_hold;
    _XDisplay* m_display;
    bool m_enabled = true;
    int m_lastError = 0;
};

}  // namespace platform
