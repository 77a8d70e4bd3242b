// Display settings over the X resize-and-rotate extension.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/display/display_settings.h"

namespace platform {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
struct ConfigFree {
    void operator()(XRRScreenConfiguration* c) const { XRRFreeScreenConfigInfo(c); }
};

int RotationDegrees(Rotation r) {
    switch (r & 0x0f) {
        case RR_Rotate_90:
            return 90;
        case RR_Rotate_180:
            return 180;
        case RR_Rotate_270:
            return 270;
        default:
            return 0;
    }
}

class DisplaySettingsX11 final : public DisplaySettings {
public:
    explicit DisplaySettingsX11(Display* display) : m_display(display) {
        int error = 0;
        m_hasRandr = XRRQueryExtension(display, &m_eventBase, &error) != 0;
    }

    bool GetDesktopConfig(int index, DesktopConfig* out) override {
        std::lock_guard<std::mutex> guard(m_lock);
        if (index != 0 || !out) {
            return false;
        }
        Display* d = m_display.get();
        const int screen = DefaultScreen(d);
        out->width = DisplayWidth(d, screen);
        out->height = DisplayHeight(d, screen);
        out->depth = DefaultDepth(d, screen);
        out->refresh = 0;
        out->rotation = 0;
        if (m_hasRandr) {
            std::unique_ptr<XRRScreenConfiguration, ConfigFree> config(
                XRRGetScreenInfo(d, RootWindow(d, screen)));
            if (config) {
                Rotation rotation = 0;
                const SizeID current = XRRConfigCurrentConfiguration(config.get(), &rotation);
                int count = 0;
                XRRScreenSize* sizes = XRRConfigSizes(config.get(), &count);
                if (current < count) {
                    out->width = sizes[current].width;
                    out->height = sizes[current].height;
                }
                out->refresh = XRRConfigCurrentRate(config.get());
                out->rotation = RotationDegrees(rotation);
            }
        }
        return true;
    }

    void BackupComposition() override { Record("BackupComposition"); }
    void SetComposition(bool on) override { Record(on ? "SetComposition 1" : "SetComposition 0"); }
    // X has no such switch: acceleration is always what the driver gives.
    int GetAccel() override { return kFullAccel; }
    void BackupAccel() override { Record("BackupAccel"); }
    void SetDirectDraw(bool on) override { Record(on ? "SetDirectDraw 1" : "SetDirectDraw 0"); }

    bool SetDisplay(int mode, int width, int height, int depth) override {
        return Change(mode, width, height, depth) == 0;
    }
    int SetDisplayEx(int mode, int width, int height, int depth, int) override {
        return Change(mode, width, height, depth);
    }

    std::vector<std::string> Recorded() override {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_recorded;
    }

private:
    void Record(const std::string& line) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_recorded.push_back(line);
    }

    // 0 when the size is in force afterwards or could not be offered by the
    // server (recorded); the Xlib status when the server refused a size it
    // offers.
    int Change(int mode, int width, int height, int depth) {
        DesktopConfig now;
        if (!GetDesktopConfig(0, &now)) {
            return 1;
        }
        char line[96];
        if (depth != 0 && depth != now.depth) {
            // A running X server keeps the depth it was started with.
            std::snprintf(line, sizeof line, "SetDisplay depth %d (stays %d)", depth, now.depth);
            Record(line);
        }
        if (mode != 0) {
            std::snprintf(line, sizeof line, "SetDisplay mode %d", mode);
            Record(line);
        }
        if (width == now.width && height == now.height) {
            return 0;
        }
        std::lock_guard<std::mutex> guard(m_lock);
        Display* d = m_display.get();
        const Window root = RootWindow(d, DefaultScreen(d));
        std::unique_ptr<XRRScreenConfiguration, ConfigFree> config(
            m_hasRandr ? XRRGetScreenInfo(d, root) : nullptr);
        int count = 0;
        XRRScreenSize* sizes = config ? XRRConfigSizes(config.get(), &count) : nullptr;
        for (int i = 0; i < count; ++i) {
            if (sizes[i].width == width && sizes[i].height == height) {
                Rotation rotation = 0;
                XRRConfigCurrentConfiguration(config.get(), &rotation);
                const Status status =
                    XRRSetScreenConfig(d, config.get(), root, i, rotation, CurrentTime);
                XSync(d, False);
                return status == RRSetConfigSuccess ? 0 : static_cast<int>(status) + 1;
            }
        }
        std::snprintf(line, sizeof line, "SetDisplay %dx%d (not offered, stays %dx%d)", width,
                      height, now.width, now.height);
        m_recorded.push_back(line);
        return 0;
    }

    std::mutex m_lock;
    std::unique_ptr<Display, DisplayCloser> m_display;
    bool m_hasRandr = false;
    int m_eventBase = 0;
    std::vector<std::string> m_recorded;
};

}  // namespace

std::unique_ptr<DisplaySettings> DisplaySettings::Create() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return nullptr;
    }
    return std::make_unique<DisplaySettingsX11>(display);
}

}  // namespace platform
