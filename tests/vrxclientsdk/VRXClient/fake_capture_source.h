// A scripted capture source for tests at the capture-library seam. It holds
// one picture (B, G, R, X) and delivers blocks of it to the callback given
// to Open: either at once on the caller's thread (DeliverNow), or on a
// thread of its own, as the real capture library does (Queue...). It counts
// the calls that the pool makes and can report a failing Open or Start.
#pragma once

#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

class FakeCaptureSource : public CFrameBufferBase {
public:
    // `et` of the blocks: refresh blocks carry kRefreshEt, others kFrameEt.
    static constexpr uint32_t kRefreshEt = 1;
    static constexpr uint32_t kFrameEt = 1000;

    struct Counters {
        std::atomic<int> created{0}, alive{0}, opens{0}, starts{0}, pauses{0}, closes{0},
            refreshes{0}, refreshFrames{0};
    };

    // windowWidth x windowHeight is the size reported by GetWindowSize;
    // frameWidth, when not 0, the frame buffer's width (else the opened width).
    FakeCaptureSource(Counters& counters, int windowWidth = 1280, int windowHeight = 720,
                      int frameWidth = 0)
        : m_counters(counters),
          m_windowWidth(windowWidth),
          m_windowHeight(windowHeight),
          m_fbw(frameWidth) {
        ++m_counters.created;
        ++m_counters.alive;
    }
    ~FakeCaptureSource() override {
        StopThread();
        --m_counters.alive;
    }

    void FailOpen(int result) { m_openResult = result; }
    void FailStart() { m_startResult = false; }

    // The picture the blocks are cut from; replaced between frames.
    void SetPicture(std::vector<uint8_t> picture) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_picture = std::move(picture);
    }

    // Delivers one block of the current picture on the calling thread.
    void DeliverNow(int x1, int y1, int x2, int y2, uint16_t fsn, uint16_t ftot,
                    bool refresh = false) {
        IMAGE_BLOCK b = Block(x1, y1, x2, y2, fsn, ftot, refresh);
        if (m_callback) {
            m_callback(&b, m_context);
        }
    }

    // Queues a frame of blocks for the source's own thread.
    struct Rect {
        int x1, y1, x2, y2;
    };
    void QueueFrame(std::vector<Rect> rects, std::vector<uint8_t> picture = {}) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_jobs.push_back({std::move(rects), std::move(picture), false});
        m_wake.notify_all();
    }
    // Waits until every queued frame and a requested refresh were delivered
    // (at once when the source's thread does not run).
    void WaitIdle() {
        std::unique_lock<std::mutex> guard(m_lock);
        m_idle.wait(guard, [&] {
            return m_stop || !m_thread.joinable() ||
                   (m_jobs.empty() && !m_busy && !m_refreshPending);
        });
    }

    // --- CFrameBufferBase ---
    int Open(CaptureCallback callback, void* context, int width, int height) override {
        ++m_counters.opens;
        m_callback = callback;
        m_context = context;
        m_width = width;
        m_height = height;
        if (m_fbw == 0) {
            m_fbw = width;
        }
        m_refreshRect = {{0, 0, m_fbw - 1, height - 1}};
        if (m_openResult >= 0) {
            m_thread = std::thread([this] { Run(); });
        }
        return m_openResult;
    }
    void GetFrameBufSize(int& width, int& height) override {
        width = m_fbw;
        height = m_height;
    }
    void GetWindowSize(int& width, int& height) override {
        width = m_windowWidth;
        height = m_windowHeight;
    }
    bool Start() override {
        ++m_counters.starts;
        m_status = STATUS_RUNNING;
        return m_startResult;
    }
    void RefreshScreen() override {
        ++m_counters.refreshes;
        // Requests coalesce into one pending refresh, as in a real capturer;
        // nothing is allocated on the caller's thread.
        std::lock_guard<std::mutex> guard(m_lock);
        m_refreshPending = true;
        m_wake.notify_all();
    }
    void Pause() override {
        ++m_counters.pauses;
        m_status = STATUS_PAUSED;
    }
    STATUS GetStatus() override { return m_status; }
    // 16 bits per pixel: blocks come as 5-6-5 (or 5-5-5) words, like a
    // capture library set to a 16-bit depth.
    void SetBitCount(unsigned short bits) override { m_bits = bits; }
    void Set16BitRGB(bool rgb565) override { m_rgb565 = rgb565; }
    void Close() override {
        ++m_counters.closes;
        StopThread();
        m_status = STATUS_STOPPED;
    }

