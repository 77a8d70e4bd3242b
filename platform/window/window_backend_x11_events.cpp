// WindowBackendX11: the X events turned into backend events, and the wait
// for them.
#include "platform/window/window_backend_x11.h"
#include "platform/window/window_backend_x11_atoms.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

// X.h names a constant CursorShape; ours is an enum.
#undef CursorShape

#include "platform/draw/surface.h"
#include "platform/window/window_log.h"
#include "platform/x11/x_error_trap.h"

namespace platform {
namespace {

Key KeyFromKeysym(KeySym sym) {
    switch (sym) {
        case XK_Tab:
        case XK_ISO_Left_Tab:
            return Key::kTab;
        case XK_Return:
        case XK_KP_Enter:
            return Key::kReturn;
        case XK_Escape:
            return Key::kEscape;
        case XK_space:
            return Key::kSpace;
        case XK_BackSpace:
            return Key::kBackspace;
        case XK_Delete:
            return Key::kDelete;
        case XK_Left:
            return Key::kLeft;
        case XK_Right:
            return Key::kRight;
        case XK_Up:
            return Key::kUp;
        case XK_Down:
            return Key::kDown;
        case XK_Home:
            return Key::kHome;
        case XK_End:
            return Key::kEnd;
        case XK_Prior:
            return Key::kPageUp;
        case XK_Next:
            return Key::kPageDown;
        case XK_F4:
            return Key::kF4;
        case XK_F5:
            return Key::kF5;
        case XK_Alt_L:
        case XK_Alt_R:
            return Key::kAlt;
        case XK_Shift_L:
        case XK_Shift_R:
            return Key::kShift;
        case XK_Control_L:
        case XK_Control_R:
            return Key::kControl;
        default:
            return Key::kOther;
    }
}

// Latin-1 keysyms equal their code points; the Unicode keysyms carry theirs
// below 0x01000000. Anything else types nothing.
uint32_t CodePointFromKeysym(KeySym sym) {
    if ((sym >= 0x20 && sym <= 0x7E) || (sym >= 0xA0 && sym <= 0xFF)) {
        return static_cast<uint32_t>(sym);
    }
    if ((sym & 0xFF000000ul) == 0x01000000ul) {
        return static_cast<uint32_t>(sym & 0x00FFFFFFul);
    }
    return 0;
}

uint32_t Modifiers(unsigned int state) {
    uint32_t m = 0;
    if (state & ShiftMask) {
        m |= kModShift;
    }
    if (state & ControlMask) {
        m |= kModControl;
    }
    if (state & Mod1Mask) {
        m |= kModAlt;
    }
    return m;
}

// Errors outside an XErrorTrap (a tray that died with our icon in it, a
// window the server already dropped) are logged; Xlib's default handler
// would end the program.

}  // namespace

// --- Events --------------------------------------------------------------------

void WindowBackendX11::Emit(const BackendEvent& event) {
    if (m_sink) {
        m_sink->OnBackendEvent(event);
    }
}

void WindowBackendX11::HandleTrayEvent(TrayIcon& icon, XEvent& event) {
    BackendEvent out;
    out.kind = BackendEventKind::kTray;
    out.topLevel = icon.owner;
    out.trayIconId = icon.iconId;
    switch (event.type) {
        case Expose:
            if (event.xexpose.count == 0) {
                PaintTrayIcon(icon);
            }
            return;
        case DestroyNotify:
            // The tray ended and took the window with it; a new tray gets a new one.
            icon.window = 0;
            return;
        case ButtonPress: {
            out.screen = {event.xbutton.x_root, event.xbutton.y_root};
            if (event.xbutton.button == Button1) {
                // The tray's double click, by the same rule as windows'.
                bool dbl = icon.havePress && event.xbutton.time - icon.lastLeftPressMs <= 500;
                icon.havePress = !dbl;
                icon.lastLeftPressMs = event.xbutton.time;
                out.trayAction = dbl ? TrayAction::kLeftDoubleClick : TrayAction::kLeftDown;
            } else if (event.xbutton.button == Button3) {
                out.trayAction = TrayAction::kRightDown;
            } else {
                return;
            }
            break;
        }
        case ButtonRelease:
            out.screen = {event.xbutton.x_root, event.xbutton.y_root};
            if (event.xbutton.button == Button1) {
                out.trayAction = TrayAction::kLeftUp;
            } else if (event.xbutton.button == Button3) {
                out.trayAction = TrayAction::kRightUp;
            } else {
                return;
            }
            break;
        case MotionNotify:
            out.screen = {event.xmotion.x_root, event.xmotion.y_root};
            out.trayAction = TrayAction::kMouseMove;
            break;
        default:
            return;
    }
    Emit(out);
}

void WindowBackendX11::HandleEvent(XEvent& event) {
    if (event.type == ClientMessage && event.xclient.window == m_root &&
        static_cast<Atom>(event.xclient.message_type) == m_atoms->manager &&
        static_cast<Atom>(event.xclient.data.l[1]) == m_atoms->traySelection) {
        for (TrayIcon& icon : m_tray) {
            DockTrayIcon(icon);
        }
        return;
    }
    if (TrayIcon* icon = FindTrayByWindow(event.xany.window)) {
        HandleTrayEvent(*icon, event);
        return;
    }
    if (m_clipboard->HandleEvent(event)) {
        return;
    }
    TopLevel* top = FindByWindow(event.xany.window);
    if (!top) {
        return;
    }
    BackendEvent out;
    out.topLevel = top->id;
    switch (event.type) {
        case MotionNotify:
            out.kind = BackendEventKind::kMouseMove;
            out.screen = {event.xmotion.x_root, event.xmotion.y_root};
            out.modifiers = Modifiers(event.xmotion.state);
            break;
        case ButtonPress:
        case ButtonRelease: {
            bool press = event.type == ButtonPress;
            m_lastEventTime = event.xbutton.time;
            out.screen = {event.xbutton.x_root, event.xbutton.y_root};
            out.modifiers = Modifiers(event.xbutton.state);
            switch (event.xbutton.button) {
                case Button1:
                    out.button = MouseButton::kLeft;
                    break;
                case Button2:
                    out.button = MouseButton::kMiddle;
                    break;
                case Button3:
                    out.button = MouseButton::kRight;
                    break;
                case Button4:
                case Button5:
                    // The wheel: one press per step, the release means nothing.
                    if (!press) {
                        return;
                    }
                    out.kind = BackendEventKind::kWheel;
                    out.wheelSteps = event.xbutton.button == Button4 ? 1 : -1;
                    Emit(out);
                    return;
                default:
                    return;
            }
            out.kind = press ? BackendEventKind::kButtonDown : BackendEventKind::kButtonUp;
            break;
        }
        case LeaveNotify:
            if (event.xcrossing.mode != NotifyNormal) {
                return;  // grabs and ungrabs, not the pointer moving away
            }
            out.kind = BackendEventKind::kPointerLeft;
            out.screen = {event.xcrossing.x_root, event.xcrossing.y_root};
            break;
        case KeyPress:
        case KeyRelease: {
            char text[8];
            KeySym sym = NoSymbol;
            XLookupString(&event.xkey, text, sizeof(text), &sym, nullptr);
            // XLookupString leaves Control out of the keysym: a chord's
            // key carries its letter, and only the kChar is held back.
            uint32_t cp = CodePointFromKeysym(sym);
            out.kind =
                event.type == KeyPress ? BackendEventKind::kKeyDown : BackendEventKind::kKeyUp;
            out.key = KeyFromKeysym(sym);
            out.modifiers = Modifiers(event.xkey.state);
            out.codePoint = cp;
            m_lastEventTime = event.xkey.time;
            Emit(out);
            if (event.type == KeyPress && cp != 0 && !(event.xkey.state & ControlMask)) {
                BackendEvent ch = out;
                ch.kind = BackendEventKind::kChar;
                ch.codePoint = cp;
                Emit(ch);
            }
            return;
        }
        case Expose:
            out.kind = BackendEventKind::kExpose;
            out.rect = Rect::FromXywh(event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                      event.xexpose.height);
            break;
        case ConfigureNotify: {
            // A window manager's frame makes the event's position relative to
            // the frame; ask for the position on the root instead.
            int x = 0;
            int y = 0;
            Window child = None;
            XTranslateCoordinates(m_display, top->window, m_root, 0, 0, &x, &y, &child);
            Rect r = Rect::FromXywh(x, y, event.xconfigure.width, event.xconfigure.height);
            top->rect = r;
            out.kind = BackendEventKind::kMoved;
            out.rect = r;
            break;
        }
        case MapNotify:
            top->mapped = true;
            return;
        case UnmapNotify:
            top->mapped = false;
            return;
        case FocusIn:
            out.kind = BackendEventKind::kActivated;
            break;
        case FocusOut:
            if (event.xfocus.mode != NotifyNormal) {
                return;
            }
            out.kind = BackendEventKind::kDeactivated;
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.message_type) == m_atoms->wmProtocols &&
                static_cast<Atom>(event.xclient.data.l[0]) == m_atoms->wmDeleteWindow) {
                out.kind = BackendEventKind::kCloseRequest;
                break;
            }
            return;
        default:
            return;
    }
    Emit(out);
}

void WindowBackendX11::WaitForEvents(int timeoutMs) {
    if (XPending(m_display) == 0 && timeoutMs != 0) {
        pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {m_wakeRead, POLLIN, 0}};
        ::poll(fds, 2, timeoutMs);
    }
    char drain[64];
    while (::read(m_wakeRead, drain, sizeof(drain)) > 0) {
    }
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        HandleEvent(event);
    }
}

void WindowBackendX11::Wake() {
    char byte = 1;
    // A full pipe already holds a wake-up; the loop drains it.
    ssize_t written = ::write(m_wakeWrite, &byte, 1);
    (void)written;
}

}  // namespace platform
