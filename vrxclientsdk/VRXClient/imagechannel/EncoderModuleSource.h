// Where the image channel finds its encoder modules: "Pexlo" (JPEG) and
// "Vemrin" (H.264), loaded by name.
//
// The program gives every channel the process's EncoderModules (the
// facade's ProcessGlobals); a test may give a source of its own. The
// channel only borrows the modules: the source outlives every channel that
// uses it.
//
// THREADING: any thread.
#pragma once

#include "platform/dynload.h"

class EncoderModuleSource {
public:
    virtual ~EncoderModuleSource() = default;

    // The loaded module, or nullptr when it is absent.
    virtual platform::DynamicLibrary* Jpeg() const = 0;
    virtual platform::DynamicLibrary* H264() const = 0;
    // Tries once more to load the H.264 module when it is absent. Returns the
    // module or nullptr.
    virtual platform::DynamicLibrary* LoadH264Again() = 0;
};