private:
    struct Job {
        std::vector<Rect> rects;
        std::vector<uint8_t> picture;
        bool refresh = false;
    };

    IMAGE_BLOCK Block(int x1, int y1, int x2, int y2, uint16_t fsn, uint16_t ftot, bool refresh) {
        IMAGE_BLOCK b;
        b.pBits = m_picture.data();
        b.stride = static_cast<uint32_t>(m_fbw * 4);
        b.frameRows = static_cast<uint32_t>(m_height);
        b.sourceFormat = b.colorFormat = COLOR_FORMAT_BGRX;
        if (m_bits == 16 && !m_picture.empty()) {
            // The whole frame in the 16-bit format, made once per picture.
            const uint32_t format = m_rgb565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555;
            if (m_picture16Source != m_picture.data() || m_picture16.empty()) {
                IMAGE_BLOCK whole = b;
                whole.colorFormat = format;
                whole.x2 = m_fbw - 1;
                whole.y2 = m_height - 1;
                m_picture16.resize(size_t(m_fbw) * m_height * 2);
                IBMask(m_picture16.data(), &whole);
                m_picture16Source = m_picture.data();
            }
            b.pBits = m_picture16.data();
            b.stride = static_cast<uint32_t>(m_fbw * 2);
            b.sourceFormat = b.colorFormat = format;
        }
        b.x1 = x1;
        b.y1 = y1;
        b.x2 = x2;
        b.y2 = y2;
        b.width = static_cast<uint32_t>(x2 - x1 + 1);
        b.height = static_cast<uint32_t>(y2 - y1 + 1);
        b.size = b.width * b.height * (m_bits == 16 ? 2 : 4);
        b.fsn = fsn;
        b.ftot = ftot;
        b.refresh = refresh ? 1 : 0;
        b.et = refresh ? kRefreshEt : kFrameEt;
        return b;
    }

    void Run() {
        pthread_setname_np(pthread_self(), "fake-capture");
        std::unique_lock<std::mutex> guard(m_lock);
        for (;;) {
            m_wake.wait(guard, [&] { return m_stop || m_refreshPending || !m_jobs.empty(); });
            if (m_stop) {
                return;
            }
            Job job;
            const std::vector<Rect>* rects = &job.rects;
            if (m_refreshPending) {
                m_refreshPending = false;
                rects = &m_refreshRect;  // no copy: the capture thread allocates nothing
                job.refresh = true;
                ++m_counters.refreshFrames;
            } else {
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            m_busy = true;
            if (!job.picture.empty()) {
                m_picture = std::move(job.picture);
            }
            const bool skip = m_status == STATUS_PAUSED && !job.refresh;
            const uint16_t total = static_cast<uint16_t>(rects->size());
            for (uint16_t i = 0; i < total && !skip; ++i) {
                const Rect& r = (*rects)[i];
                IMAGE_BLOCK b =
                    Block(r.x1, r.y1, r.x2, r.y2, static_cast<uint16_t>(i + 1), total, job.refresh);
                guard.unlock();
                m_callback(&b, m_context);
                guard.lock();
            }
            m_busy = false;
            m_idle.notify_all();
        }
    }

    void StopThread() {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stop = true;
            m_jobs.clear();
            m_refreshPending = false;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        m_stop = false;
        m_idle.notify_all();
    }

    Counters& m_counters;
    int m_windowWidth, m_windowHeight;
    int m_fbw;
    int m_width = 0, m_height = 0;
    CaptureCallback m_callback = nullptr;
    void* m_context = nullptr;
    int m_openResult = 0;
    bool m_startResult = true;
    std::atomic<STATUS> m_status{STATUS_STOPPED};

    std::mutex m_lock;
    std::condition_variable m_wake, m_idle;
    std::deque<Job> m_jobs;
    std::vector<uint8_t> m_picture;
    std::atomic<unsigned short> m_bits{32};
    std::atomic<bool> m_rgb565{false};
    std::vector<uint8_t> m_picture16;
    const uint8_t* m_picture16Source = nullptr;
    bool m_stop = false;
    bool m_busy = false;
    bool m_refreshPending = false;
    std::vector<Rect> m_refreshRect;
    std::thread m_thread;
};

// The pool's handle on a fake source that the test holds too: the pool frees
// its capture objects on Stop, and the test's pointer must stay valid after
// that (a use of it then finds a closed source, not freed memory). Closing
// or dropping this handle ends the source's thread.
class SharedCaptureSource : public CFrameBufferBase {
public:
    explicit SharedCaptureSource(std::shared_ptr<FakeCaptureSource> source)
        : m_source(std::move(source)) {}
    ~SharedCaptureSource() override { m_source->Close(); }

    int Open(CaptureCallback callback, void* context, int width, int height) override {
        return m_source->Open(callback, context, width, height);
    }
    void GetFrameBufSize(int& width, int& height) override {
        m_source->GetFrameBufSize(width, height);
    }
    void GetWindowSize(int& width, int& height) override { m_source->GetWindowSize(width, height); }
    bool Start() override { return m_source->Start(); }
    void RefreshScreen() override { m_source->RefreshScreen(); }
    void Pause() override { m_source->Pause(); }
    STATUS GetStatus() override { return m_source->GetStatus(); }
    void SetBitCount(unsigned short bits) override { m_source->SetBitCount(bits); }
    void Set16BitRGB(bool rgb565) override { m_source->Set16BitRGB(rgb565); }
    void Close() override { m_source->Close(); }

private:
    std::shared_ptr<FakeCaptureSource> m_source;
};
