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

// The Motif hint that removes the window manager's decorations.
struct MotifHints {
    unsigned long flags;
    unsigned long functions;
    unsigned long decorations;
    long inputMode;
    unsigned long status;
};
constexpr unsigned long kMotifHintsDecorations = 1ul << 1;

int LogXError(Display* display, XErrorEvent* event) {
    char text[160];
    XGetErrorText(display, event->error_code, text, sizeof(text));
    WindowLog("X error: %s (request %d, resource 0x%lx)", text, event->request_code,
              event->resourceid);
    return 0;
}

}  // namespace

std::unique_ptr<WindowBackendX11> WindowBackendX11::Create(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (!display) {
        WindowLog("cannot open the X display \"%s\"", displayName.c_str());
        return nullptr;
    }
    int shapeEvent = 0;
    int shapeError = 0;
    if (!XShapeQueryExtension(display, &shapeEvent, &shapeError)) {
        WindowLog("the X server lacks the shape extension");
        XCloseDisplay(display);
        return nullptr;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        WindowLog("cannot make the wake pipe");
        XCloseDisplay(display);
        return nullptr;
    }
    XSetErrorHandler(&LogXError);
    std::unique_ptr<WindowBackendX11> backend(new WindowBackendX11(display, fds[0], fds[1]));
    backend->Init();
    return backend;
}

WindowBackendX11::WindowBackendX11(_XDisplay* display, int wakeRead, int wakeWrite)
    : m_display(display), m_wakeRead(wakeRead), m_wakeWrite(wakeWrite) {}

void WindowBackendX11::Init() {
    m_screen = DefaultScreen(m_display);
    m_root = RootWindow(m_display, m_screen);
    m_atoms = std::make_unique<Atoms>();
    Atoms& a = *m_atoms;
    auto atom = [this](const char* name) { return XInternAtom(m_display, name, False); };
    a.wmProtocols = atom("WM_PROTOCOLS");
    a.wmDeleteWindow = atom("WM_DELETE_WINDOW");
    a.netWmName = atom("_NET_WM_NAME");
    a.utf8String = atom("UTF8_STRING");
    a.netWmWindowType = atom("_NET_WM_WINDOW_TYPE");
    a.netWmWindowTypeNormal = atom("_NET_WM_WINDOW_TYPE_NORMAL");
    a.netWmWindowTypeDialog = atom("_NET_WM_WINDOW_TYPE_DIALOG");
    a.netWmWindowTypePopupMenu = atom("_NET_WM_WINDOW_TYPE_POPUP_MENU");
    a.netWmState = atom("_NET_WM_STATE");
    a.netWmStateAbove = atom("_NET_WM_STATE_ABOVE");
    a.netWmStateSkipTaskbar = atom("_NET_WM_STATE_SKIP_TASKBAR");
    a.netWmWindowOpacity = atom("_NET_WM_WINDOW_OPACITY");
    a.netActiveWindow = atom("_NET_ACTIVE_WINDOW");
    a.netWorkarea = atom("_NET_WORKAREA");
    a.motifWmHints = atom("_MOTIF_WM_HINTS");
    a.trayOpcode = atom("_NET_SYSTEM_TRAY_OPCODE");
    a.traySelection = atom(("_NET_SYSTEM_TRAY_S" + std::to_string(m_screen)).c_str());
    a.xembedInfo = atom("_XEMBED_INFO");
    a.compositorSelection = atom(("_NET_WM_CM_S" + std::to_string(m_screen)).c_str());
    a.manager = atom("MANAGER");
    m_clipboard = std::make_unique<ClipboardX11>(m_display);
    // A tray that starts (or restarts) announces itself on the root window.
    XSelectInput(m_display, m_root, StructureNotifyMask);

    // Translucent windows need both a 32-bit visual and a compositor that
    // blends them; either missing means no layered windows.
    XVisualInfo info;
    if (XMatchVisualInfo(m_display, m_screen, 32, TrueColor, &info)) {
        m_argbVisual = info.visual;  // Visual*
        m_argbColormap = XCreateColormap(m_display, m_root, info.visual, AllocNone);
    }
    m_layered = m_argbVisual && XGetSelectionOwner(m_display, a.compositorSelection) != None;
    if (!m_layered) {
        WindowLog("no layered windows: %s", m_argbVisual ? "no compositing manager runs"
                                                         : "the X server has no 32-bit visual");
    }
}

