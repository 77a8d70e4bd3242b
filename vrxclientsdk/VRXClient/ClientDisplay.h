// The PC's display made fit for a projection: its size set to what the
// receiver shows, 16-bit colour where that halves raw pixels, composition
// and acceleration switched off on request, through the display-settings
// service (platform/display).
//
// Pure decision plus the service's calls; the facade's SetClientDisplay
// gives it what it knows of the receiver and reports the result.
//
// THREADING: the caller's thread (the facade's operation).
#pragma once

#include <string>

#include "platform/display/display_settings.h"

class ClientDisplay {
public:
    struct Request {
        int width = 0;
        int height = 0;
        bool compositionOff = false;
        bool allow16 = false;
        bool extended = false;  // through SetDisplayEx
    };
    // What the receiver and the sender can do.
    struct Facts {
        bool receiver16Bit = false;  // the receiver shows 16-bit colour
        bool jpegPossible = false;   // the receiver takes JPEG and the module is loaded
    };
    struct Result {
        bool ok = false;
        std::string failure;   // the message argument when not ok
        bool applied = false;  // the display was changed
        platform::DesktopConfig before;
        int depth = 0;  // the depth asked for (0: unchanged)
    };

    // Applies `request` on `display` (may be null: the desktop cannot be read).
    static Result Apply(platform::DisplaySettings* display, const Request& request,
                        const Facts& facts);
};
