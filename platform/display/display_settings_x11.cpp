// Display settings over the X resize-and-rotate extension.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/display/display_settings.h"

namespace platform {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
struct ConfigFree {
    void operator()(XRRScreenConfiguration* c) const { XRRFreeScreenConfigInfo(c); }
};
struct ResourcesFree {
    void operator()(XRRScreenResources* r) const { XRRFreeScreenResources(r); }
};
struct OutputInfoFree {
    void operator()(XRROutputInfo* o) const { XRRFreeOutputInfo(o); }
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
        int major = 0, minor = 0;
        m_hasOutputs = m_hasRandr && XRRQueryVersion(display, &major, &minor) &&
                       (major > 1 || (major == 1 && minor >= 2));
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

    std::vector<DisplayMode> GetModes(int index) override {
        std::lock_guard<std::mutex> guard(m_lock);
        std::vector<DisplayMode> modes;
        const std::vector<RROutput> outputs = AttachedLocked();
        if (!outputs.empty()) {
            if (index >= 0 && static_cast<size_t>(index) < outputs.size()) {
                OutputModes(outputs[static_cast<size_t>(index)], &modes);
            }
            return modes;
        }
        // A server without outputs (resize-and-rotate 1.0 only): the
        // screen's sizes, each at each of its rates.
        if (index == 0) {
            ScreenSizes(&modes);
        }
        return modes;
    }

    std::vector<DisplayOutput> AttachedOutputs() override {
        std::lock_guard<std::mutex> guard(m_lock);
        std::vector<DisplayOutput> result;
        Display* d = m_display.get();
        const Window root = RootWindow(d, DefaultScreen(d));
        const RROutput primary = m_hasOutputs ? XRRGetOutputPrimary(d, root) : 0;
        std::unique_ptr<XRRScreenResources, ResourcesFree> res(
            m_hasOutputs ? XRRGetScreenResourcesCurrent(d, root) : nullptr);
        for (RROutput output : AttachedLocked()) {
            DisplayOutput out;
            std::unique_ptr<XRROutputInfo, OutputInfoFree> info(
                XRRGetOutputInfo(d, res.get(), output));
            out.name = info ? std::string(info->name, static_cast<size_t>(info->nameLen)) : "";
            out.primary = output == primary || (primary == 0 && result.empty());
            result.push_back(out);
        }
        if (result.empty()) {
            result.push_back({"screen", true, false});  // the whole screen is one output
        }
        return result;
    }

    void RestoreAll() override {
        std::optional<DesktopConfig> first;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            first = m_firstConfig;
        }
        if (first) {
            Change(0, first->width, first->height, 0);
        }
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
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (!m_firstConfig) {
                m_firstConfig = now;  // what RestoreAll puts back
            }
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

    // The connected outputs that show part of the screen, the primary one
    // first. Caller holds m_lock.
    std::vector<RROutput> AttachedLocked() {
        std::vector<RROutput> attached;
        if (!m_hasOutputs) {
            return attached;
        }
        Display* d = m_display.get();
        const Window root = RootWindow(d, DefaultScreen(d));
        std::unique_ptr<XRRScreenResources, ResourcesFree> res(
            XRRGetScreenResourcesCurrent(d, root));
        if (!res) {
            return attached;
        }
        const RROutput primary = XRRGetOutputPrimary(d, root);
        for (int i = 0; i < res->noutput; ++i) {
            std::unique_ptr<XRROutputInfo, OutputInfoFree> info(
                XRRGetOutputInfo(d, res.get(), res->outputs[i]));
            if (info && info->connection == RR_Connected && info->crtc != 0) {
                if (res->outputs[i] == primary) {
                    attached.insert(attached.begin(), res->outputs[i]);
                } else {
                    attached.push_back(res->outputs[i]);
                }
            }
        }
        return attached;
    }

    // The modes of one output, in its order. Caller holds m_lock.
    void OutputModes(RROutput output, std::vector<DisplayMode>* modes) {
        Display* d = m_display.get();
        const Window root = RootWindow(d, DefaultScreen(d));
        std::unique_ptr<XRRScreenResources, ResourcesFree> res(XRRGetScreenResources(d, root));
        if (!res) {
            return;
        }
        std::unique_ptr<XRROutputInfo, OutputInfoFree> info(XRRGetOutputInfo(d, res.get(), output));
        if (!info) {
            return;
        }
        for (int m = 0; m < info->nmode; ++m) {
            for (int k = 0; k < res->nmode; ++k) {
                const XRRModeInfo& mi = res->modes[k];
                if (mi.id != info->modes[m]) {
                    continue;
                }
                const double dots = static_cast<double>(mi.hTotal) * mi.vTotal;
                const int refresh = dots > 0 ? static_cast<int>(mi.dotClock / dots + 0.5) : 0;
                modes->push_back(
                    {static_cast<int>(mi.width), static_cast<int>(mi.height), refresh});
            }
        }
    }

    // The screen's sizes at each of their rates. Caller holds m_lock.
    void ScreenSizes(std::vector<DisplayMode>* modes) {
        if (!m_hasRandr) {
            return;
        }
        Display* d = m_display.get();
        std::unique_ptr<XRRScreenConfiguration, ConfigFree> config(
            XRRGetScreenInfo(d, RootWindow(d, DefaultScreen(d))));
        if (!config) {
            return;
        }
        int count = 0;
        XRRScreenSize* sizes = XRRConfigSizes(config.get(), &count);
        for (int i = 0; i < count; ++i) {
            int rateCount = 0;
            short* rates = XRRConfigRates(config.get(), i, &rateCount);
            if (rateCount == 0) {
                modes->push_back({sizes[i].width, sizes[i].height, 0});
            }
            for (int r = 0; r < rateCount; ++r) {
                modes->push_back({sizes[i].width, sizes[i].height, rates[r]});
            }
        }
    }

    std::mutex m_lock;
    std::unique_ptr<Display, DisplayCloser> m_display;
    bool m_hasRandr = false;
    bool m_hasOutputs = false;  // resize-and-rotate 1.2 or later
    std::optional<DesktopConfig> m_firstConfig;
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