WindowBackendX11::~WindowBackendX11() {
    for (TrayIcon& icon : m_tray) {
        XFreeGC(m_display, icon.gc);
        if (icon.window) {
            XDestroyWindow(m_display, icon.window);
        }
    }
    for (auto& [value, top] : m_tops) {
        XFreeGC(m_display, top.gc);
        XDestroyWindow(m_display, top.window);
    }
    for (auto& [shape, cursor] : m_cursors) {
        XFreeCursor(m_display, cursor);
    }
    m_clipboard.reset();
    if (m_argbColormap) {
        XFreeColormap(m_display, m_argbColormap);
    }
    XCloseDisplay(m_display);
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
}

// --- Lookups ---------------------------------------------------------------

WindowBackendX11::TopLevel* WindowBackendX11::FindTop(WindowId id) {
    auto it = m_tops.find(id.Value());
    return it == m_tops.end() ? nullptr : &it->second;
}

const WindowBackendX11::TopLevel* WindowBackendX11::FindTop(WindowId id) const {
    auto it = m_tops.find(id.Value());
    return it == m_tops.end() ? nullptr : &it->second;
}

WindowBackendX11::TopLevel* WindowBackendX11::FindByWindow(XWindowId window) {
    for (auto& [value, top] : m_tops) {
        if (top.window == window) {
            return &top;
        }
    }
    return nullptr;
}

WindowBackendX11::TrayIcon* WindowBackendX11::FindTray(WindowId owner, uint32_t iconId) {
    for (TrayIcon& icon : m_tray) {
        if (icon.owner == owner && icon.iconId == iconId) {
            return &icon;
        }
    }
    return nullptr;
}

WindowBackendX11::TrayIcon* WindowBackendX11::FindTrayByWindow(XWindowId window) {
    for (TrayIcon& icon : m_tray) {
        if (icon.window == window) {
            return &icon;
        }
    }
    return nullptr;
}

XWindowId WindowBackendX11::NativeWindow(WindowId id) const {
    const TopLevel* top = FindTop(id);
    return top ? top->window : 0;
}

XWindowId WindowBackendX11::TrayIconWindow(WindowId owner, uint32_t iconId) const {
    for (const TrayIcon& icon : m_tray) {
        if (icon.owner == owner && icon.iconId == iconId) {
            return icon.window;
        }
    }
    return 0;
}

// --- Top-levels ------------------------------------------------------------

bool WindowBackendX11::CreateTopLevel(const TopLevelSpec& spec) {
    const Atoms& a = *m_atoms;
    int width = std::max(1, spec.rect.Width());
    int height = std::max(1, spec.rect.Height());
    XSetWindowAttributes attrs{};
    unsigned long mask = CWEventMask | CWOverrideRedirect;
    attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                       LeaveWindowMask | KeyPressMask | KeyReleaseMask | StructureNotifyMask |
                       FocusChangeMask;
    attrs.override_redirect = spec.popup ? True : False;
    int depth = CopyFromParent;
    Visual* visual = CopyFromParent;
    if (spec.perPixelAlpha && m_layered) {
        depth = 32;
        visual = static_cast<Visual*>(m_argbVisual);
        attrs.colormap = m_argbColormap;
        attrs.border_pixel = 0;
        attrs.background_pixel = 0;
        mask |= CWColormap | CWBorderPixel | CWBackPixel;
    }
    XErrorTrap trap(m_display);
    Window window = XCreateWindow(m_display, m_root, spec.rect.left, spec.rect.top,
                                  static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                  depth, InputOutput, visual, mask, &attrs);
    if (trap.LastErrorAndDisable() != 0 || window == None) {
        return false;
    }

    XClassHint classHint;
    std::string className = spec.className.empty() ? std::string("pemu") : spec.className;
    classHint.res_name = className.data();
    classHint.res_class = className.data();
    XSetClassHint(m_display, window, &classHint);
    Atom protocols[] = {a.wmDeleteWindow};
    XSetWMProtocols(m_display, window, protocols, 1);
    // The window manager keeps the window where the program put it.
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = USPosition | USSize;
    hints->x = spec.rect.left;
    hints->y = spec.rect.top;
    hints->width = width;
    hints->height = height;
    XSetWMNormalHints(m_display, window, hints);
    XFree(hints);
    MotifHints motif{kMotifHintsDecorations, 0, 0, 0, 0};
    XChangeProperty(m_display, window, a.motifWmHints, a.motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&motif), 5);
    Atom type = spec.popup ? a.netWmWindowTypePopupMenu
                           : (spec.owner ? a.netWmWindowTypeDialog : a.netWmWindowTypeNormal);
    XChangeProperty(m_display, window, a.netWmWindowType, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&type), 1);
    std::vector<Atom> states;
    if (spec.topmost) {
        states.push_back(a.netWmStateAbove);
    }
    if (spec.toolWindow || spec.owner) {
        states.push_back(a.netWmStateSkipTaskbar);
    }
    if (!states.empty()) {
        XChangeProperty(m_display, window, a.netWmState, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(states.data()),
                        static_cast<int>(states.size()));
    }
    if (const TopLevel* owner = FindTop(spec.owner)) {
        XSetTransientForHint(m_display, window, owner->window);
    }
    if (spec.clickThrough) {
        // An empty input shape: the pointer falls through to what lies below.
        XShapeCombineRectangles(m_display, window, ShapeInput, 0, 0, nullptr, 0, ShapeSet,
                                Unsorted);
    }
    TopLevel top;
    top.id = spec.id;
    top.window = window;
    top.gc = XCreateGC(m_display, window, 0, nullptr);
    top.depth = depth == CopyFromParent ? DefaultDepth(m_display, m_screen) : depth;
    top.rect = spec.rect;
    top.popup = spec.popup;
    top.clickThrough = spec.clickThrough;
    m_tops[spec.id.Value()] = top;
    SetTitle(spec.id, spec.title);
    return true;
}

