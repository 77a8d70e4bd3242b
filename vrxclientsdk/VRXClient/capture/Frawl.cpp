#include "vrxclientsdk/VRXClient/capture/Frawl.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/clock.h"
#include "platform/thread.h"
#include "platform/x11/x_cursor_monitor.h"
#include "vrxclientsdk/VRXClient/capture/FrawlCodes.h"

using platform::CaptureRect;
using platform::ScreenCapturerX11;

namespace {

int BitsOf(uint32_t format) {
    return format == COLOR_FORMAT_RGB555 || format == COLOR_FORMAT_RGB565 ? 16 : 32;
}

// Rates below 1 would stop capture for good; above 1000 the millisecond
// clock can't pace them.
int IntervalMs(int fps) {
    return 1000 / std::clamp(fps, 1, 1000);
}

}  // namespace

CFrawl::CFrawl() = default;

CFrawl::~CFrawl() {
    Close();
}

uint32_t CFrawl::FormatFor(unsigned short bits, bool rgb565) {
    if (bits == 16) {
        return rgb565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555;
    }
    return COLOR_FORMAT_BGRX;
}

void CFrawl::SetCursorMode(bool on) {
    std::lock_guard lock(m_lock);
    m_settings.cursor = on;
}

void CFrawl::SetScreenCapture(int screen) {
    std::lock_guard lock(m_lock);
    m_settings.screen = screen;
}

void CFrawl::SetWindowCapture(CaptureWindow window, bool) {
    // The whole window is captured: X windows have no frame drawn by the
    // window itself, so the client area is the window.
    std::lock_guard lock(m_lock);
    m_settings.window = window;
}

void CFrawl::SetRotation(int quarterTurns) {
    std::lock_guard lock(m_lock);
    m_settings.rotation = ((quarterTurns % 4) + 4) % 4;
}

void CFrawl::SetMaxFPS(int fps) {
    std::lock_guard lock(m_lock);
    m_settings.maxFps = fps;
}

void CFrawl::SetMaxMouseFPS(int fps) {
    std::lock_guard lock(m_lock);
    m_settings.maxMouseFps = fps;
}

void CFrawl::SetColorFormat(COLOR_FORMAT format) {
    std::lock_guard lock(m_lock);
    m_settings.format = format;
}

void CFrawl::SetRectDist(int distance) {
    std::lock_guard lock(m_lock);
    m_settings.rectDist = std::max(distance, 0);
}

void CFrawl::SetMaxFrameTime(int ms) {
    std::lock_guard lock(m_lock);
    m_settings.maxFrameTime = std::clamp(ms, 1, 10000);
}

void CFrawl::SetCursorScale(double scale) {
    std::lock_guard lock(m_lock);
    if (scale > 0.0 && scale <= 16.0) {
        m_settings.cursorScale = scale;
    }
}

void CFrawl::SetCursorPosition(CapturePoint* point) {
    {
        std::lock_guard lock(m_lock);
        m_settings.cursorFixed = point != nullptr;
        if (point) {
            m_settings.cursorPoint = *point;
        }
    }
    Wake();
}

void CFrawl::SetBitCount(unsigned short bits) {
    std::lock_guard lock(m_lock);
    m_settings.bits = bits == 16 ? 16 : 32;
    m_settings.format = FormatFor(m_settings.bits, m_settings.rgb565);
}

void CFrawl::Set16BitRGB(bool on) {
    std::lock_guard lock(m_lock);
    m_settings.rgb565 = on;
    m_settings.format = FormatFor(m_settings.bits, m_settings.rgb565);
}

void CFrawl::SetDisplayName(const std::string& name) {
    std::lock_guard lock(m_lock);
    m_settings.display = name;
}

ScreenCapturerX11::Options CFrawl::CaptureOptions() const {
    ScreenCapturerX11::Options options;
    options.display = m_settings.display;
    options.screen = m_settings.screen;
    options.window = m_settings.window;
    return options;
}

void CFrawl::GetWindowSize(int& width, int& height) {
    ScreenCapturerX11::Options options;
    int rotation = 0;
    {
        std::lock_guard lock(m_lock);
        if (m_capturer) {
            width = m_windowWidth;
            height = m_windowHeight;
            return;
        }
        options = CaptureOptions();
        rotation = m_settings.rotation;
    }
    width = height = 0;
    std::unique_ptr<ScreenCapturerX11> probe = ScreenCapturerX11::Create(options);
    if (!probe) {
        return;
    }
    const bool quarter = rotation % 2 == 1;
    width = quarter ? probe->Height() : probe->Width();
    height = quarter ? probe->Width() : probe->Height();
}

