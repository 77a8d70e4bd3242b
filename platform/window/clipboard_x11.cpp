#include "platform/window/clipboard_x11.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

#include "platform/wide_text.h"
#include "platform/window/window_log.h"
#include "platform/x11/x_error_trap.h"

namespace platform {
namespace {

int64_t SteadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// STRING is Latin-1: every byte one code point.
std::string Latin1ToUtf8(const std::string& latin1) {
    std::wstring wide;
    wide.reserve(latin1.size());
    for (unsigned char c : latin1) {
        wide.push_back(static_cast<wchar_t>(c));
    }
    return WideToUtf8(wide);
}

std::string Utf8ToLatin1(const std::string& utf8) {
    std::string out;
    for (wchar_t c : Utf8ToWide(utf8)) {
        out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    }
    return out;
}

}  // namespace

struct ClipboardX11::Atoms {
    Atom clipboard;
    Atom utf8String;
    Atom text;
    Atom targets;
    Atom incr;
    Atom property;  // where owners put the text for us
};

ClipboardX11::ClipboardX11(_XDisplay* display) : m_display(display) {
    m_atoms = std::make_unique<Atoms>();
    auto atom = [this](const char* name) { return XInternAtom(m_display, name, False); };
    m_atoms->clipboard = atom("CLIPBOARD");
    m_atoms->utf8String = atom("UTF8_STRING");
    m_atoms->text = atom("TEXT");
    m_atoms->targets = atom("TARGETS");
    m_atoms->incr = atom("INCR");
    m_atoms->property = atom("PEMU_CLIPBOARD");
    // An unmapped input-only window: it owns the selection and receives
    // the owners' answers; it never shows.
    XSetWindowAttributes attrs{};
    m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), -10, -10, 1, 1, 0, 0,
                             InputOnly, CopyFromParent, 0, &attrs);
}

ClipboardX11::~ClipboardX11() {
    XDestroyWindow(m_display, m_window);
}

void ClipboardX11::SetText(const std::string& text, unsigned long time) {
    if (text.size() > kMaxClipboardBytes) {
        WindowLog("clipboard text of %zu bytes not copied (at most %zu)", text.size(),
                  kMaxClipboardBytes);
        return;
    }
    m_text = text;
    XSetSelectionOwner(m_display, m_atoms->clipboard, m_window, time ? time : CurrentTime);
    m_owning = XGetSelectionOwner(m_display, m_atoms->clipboard) == m_window;
    if (!m_owning) {
        WindowLog("the X server did not give us the clipboard");
        m_text.clear();
    }
}

std::optional<std::string> ClipboardX11::Text(unsigned long time) {
    Window owner = XGetSelectionOwner(m_display, m_atoms->clipboard);
    if (owner == None) {
        return std::nullopt;
    }
    if (owner == m_window && m_owning) {
        return m_text;
    }
    int64_t deadline = SteadyMs() + m_waitMs;
    bool refused = false;
    std::optional<std::string> text = Convert(m_atoms->utf8String, time, deadline, &refused);
    if (text) {
        return text;
    }
    // Older owners offer only Latin-1.
    if (refused) {
        if (std::optional<std::string> latin1 = Convert(XA_STRING, time, deadline, &refused)) {
            return Latin1ToUtf8(*latin1);
        }
    }
    return std::nullopt;
}

std::optional<std::string> ClipboardX11::Convert(unsigned long target, unsigned long time,
                                                 int64_t deadlineMs, bool* refused) {
    *refused = false;
    XDeleteProperty(m_display, m_window, m_atoms->property);
    XConvertSelection(m_display, m_atoms->clipboard, target, m_atoms->property, m_window,
                      time ? time : CurrentTime);
    XFlush(m_display);
    XEvent notify;
    if (!WaitForNotify(deadlineMs, &notify)) {
        WindowLog("the clipboard's owner did not answer within %d ms", m_waitMs);
        return std::nullopt;
    }
    if (notify.xselection.property == None) {
        *refused = true;
        return std::nullopt;
    }
    return ReadProperty(target);
}