void WindowBackendX11::DestroyTopLevel(WindowId id) {
    auto it = m_tops.find(id.Value());
    if (it == m_tops.end()) {
        return;
    }
    std::vector<uint32_t> icons;
    for (const TrayIcon& icon : m_tray) {
        if (icon.owner == id) {
            icons.push_back(icon.iconId);
        }
    }
    for (uint32_t iconId : icons) {
        RemoveTrayIcon(id, iconId);
    }
    XFreeGC(m_display, it->second.gc);
    XDestroyWindow(m_display, it->second.window);
    m_tops.erase(it);
    XFlush(m_display);
}

void WindowBackendX11::SetVisible(WindowId id, bool visible) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    if (visible) {
        XMapRaised(m_display, top->window);
    } else {
        XUnmapWindow(m_display, top->window);
    }
    top->mapped = visible;
    XFlush(m_display);
}

void WindowBackendX11::SetGeometry(WindowId id, const Rect& rect) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    top->rect = rect;
    XMoveResizeWindow(m_display, top->window, rect.left, rect.top,
                      static_cast<unsigned>(std::max(1, rect.Width())),
                      static_cast<unsigned>(std::max(1, rect.Height())));
    XFlush(m_display);
}

void WindowBackendX11::SetTitle(WindowId id, const std::string& title) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    XStoreName(m_display, top->window, title.c_str());
    XChangeProperty(m_display, top->window, m_atoms->netWmName, m_atoms->utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(title.data()),
                    static_cast<int>(title.size()));
}

// _NET_WM_STATE: a mapped window asks the window manager by a client
// message; an unmapped one carries the property for when it is mapped.
void WindowBackendX11::SetNetState(const TopLevel& top, unsigned long atom, bool on) {
    const Atoms& a = *m_atoms;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = top.window;
    e.xclient.message_type = a.netWmState;
    e.xclient.format = 32;
    e.xclient.data.l[0] = on ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
    e.xclient.data.l[1] = static_cast<long>(atom);
    e.xclient.data.l[3] = 1;  // from a normal application
    XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    if (!top.mapped) {
        if (on) {
            Atom value = atom;
            XChangeProperty(m_display, top.window, a.netWmState, XA_ATOM, 32, PropModeAppend,
                            reinterpret_cast<unsigned char*>(&value), 1);
        }
    }
    XFlush(m_display);
}

void WindowBackendX11::SetTopmost(WindowId id, bool topmost) {
    if (const TopLevel* top = FindTop(id)) {
        SetNetState(*top, m_atoms->netWmStateAbove, topmost);
        if (topmost) {
            XRaiseWindow(m_display, top->window);
        }
    }
}

