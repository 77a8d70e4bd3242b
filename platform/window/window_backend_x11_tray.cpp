// WindowBackendX11: tray icons, docked into the system tray over XEmbed.
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

// Tray icons are drawn at this size; trays ask for 16 to 24 pixels, and the
// program's icons are 16 x 16.
constexpr int kTrayIconSide = 22;

// The tray protocol's opcode for "dock this window".
constexpr long kSystemTrayRequestDock = 0;
// XEmbed info: protocol version 0, flag "mapped".
constexpr long kXEmbedMapped = 1;

}  // namespace

// --- Tray --------------------------------------------------------------------

void WindowBackendX11::SetTrayPicture(TrayIcon& icon, const Surface* picture) {
    if (!picture) {
        return;
    }
    icon.pixels.assign(static_cast<size_t>(kTrayIconSide) * kTrayIconSide, 0);
    const uint32_t* src = picture->ConstPixels();
    int stride = picture->Stride() / 4;
    // Centred, never scaled: the program's icons are smaller than the slot.
    int ox = (kTrayIconSide - picture->Width()) / 2;
    int oy = (kTrayIconSide - picture->Height()) / 2;
    for (int y = 0; y < kTrayIconSide; ++y) {
        for (int x = 0; x < kTrayIconSide; ++x) {
            int sx = x - ox;
            int sy = y - oy;
            if (sx >= 0 && sy >= 0 && sx < picture->Width() && sy < picture->Height()) {
                icon.pixels[static_cast<size_t>(y) * kTrayIconSide + x] = src[sy * stride + sx];
            }
        }
    }
}

void WindowBackendX11::PaintTrayIcon(const TrayIcon& icon) {
    if (icon.pixels.empty() || !icon.window) {
        return;
    }
    PutPixels(icon.window, icon.gc, DefaultDepth(m_display, m_screen), icon.pixels.data(),
              kTrayIconSide, kTrayIconSide, kTrayIconSide * 4,
              {0, 0, kTrayIconSide, kTrayIconSide});
}

// Makes the icon's window when it has none (a new icon, or one whose tray
// died with it) and asks the tray that runs now to dock it.
bool WindowBackendX11::DockTrayIcon(TrayIcon& icon) {
    const Atoms& a = *m_atoms;
    Window tray = XGetSelectionOwner(m_display, a.traySelection);
    if (tray == None) {
        WindowLog("no system tray runs; tray icon %u waits for one", icon.iconId);
        return false;
    }
    if (!icon.window) {
        XSetWindowAttributes attrs{};
        attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                           StructureNotifyMask;
        attrs.background_pixel = BlackPixel(m_display, m_screen);
        icon.window =
            XCreateWindow(m_display, m_root, 0, 0, kTrayIconSide, kTrayIconSide, 0, CopyFromParent,
                          InputOutput, CopyFromParent, CWEventMask | CWBackPixel, &attrs);
        long info[2] = {0, kXEmbedMapped};
        XChangeProperty(m_display, icon.window, a.xembedInfo, a.xembedInfo, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(info), 2);
        SetTrayTip(icon);
        if (!icon.gc) {
            icon.gc = XCreateGC(m_display, icon.window, 0, nullptr);
        }
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = tray;
    e.xclient.message_type = a.trayOpcode;
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = kSystemTrayRequestDock;
    e.xclient.data.l[2] = static_cast<long>(icon.window);
    XErrorTrap trap(m_display);
    XSendEvent(m_display, tray, False, NoEventMask, &e);
    if (trap.LastErrorAndDisable() != 0) {
        WindowLog("the system tray went away while docking icon %u", icon.iconId);
        return false;
    }
    XFlush(m_display);
    return true;
}

void WindowBackendX11::SetTrayTip(const TrayIcon& icon) {
    if (!icon.window) {
        return;
    }
    XStoreName(m_display, icon.window, icon.tip.c_str());
    XChangeProperty(m_display, icon.window, m_atoms->netWmName, m_atoms->utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(icon.tip.data()),
                    static_cast<int>(icon.tip.size()));
}

bool WindowBackendX11::AddTrayIcon(WindowId owner, uint32_t iconId, const Surface* picture,
                                   const std::string& tip) {
    if (!FindTop(owner) || FindTray(owner, iconId)) {
        return false;
    }
    if (XGetSelectionOwner(m_display, m_atoms->traySelection) == None) {
        WindowLog("no system tray runs; tray icon %u not shown", iconId);
        return false;
    }
    TrayIcon icon;
    icon.owner = owner;
    icon.iconId = iconId;
    icon.tip = tip;
    SetTrayPicture(icon, picture);
    bool docked = DockTrayIcon(icon);
    // Kept even when the dock request failed: a tray that starts later gets it.
    m_tray.push_back(std::move(icon));
    return docked;
}

bool WindowBackendX11::ModifyTrayIcon(WindowId owner, uint32_t iconId, const Surface* picture,
                                      const std::string& tip) {
    TrayIcon* icon = FindTray(owner, iconId);
    if (!icon) {
        return false;
    }
    SetTrayPicture(*icon, picture);
    icon->tip = tip;
    SetTrayTip(*icon);
    PaintTrayIcon(*icon);
    return true;
}

bool WindowBackendX11::RemoveTrayIcon(WindowId owner, uint32_t iconId) {
    auto it = std::find_if(m_tray.begin(), m_tray.end(), [&](const TrayIcon& icon) {
        return icon.owner == owner && icon.iconId == iconId;
    });
    if (it == m_tray.end()) {
        return false;
    }
    // The tray notices the destruction and drops the icon.
    if (it->gc) {
        XFreeGC(m_display, it->gc);
    }
    if (it->window) {
        XDestroyWindow(m_display, it->window);
    }
    m_tray.erase(it);
    XFlush(m_display);
    return true;
}

}  // namespace platform