void CFrawl::GetWindowBitCount(unsigned short& bits) {
    bits = 32;  // the capture is always read as 32-bit pixels
}

int CFrawl::Open(CaptureCallback callback, void* context, int width, int height) {
    Close();
    Settings settings;
    {
        std::lock_guard lock(m_lock);
        settings = m_settings;
    }
    ScreenCapturerX11::Options options;
    options.display = settings.display;
    options.screen = settings.screen;
    options.window = settings.window;
    std::unique_ptr<ScreenCapturerX11> capturer = ScreenCapturerX11::Create(options);
    if (!capturer) {
        return kFrawlNoDisplay;
    }
    const bool quarter = settings.rotation % 2 == 1;
    const int rotatedWidth = quarter ? capturer->Height() : capturer->Width();
    const int rotatedHeight = quarter ? capturer->Width() : capturer->Height();
    const int outputWidth = width > 0 ? width : rotatedWidth;
    const int outputHeight = height > 0 ? height : rotatedHeight;
    // An output far larger than any screen is a caller's mistake, not a picture.
    constexpr int kMaxSide = 16384;
    if (outputWidth > kMaxSide || outputHeight > kMaxSide ||
        !m_transformer.Configure(capturer->Width(), capturer->Height(), settings.rotation,
                                 outputWidth, outputHeight, settings.format)) {
        return kFrawlBadOutput;
    }
    auto cursor = std::make_unique<platform::XCursorMonitor>(capturer->Display(), capturer->Root());
    if (!cursor->Init()) {
        cursor.reset();  // no XFixes: the picture goes without a cursor
    }
    const int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        return kFrawlNoThread;
    }
    std::lock_guard lock(m_lock);
    m_capturer = std::move(capturer);
    m_cursor = std::move(cursor);
    m_cursorPainter.Forget();
    m_outputRegion = platform::UpdateRegion(CaptureRect::FromSize(outputWidth, outputHeight), 1);
    m_callback = callback;
    m_context = context;
    m_frameWidth = outputWidth;
    m_frameHeight = outputHeight;
    m_windowWidth = rotatedWidth;
    m_windowHeight = rotatedHeight;
    m_wakeFd = wakeFd;
    m_status = STATUS_STOPPED;
    m_fullFrameDue = true;
    m_refreshRequested = false;
    m_firstCapTime = 0;
    return 0;
}

void CFrawl::GetFrameBufSize(int& width, int& height) {
    std::lock_guard lock(m_lock);
    width = m_frameWidth;
    height = m_frameHeight;
}

long CFrawl::GetFirstCapTime() {
    std::lock_guard lock(m_lock);
    return m_firstCapTime;
}

bool CFrawl::Start() {
    std::lock_guard lock(m_lock);
    if (!m_capturer) {
        return false;
    }
    if (m_thread) {
        if (m_status == STATUS_PAUSED) {
            // Changes seen while paused were not delivered: start over whole.
            m_fullFrameDue = true;
        }
        m_status = STATUS_RUNNING;
        return true;
    }
    m_status = STATUS_RUNNING;
    m_stopRequested = false;
    m_fullFrameDue = true;
    m_cursorPainter.Forget();
    m_thread = platform::StartThread("frawl-capture", [this] { Run(); });
    if (!m_thread) {
        m_status = STATUS_STOPPED;
        return false;
    }
    return true;
}

void CFrawl::RefreshScreen() {
    {
        std::lock_guard lock(m_lock);
        m_refreshRequested = true;
    }
    Wake();
}

void CFrawl::Pause() {
    std::lock_guard lock(m_lock);
    if (m_status == STATUS_RUNNING) {
        m_status = STATUS_PAUSED;
    }
}

void CFrawl::Resume() {
    {
        std::lock_guard lock(m_lock);
        if (m_status == STATUS_PAUSED) {
            m_status = STATUS_RUNNING;
            m_fullFrameDue = true;  // changes seen while paused were not delivered
        }
    }
    Wake();
}

STATUS CFrawl::GetStatus() {
    std::lock_guard lock(m_lock);
    return m_status;
}

void CFrawl::Stop() {
    StopThread();
    std::lock_guard lock(m_lock);
    m_status = STATUS_STOPPED;
}

void CFrawl::Close() {
    Stop();
    std::lock_guard lock(m_lock);
    m_cursor.reset();
    m_capturer.reset();
    m_callback = nullptr;
    m_context = nullptr;
    if (m_wakeFd >= 0) {
        close(m_wakeFd);
        m_wakeFd = -1;
    }
}

