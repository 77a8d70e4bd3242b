// The atoms the X11 backend interns once at start-up; shared by the
// backend's source files only.
#pragma once

#include <X11/Xlib.h>

#include "platform/window/window_backend_x11.h"

// X.h names a constant CursorShape; ours is an enum.
#undef CursorShape

namespace platform {

struct WindowBackendX11::Atoms {
    Atom wmProtocols;
    Atom wmDeleteWindow;
    Atom netWmName;
    Atom utf8String;
    Atom netWmWindowType;
    Atom netWmWindowTypeNormal;
    Atom netWmWindowTypeDialog;
    Atom netWmWindowTypePopupMenu;
    Atom netWmState;
    Atom netWmStateAbove;
    Atom netWmStateSkipTaskbar;
    Atom netWmWindowOpacity;
    Atom netActiveWindow;
    Atom netWorkarea;
    Atom motifWmHints;
    Atom trayOpcode;
    Atom traySelection;
    Atom xembedInfo;
    Atom compositorSelection;
    Atom manager;
};

}  // namespace platform