void WindowBackendX11::SetShape(WindowId id, const std::optional<Region>& shape) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    top->shape = shape;
    if (!shape) {
        XShapeCombineMask(m_display, top->window, ShapeBounding, 0, 0, None, ShapeSet);
    } else {
        std::vector<Rect> rects = shape->ToRects();
        std::vector<XRectangle> xrects;
        xrects.reserve(rects.size());
        for (const Rect& r : rects) {
            xrects.push_back(XRectangle{static_cast<short>(r.left), static_cast<short>(r.top),
                                        static_cast<unsigned short>(r.Width()),
                                        static_cast<unsigned short>(r.Height())});
        }
        XShapeCombineRectangles(m_display, top->window, ShapeBounding, 0, 0, xrects.data(),
                                static_cast<int>(xrects.size()), ShapeSet, YXBanded);
    }
    XFlush(m_display);
}

void WindowBackendX11::SetOpacity(WindowId id, uint8_t opacity) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    if (opacity == 255) {
        XDeleteProperty(m_display, top->window, m_atoms->netWmWindowOpacity);
    } else {
        // The compositor reads a 32-bit fraction of fully opaque.
        unsigned long value = static_cast<unsigned long>(opacity) * 0x01010101ul;
        XChangeProperty(m_display, top->window, m_atoms->netWmWindowOpacity, XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&value), 1);
    }
    XFlush(m_display);
}

void WindowBackendX11::Raise(WindowId id) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    XRaiseWindow(m_display, top->window);
    if (!top->popup && !top->clickThrough && top->mapped) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = top->window;
        e.xclient.message_type = m_atoms->netActiveWindow;
        e.xclient.format = 32;
        e.xclient.data.l[0] = 1;  // from a normal application
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, m_root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
        // Without a window manager nobody answers the message above; a
        // viewable window may take the focus itself.
        XErrorTrap trap(m_display);
        XWindowAttributes attrs;
        if (XGetWindowAttributes(m_display, top->window, &attrs) && attrs.map_state == IsViewable) {
            XSetInputFocus(m_display, top->window, RevertToParent, CurrentTime);
        }
        trap.LastErrorAndDisable();
    }
    XFlush(m_display);
}

void WindowBackendX11::Minimize(WindowId id) {
    if (TopLevel* top = FindTop(id)) {
        XIconifyWindow(m_display, top->window, m_screen);
        XFlush(m_display);
    }
}

// The surface's premultiplied 0xAARRGGBB words, in host byte order, are
// what a 24- or 32-bit TrueColor ZPixmap holds. The XImage header lives on
// the stack and borrows the rows, so a blit neither allocates nor asks the
// server anything.
bool WindowBackendX11::PutPixels(XWindowId window, _XGC* gc, int depth, const uint32_t* pixels,
                                 int width, int height, int strideBytes, const Rect& area) {
    XImage image{};
    image.width = width;
    image.height = height;
    image.format = ZPixmap;
    image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(pixels));
    constexpr uint32_t kProbe = 1;
    image.byte_order = *reinterpret_cast<const unsigned char*>(&kProbe) == 1 ? LSBFirst : MSBFirst;
    image.bitmap_unit = 32;
    image.bitmap_bit_order = image.byte_order;
    image.bitmap_pad = 32;
    image.depth = depth;
    image.bytes_per_line = strideBytes;
    image.bits_per_pixel = 32;
    image.red_mask = 0x00FF0000ul;
    image.green_mask = 0x0000FF00ul;
    image.blue_mask = 0x000000FFul;
    if (!XInitImage(&image)) {
        return false;
    }
    XPutImage(m_display, window, gc, &image, area.left, area.top, area.left, area.top,
              static_cast<unsigned>(area.Width()), static_cast<unsigned>(area.Height()));
    XFlush(m_display);
    return true;
}

void WindowBackendX11::Present(WindowId id, const Surface& surface, const Rect& area) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    Rect r = area.Intersect(surface.Bounds());
    if (!r.IsEmpty()) {
        PutPixels(top->window, top->gc, top->depth, surface.ConstPixels(), surface.Width(),
                  surface.Height(), surface.Stride(), r);
    }
}

