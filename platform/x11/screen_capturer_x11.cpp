#include "platform/x11/screen_capturer_x11.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include "platform/x11/x_error_trap.h"

namespace platform {

std::unique_ptr<ScreenCapturerX11> ScreenCapturerX11::Create(const Options& options) {
    std::unique_ptr<XDisplay> display = XDisplay::Open(options.display);
    if (!display) {
        return nullptr;
    }
    std::unique_ptr<ScreenCapturerX11> capturer(new ScreenCapturerX11(std::move(display), options));
    if (!capturer->Init()) {
        return nullptr;
    }
    return capturer;
}

ScreenCapturerX11::ScreenCapturerX11(std::unique_ptr<XDisplay> display, const Options& options)
    : m_display(std::move(display)), m_options(options) {}

ScreenCapturerX11::~ScreenCapturerX11() {
    m_display->RemoveEventHandler(ConfigureNotify, this);
    m_display->RemoveEventHandler(DestroyNotify, this);
    ReleaseDamage();
    m_buffer.Release();
}

bool ScreenCapturerX11::Init() {
    ::Display* display = m_display->display();
    if (m_options.screen < 0 || m_options.screen >= ScreenCount(display)) {
        return false;
    }
    m_root = RootWindow(display, m_options.screen);
    m_target = m_options.window ? m_options.window : m_root;
    {
        // Size changes of the target arrive as ConfigureNotify.
        XErrorTrap trap(display);
        XSelectInput(display, m_target, StructureNotifyMask);
        if (trap.LastErrorAndDisable() != 0) {
            return false;
        }
    }
    m_display->AddEventHandler(ConfigureNotify, this);
    m_display->AddEventHandler(DestroyNotify, this);
    if (!m_buffer.Init(display, m_target, m_options.useShm) || !ResizeFrame()) {
        return false;
    }
    if (m_options.useDamage) {
        m_damageOk = InitDamage();
    }
    return true;
}

bool ScreenCapturerX11::InitDamage() {
    ::Display* display = m_display->display();
    int errorBase = 0, fixesEvent = 0, fixesError = 0;
    if (!XDamageQueryExtension(display, &m_damageEventBase, &errorBase) ||
        !XFixesQueryExtension(display, &fixesEvent, &fixesError)) {
        return false;
    }
    XErrorTrap trap(display);
    // One notification when the damaged area goes from empty to not empty;
    // the area itself is read with XDamageSubtract at capture time.
    m_damage = XDamageCreate(display, m_target, XDamageReportNonEmpty);
    m_damageRegion = XFixesCreateRegion(display, nullptr, 0);
    if (trap.LastErrorAndDisable() != 0 || !m_damage || !m_damageRegion) {
        ReleaseDamage();
        return false;
    }
    m_display->AddEventHandler(m_damageEventBase + XDamageNotify, this);
    return true;
}

void ScreenCapturerX11::ReleaseDamage() {
    ::Display* display = m_display->display();
    if (m_damageEventBase >= 0) {
        m_display->RemoveEventHandler(m_damageEventBase + XDamageNotify, this);
    }
    XErrorTrap trap(display);
    if (m_damage) {
        XDamageDestroy(display, m_damage);
        m_damage = 0;
    }
    if (m_damageRegion) {
        XFixesDestroyRegion(display, m_damageRegion);
        m_damageRegion = 0;
    }
    trap.LastErrorAndDisable();
}

bool ScreenCapturerX11::ResizeFrame() {
    const int width = m_buffer.Width();
    const int height = m_buffer.Height();
    if (width <= 0 || height <= 0) {
        return false;
    }
    int sharedStride = 0;
    uint8_t* shared = m_buffer.SharedPixels(&sharedStride);
    if (shared) {
        // The server's writes are the frame: no copy per capture.
        m_frame.shared = shared;
        m_frame.stride = sharedStride;
        m_frame.pixels = {};
    } else if (m_frame.shared || width != m_frame.width || height != m_frame.height) {
        // Only here does the frame grow or shrink: a size change.
        m_frame.shared = nullptr;
        m_frame.stride = width * 4;
        m_frame.pixels.assign(static_cast<size_t>(m_frame.stride) * height, 0);
    }
    m_frame.width = width;
    m_frame.height = height;
    m_updated = UpdateRegion(CaptureRect::FromSize(width, height), m_options.blockGrid);
    m_fullFrameNeeded = true;
    return true;
}

void ScreenCapturerX11::HandleXEvent(const XEvent& event) {
    if (event.type == DestroyNotify) {
        if (event.xdestroywindow.window == m_target) {
            m_targetGone = true;
        }
        return;
    }
    if (event.type == ConfigureNotify) {
        if (event.xconfigure.window == m_target && (event.xconfigure.width != m_frame.width ||
                                                    event.xconfigure.height != m_frame.height)) {
            m_sizeChanged = true;
        }
        return;
    }
    if (event.type == m_damageEventBase + XDamageNotify) {
        m_damaged = true;
    }
}

ScreenCapturerX11::Result ScreenCapturerX11::CaptureFrame() {
    m_display->ProcessPendingEvents();
    ::Display* display = m_display->display();
    if (m_targetGone) {
        return Result::kErrorPermanent;
    }
    if (m_sizeChanged || !m_buffer.IsInitialized()) {
        m_sizeChanged = false;
        if (!m_buffer.Init(display, m_target, m_options.useShm)) {
            return m_options.window ? Result::kErrorPermanent : Result::kErrorTemporary;
        }
        if (!ResizeFrame()) {
            return Result::kErrorTemporary;
        }
    }

    m_updated.Clear();
    if (m_damageOk) {
        m_damaged = false;
        XErrorTrap trap(display);
        if (m_fullFrameNeeded) {
            XDamageSubtract(display, m_damage, None, None);
        } else {
            XDamageSubtract(display, m_damage, None, m_damageRegion);
            int count = 0;
            XRectangle* rects = XFixesFetchRegion(display, m_damageRegion, &count);
            for (int i = 0; rects && i < count; ++i) {
                m_updated.Add({rects[i].x, rects[i].y, rects[i].x + rects[i].width,
                               rects[i].y + rects[i].height});
            }
            if (rects) {
                XFree(rects);
            }
        }
        if (trap.LastErrorAndDisable() != 0) {
            m_fullFrameNeeded = true;
        }
    }
    if (m_fullFrameNeeded || !m_damageOk) {
        m_updated.Clear();
        m_updated.AddAll();
    }
    if (m_updated.IsEmpty()) {
        return Result::kSuccess;
    }
    // Grid-aligned rectangles may overlap after widening; merging the
    // touching ones here saves copying shared pixels twice.
    m_updated.Merge(0);
    const std::vector<CaptureRect>& rects = m_updated.Rects();
    if (!m_buffer.Capture(rects.data(), static_cast<int>(rects.size()), m_frame.Data(),
                          m_frame.stride)) {
        // The target may have changed size between the event and the read.
        m_sizeChanged = true;
        m_fullFrameNeeded = true;
        return Result::kErrorTemporary;
    }
    m_fullFrameNeeded = false;
    return Result::kSuccess;
}

}  // namespace platform