// Takes only our SelectionNotify off the connection; every other event
// stays queued for the backend's loop.
bool ClipboardX11::WaitForNotify(int64_t deadlineMs, XEvent* notify) {
    for (;;) {
        if (XCheckTypedWindowEvent(m_display, m_window, SelectionNotify, notify)) {
            return true;
        }
        int64_t left = deadlineMs - SteadyMs();
        if (left <= 0) {
            return false;
        }
        pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left));
    }
}

std::optional<std::string> ClipboardX11::ReadProperty(unsigned long expectedType) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    // One more long than the cap tells an oversize text by a remainder.
    long longs = static_cast<long>(kMaxClipboardBytes / 4 + 1);
    if (XGetWindowProperty(m_display, m_window, m_atoms->property, 0, longs, True, AnyPropertyType,
                           &type, &format, &count, &after, &data) != Success) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    if (type == m_atoms->incr) {
        WindowLog("clipboard text sent in pieces (too large) not pasted");
    } else if (format != 8 || (type != expectedType && type != m_atoms->text)) {
        WindowLog("the clipboard's owner answered with data of another kind");
    } else if (after > 0 || count > kMaxClipboardBytes) {
        WindowLog("clipboard text above %zu bytes not pasted", kMaxClipboardBytes);
    } else {
        text = std::string(reinterpret_cast<const char*>(data), count);
    }
    if (data) {
        XFree(data);
    }
    if (after > 0) {
        XDeleteProperty(m_display, m_window, m_atoms->property);
    }
    return text;
}

bool ClipboardX11::HandleEvent(XEvent& event) {
    if (event.type == SelectionRequest && event.xselectionrequest.owner == m_window) {
        Serve(event);
        return true;
    }
    if (event.type == SelectionClear && event.xselectionclear.window == m_window) {
        if (event.xselectionclear.selection == m_atoms->clipboard) {
            m_owning = false;
            m_text.clear();
        }
        return true;
    }
    return event.xany.window == m_window;
}

void ClipboardX11::Serve(XEvent& event) {
    const XSelectionRequestEvent& req = event.xselectionrequest;
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = req.requestor;
    reply.xselection.selection = req.selection;
    reply.xselection.target = req.target;
    reply.xselection.time = req.time;
    reply.xselection.property = None;
    // Obsolete requestors name no property: the target's name serves.
    Atom property = req.property == None ? req.target : req.property;
    // A reply must fit into one request; larger texts would need INCR.
    long maxRequest = XExtendedMaxRequestSize(m_display);
    if (maxRequest == 0) {
        maxRequest = XMaxRequestSize(m_display);
    }
    size_t fits = static_cast<size_t>(maxRequest) * 4 - 256;

    XErrorTrap trap(m_display);  // the requestor may be gone already
    if (req.selection == m_atoms->clipboard && m_owning) {
        if (req.target == m_atoms->targets) {
            Atom offered[] = {m_atoms->targets, m_atoms->utf8String, m_atoms->text, XA_STRING};
            XChangeProperty(m_display, req.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(offered), 4);
            reply.xselection.property = property;
        } else if (req.target == m_atoms->utf8String || req.target == m_atoms->text ||
                   req.target == XA_STRING) {
            bool latin1 = req.target == XA_STRING;
            std::string bytes = latin1 ? Utf8ToLatin1(m_text) : m_text;
            if (bytes.size() <= fits) {
                XChangeProperty(m_display, req.requestor, property,
                                latin1 ? XA_STRING : m_atoms->utf8String, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(bytes.data()),
                                static_cast<int>(bytes.size()));
                reply.xselection.property = property;
            } else {
                WindowLog("clipboard text of %zu bytes too large to hand over", bytes.size());
            }
        }
    }
    XSendEvent(m_display, req.requestor, False, NoEventMask, &reply);
    XFlush(m_display);
    if (trap.LastErrorAndDisable() != 0) {
        WindowLog("a clipboard requestor went away before the answer");
    }
}

}  // namespace platform