void WindowBackendX11::SetCursor(WindowId id, CursorShape shape) {
    TopLevel* top = FindTop(id);
    if (!top) {
        return;
    }
    auto it = m_cursors.find(shape);
    if (it == m_cursors.end()) {
        unsigned int glyph = XC_left_ptr;
        switch (shape) {
            case CursorShape::kArrow:
                glyph = XC_left_ptr;
                break;
            case CursorShape::kHand:
                glyph = XC_hand2;
                break;
            case CursorShape::kWait:
                glyph = XC_watch;
                break;
            case CursorShape::kIBeam:
                glyph = XC_xterm;
                break;
            case CursorShape::kSizeNS:
                glyph = XC_sb_v_double_arrow;
                break;
        }
        it = m_cursors.emplace(shape, XCreateFontCursor(m_display, glyph)).first;
    }
    XDefineCursor(m_display, top->window, it->second);
    XFlush(m_display);
}

void WindowBackendX11::GrabPointer(WindowId id) {
    TopLevel* top = FindTop(id);
    if (!top || !top->mapped) {
        return;
    }
    int result = XGrabPointer(m_display, top->window, False,
                              ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                              GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    m_grabbed = result == GrabSuccess;
    // An open menu holds the keyboard too, although it never takes the focus.
    if (top->popup) {
        m_keyboardGrabbed = XGrabKeyboard(m_display, top->window, False, GrabModeAsync,
                                          GrabModeAsync, CurrentTime) == GrabSuccess;
    }
    XFlush(m_display);
}

void WindowBackendX11::UngrabPointer() {
    if (m_keyboardGrabbed) {
        XUngrabKeyboard(m_display, CurrentTime);
        m_keyboardGrabbed = false;
    }
    if (m_grabbed) {
        XUngrabPointer(m_display, CurrentTime);
        m_grabbed = false;
    }
    XFlush(m_display);
}

void WindowBackendX11::Bell() {
    XBell(m_display, 0);
    XFlush(m_display);
}

void WindowBackendX11::SetClipboardText(const std::string& text) {
    m_clipboard->SetText(text, m_lastEventTime);
}

std::optional<std::string> WindowBackendX11::ClipboardText() {
    return m_clipboard->Text(m_lastEventTime);
}

Rect WindowBackendX11::ScreenRect() const {
    return {0, 0, DisplayWidth(m_display, m_screen), DisplayHeight(m_display, m_screen)};
}

Rect WindowBackendX11::WorkArea() const {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    Rect area = ScreenRect();
    if (XGetWindowProperty(m_display, m_root, m_atoms->netWorkarea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count >= 4) {
            const long* v = reinterpret_cast<const long*>(data);
            Rect r = Rect::FromXywh(static_cast<int>(v[0]), static_cast<int>(v[1]),
                                    static_cast<int>(v[2]), static_cast<int>(v[3]));
            if (!r.IsEmpty()) {
                area = r.Intersect(area);
            }
        }
        XFree(data);
    }
    return area;
}

Point WindowBackendX11::PointerPosition() const {
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int winX = 0;
    int winY = 0;
    unsigned int mask = 0;
    XQueryPointer(m_display, m_root, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return {rootX, rootY};
}

WindowId WindowBackendX11::TopLevelAt(Point screen) const {
    Window rootReturn = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, m_root, &rootReturn, &parent, &children, &count)) {
        return {};
    }
    // Root's children come bottom to top; a window manager may have put our
    // window into a frame, so a child matches when it is, or holds, ours.
    WindowId found;
    for (unsigned int i = count; i-- > 0 && !found;) {
        for (const auto& [value, top] : m_tops) {
            if (!top.mapped || top.clickThrough || !top.rect.Contains(screen.x, screen.y)) {
                continue;
            }
            if (top.shape &&
                !top.shape->Contains(screen.x - top.rect.left, screen.y - top.rect.top)) {
                continue;
            }
            Window w = top.window;
            bool match = w == children[i];
            while (!match) {
                Window r = None;
                Window p = None;
                Window* kids = nullptr;
                unsigned int n = 0;
                if (!XQueryTree(m_display, w, &r, &p, &kids, &n)) {
                    break;
                }
                if (kids) {
                    XFree(kids);
                }
                if (p == m_root || p == None) {
                    break;
                }
                w = p;
                match = w == children[i];
            }
            if (match) {
                found = top.id;
                break;
            }
        }
    }
    if (children) {
        XFree(children);
    }
    return found;
}

}  // namespace platform
