#include "tests/platform/window/x_selection_owner.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// The child's whole life: own the selection, tell the parent, answer
// requests until the selection is lost or the stop pipe closes.
[[noreturn]] void RunOwner(const std::string& displayName, const std::string& text,
                           XSelectionOwner::Offers offers, int ready, int stop) {
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) {
        _exit(2);
    }
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom targets = XInternAtom(display, "TARGETS", False);
    XSetSelectionOwner(display, clipboard, window, CurrentTime);
    if (XGetSelectionOwner(display, clipboard) != window) {
        _exit(3);
    }
    char byte = 1;
    if (::write(ready, &byte, 1) != 1) {
        _exit(4);
    }
    ::close(ready);
    bool latin1Only = offers == XSelectionOwner::Offers::kLatin1Only;
    for (;;) {
        while (XPending(display) > 0) {
            XEvent e;
            XNextEvent(display, &e);
            if (e.type == SelectionClear) {
                _exit(0);
            }
            if (e.type != SelectionRequest) {
                continue;
            }
            const XSelectionRequestEvent& req = e.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = req.requestor;
            reply.xselection.selection = req.selection;
            reply.xselection.target = req.target;
            reply.xselection.time = req.time;
            reply.xselection.property = None;
            if (req.target == targets) {
                Atom offered[] = {targets, utf8, XA_STRING};
                XChangeProperty(display, req.requestor, req.property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<unsigned char*>(offered), latin1Only ? 1 : 3);
                reply.xselection.property = req.property;
            } else if ((req.target == utf8 && !latin1Only) || req.target == XA_STRING) {
                XChangeProperty(display, req.requestor, req.property, req.target, 8,
                                PropModeReplace,
                                reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()));
                reply.xselection.property = req.property;
            }
            XSendEvent(display, req.requestor, False, NoEventMask, &reply);
            XFlush(display);
        }
        pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {stop, POLLIN, 0}};
        ::poll(fds, 2, -1);
        if (fds[1].revents != 0) {
            _exit(0);
        }
    }
}

}  // namespace

XSelectionOwner::~XSelectionOwner() {
    if (m_stop >= 0) {
        ::close(m_stop);
    }
    if (m_pid > 0) {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

bool XSelectionOwner::Start(const std::string& display, const std::string& text, Offers offers) {
    int ready[2];
    int stop[2];
    if (::pipe(ready) != 0) {
        return false;
    }
    if (::pipe(stop) != 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        RunOwner(display, text, offers, ready[1], stop[0]);
    }
    ::close(ready[1]);
    ::close(stop[0]);
    m_stop = stop[1];
    if (m_pid < 0) {
        ::close(ready[0]);
        return false;
    }
    // The child writes one byte once it owns the selection, or exits.
    pollfd fd{ready[0], POLLIN, 0};
    char byte = 0;
    bool ok = ::poll(&fd, 1, 10000) == 1 && ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    return ok;
}

}  // namespace platform
