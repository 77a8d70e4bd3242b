// The sender's display settings for projection: what the screen is (size and
// bit depth) and the mode changes that make projection cheaper (a smaller
// size, 16-bit colour, no desktop composition, no hardware acceleration).
//
// The X11 implementation reads the screen, its outputs and their modes
// through the resize-and-rotate extension and changes its size when the
// server offers that size. What X
// cannot do (change the colour depth of a running server, switch composition,
// acceleration or DirectDraw) is recorded and reported as done, so that the
// caller's flow stays the same on every system; Recorded() lists it.
// FakeDisplaySettings records every call for tests.
//
// THREADING: every operation may be called from any thread; an
// implementation serialises them.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// One mode an output offers.
struct DisplayMode {
    int width = 0;
    int height = 0;
    int refresh = 0;  // Hz, 0 when unknown

    bool operator==(const DisplayMode&) const = default;
};

// An output attached to the desktop.
struct DisplayOutput {
    std::string name;
    bool primary = false;
    bool mirroring = false;  // shows another output's picture

    bool operator==(const DisplayOutput&) const = default;
};

struct DesktopConfig {
    int width = 0;
    int height = 0;
    int depth = 0;     // bits per pixel
    int refresh = 0;   // Hz, 0 when unknown
    int rotation = 0;  // degrees
};

class DisplaySettings {
public:
    // The accelerator level that needs no backup: full acceleration.
    static constexpr int kFullAccel = 5;

    virtual ~DisplaySettings() = default;

    // Settings of the X display named by DISPLAY; nullptr without one.
    static std::unique_ptr<DisplaySettings> Create();

    // The configuration of monitor `index` (0: the primary screen).
    virtual bool GetDesktopConfig(int index, DesktopConfig* out) = 0;
    // Desktop composition: remembered, then switched.
    virtual void BackupComposition() = 0;
    virtual void SetComposition(bool on) = 0;
    // Hardware acceleration level (0 none .. 5 full), and its backup.
    virtual int GetAccel() = 0;
    virtual void BackupAccel() = 0;
    virtual void SetDirectDraw(bool on) = 0;
    // Switches the primary screen to `width` x `height` at `depth` bits
    // (0: the depth stays). `mode` 5 asks for it without composition. True
    // on success.
    virtual bool SetDisplay(int mode, int width, int height, int depth) = 0;
    // The same with `flags`; 0 on success, else the reason.
    virtual int SetDisplayEx(int mode, int width, int height, int depth, int flags) = 0;

    // The modes of attached output `index` (0: the first, the primary one
    // first), one per size and refresh rate in the system's order: a size
    // offered at several rates appears once per rate.
    virtual std::vector<DisplayMode> GetModes(int index) = 0;
    // The outputs attached to the desktop, the primary one first.
    virtual std::vector<DisplayOutput> AttachedOutputs() = 0;
    // Puts back the size the screen had before the first change made
    // through this object; nothing when none was made.
    virtual void RestoreAll() = 0;

    // The changes reported as done that the window system could not make,
    // one line each, oldest first.
    virtual std::vector<std::string> Recorded() = 0;
};

// The settings the process uses: created on first use, or the one a test
// installed.
DisplaySettings* CurrentDisplaySettings();
// Installs `settings` for the whole process (nullptr: back to the real one).
// The caller keeps ownership until it is replaced.
void SetDisplaySettingsForTest(DisplaySettings* settings);

}  // namespace platform