void CFrawl::StopThread() {
    {
        std::lock_guard lock(m_lock);
        if (!m_thread) {
            return;
        }
        m_stopRequested = true;
    }
    Wake();
    m_thread->join();
    std::lock_guard lock(m_lock);
    m_thread.reset();
}

void CFrawl::Wake() {
    std::lock_guard lock(m_lock);
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(m_wakeFd, &one, sizeof one);
    }
}

void CFrawl::Run() {
    const int xFd = m_capturer->Display()->ConnectionFd();
    int wakeFd = -1;
    {
        std::lock_guard lock(m_lock);
        wakeFd = m_wakeFd;
    }
    while (true) {
        Settings settings;
        bool refresh = false;
        bool paused = false;
        bool fullDue = false;
        {
            std::lock_guard lock(m_lock);
            if (m_stopRequested) {
                break;
            }
            settings = m_settings;
            refresh = m_refreshRequested;
            paused = m_status != STATUS_RUNNING;
            fullDue = m_fullFrameDue;
        }
        m_capturer->Display()->ProcessPendingEvents();
        const uint64_t now = platform::NowMs();
        const uint64_t frameAt = m_lastFrameMs + IntervalMs(settings.maxFps);
        const uint64_t cursorAt = m_lastCursorMs + IntervalMs(settings.maxMouseFps);
        const bool changes = fullDue || m_capturer->HasPendingChanges();
        const bool followCursor = settings.cursor && m_cursor && !paused;

        bool captureScreen = refresh || (!paused && changes && now >= frameAt);
        bool cursorOnly = !captureScreen && followCursor && now >= cursorAt;
        if (captureScreen || cursorOnly) {
            if (refresh) {
                std::lock_guard lock(m_lock);
                m_refreshRequested = false;
            }
            if (!CaptureAndDeliver(settings, refresh, now, captureScreen)) {
                break;
            }
            continue;
        }

        // Sleep until the next frame or cursor turn is due, an X event or a
        // wake-up arrives, or at the latest the maximum frame time.
        uint64_t until = now + static_cast<uint64_t>(settings.maxFrameTime);
        if (!paused && changes) {
            until = std::min(until, frameAt);
        }
        if (followCursor) {
            until = std::min(until, cursorAt);
        }
        pollfd fds[2] = {{xFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int timeout = static_cast<int>(until > now ? until - now : 0);
        if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t n = read(wakeFd, &count, sizeof count);
        }
    }
}

bool CFrawl::CaptureAndDeliver(const Settings& settings, bool refresh, uint64_t now,
                               bool captureScreen) {
    platform::CapturedFrame& frame = m_capturer->MutableFrame();
    bool cursorChanged = false;
    int cursorX = m_cursorX, cursorY = m_cursorY;
    const bool drawCursor = settings.cursor && m_cursor && m_cursor->HasShape();
    if (drawCursor) {
        if (settings.cursorFixed) {
            cursorX = settings.cursorPoint.x;
            cursorY = settings.cursorPoint.y;
        } else if (!m_cursor->QueryPosition(&cursorX, &cursorY)) {
            cursorX = cursorY = std::numeric_limits<int>::min() / 2;  // on another screen
        }
        cursorChanged = cursorX != m_cursorX || cursorY != m_cursorY ||
                        m_cursor->ShapeSerial() != m_cursorSerial;
    } else {
        cursorChanged = !m_cursorPainter.Painted().IsEmpty();
    }
    m_lastCursorMs = now;
    if (!captureScreen && !cursorChanged) {
        return true;
    }

    m_outputRegion.Clear();
    // The cursor comes out of the picture before anything is written to it.
    const CaptureRect oldCursor = m_cursorPainter.Restore(
        m_transformer.Stage32(frame.Data()), m_transformer.Stage32Stride(frame.stride));
    // A whole picture goes out after a refresh, a start, a resume or a size
    // change (marked as a refresh: the receiver starts over from it), and
    // when the changes cover the screen (not marked: full motion is ordinary
    // content, which the encoders code at the channel's quality).
    bool whole = false;
    bool fresh = false;
    if (captureScreen) {
        bool fullDue = false;
        {
            std::lock_guard lock(m_lock);
            fullDue = m_fullFrameDue;
        }
        fresh = fullDue;
        if (refresh || fullDue) {
            m_capturer->RequestFullFrame();
        }
        const ScreenCapturerX11::Result result = m_capturer->CaptureFrame();
        if (result == ScreenCapturerX11::Result::kErrorPermanent) {
            return false;
        }
        m_lastFrameMs = now;
        if (result != ScreenCapturerX11::Result::kSuccess) {
            return true;  // tried again at the next frame time
        }
        if (m_capturer->Updated().CoversAll()) {
            whole = true;
        }
        if (frame.width != m_transformer.SourceWidth() ||
            frame.height != m_transformer.SourceHeight()) {
            // The screen changed size: the same output from a new source.
            if (!m_transformer.Configure(frame.width, frame.height, settings.rotation,
                                         m_transformer.OutputWidth(), m_transformer.OutputHeight(),
                                         m_transformer.Format())) {
                return false;
            }
            m_cursorPainter.Forget();
            whole = fresh = true;
            std::lock_guard lock(m_lock);
            m_windowWidth = m_transformer.RotatedWidth();
            m_windowHeight = m_transformer.RotatedHeight();
        }
        for (const CaptureRect& rect : m_capturer->Updated().Rects()) {
            m_outputRegion.Add(m_transformer.Transform(frame.Data(), frame.stride, rect));
        }
        std::lock_guard lock(m_lock);
        if (m_firstCapTime == 0) {
            m_firstCapTime = static_cast<long>(now);
        }
        m_fullFrameDue = false;
    }

    uint8_t* stage = m_transformer.Stage32(frame.Data());
    const int stageStride = m_transformer.Stage32Stride(frame.stride);
    if (drawCursor) {
        // Screen point -> rotated picture -> output picture.
        int x = cursorX, y = cursorY;
        FrameTransformer::RotatePoint(&x, &y, frame.width, frame.height, settings.rotation);
        const double sx =
            static_cast<double>(m_transformer.OutputWidth()) / m_transformer.RotatedWidth();
        const double sy =
            static_cast<double>(m_transformer.OutputHeight()) / m_transformer.RotatedHeight();
        const CaptureRect painted = m_cursorPainter.Paint(
            stage, stageStride, m_transformer.OutputWidth(), m_transformer.OutputHeight(),
            m_cursor->Shape(), static_cast<int>(x * sx), static_cast<int>(y * sy),
            settings.cursorScale * std::min(sx, sy));
        if (cursorChanged) {
            m_outputRegion.Add(oldCursor);
            m_outputRegion.Add(painted);
        }
        m_cursorX = cursorX;
        m_cursorY = cursorY;
        m_cursorSerial = m_cursor->ShapeSerial();
    } else {
        m_outputRegion.Add(oldCursor);
    }

    if (refresh || whole) {
        m_outputRegion.Clear();
        m_outputRegion.AddAll();
    }
    if (m_outputRegion.IsEmpty()) {
        return true;
    }
    m_outputRegion.Merge(settings.rectDist);
    for (const CaptureRect& rect : m_outputRegion.Rects()) {
        m_transformer.Convert(frame.Data(), frame.stride, rect);
    }
    {
        std::lock_guard lock(m_lock);
        if (m_status != STATUS_RUNNING && !refresh) {
            return true;  // paused while capturing: the change waits
        }
    }
    Deliver(m_outputRegion, refresh || fresh, static_cast<uint32_t>(now));
    return true;
}

void CFrawl::Deliver(const platform::UpdateRegion& region, bool refresh, uint32_t stamp) {
    platform::CapturedFrame& frame = m_capturer->MutableFrame();
    const uint32_t format = m_transformer.Format();
    const int bits = BitsOf(format);
    const std::vector<CaptureRect>& rects = region.Rects();
    IMAGE_BLOCK block{};
    block.pBits = m_transformer.Output(frame.Data());
    block.stride = static_cast<uint32_t>(m_transformer.OutputStride(frame.stride));
    block.frameRows = static_cast<uint32_t>(m_transformer.OutputHeight());
    block.sourceFormat = format;
    block.colorFormat = format;
    block.refresh = refresh ? 1 : 0;
    block.et = stamp;
    block.ftot = static_cast<uint16_t>(rects.size());
    for (size_t i = 0; i < rects.size(); ++i) {
        const CaptureRect& r = rects[i];
        block.x1 = r.left;
        block.y1 = r.top;
        block.x2 = r.right - 1;
        block.y2 = r.bottom - 1;
        block.width = static_cast<uint32_t>(r.Width());
        block.height = static_cast<uint32_t>(r.Height());
        block.size =
            static_cast<uint32_t>(static_cast<uint64_t>(bits) * r.Width() * r.Height() / 8);
        block.fsn = static_cast<uint16_t>(i + 1);
        m_callback(&block, m_context);
    }
}
