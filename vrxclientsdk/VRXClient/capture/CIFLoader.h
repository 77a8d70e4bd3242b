// CIFLoader: one JPEG picture file presented as if it were a screen capture.
//
// The capture pool creates it instead of a screen capturer when a client
// shows a picture. Open() reads the file through the JPEG reader module
// "Quillet" (loaded by name), fits it into the requested frame and keeps
// the frame; Start() and RefreshScreen() hand the whole frame to the
// callback once, as one refresh block, after which the source counts as
// paused.
//
// Deliveries run on a thread of the loader's own, never on the caller's: the
// pool calls Start and RefreshScreen under its lock, and a callback that runs
// there would wait on the image channel while the channel waits on the pool
// (two clients sharing one picture would lock each other out).
//
// Threads: the owner calls the operations from one thread at a time; the
// callback runs on the delivery thread. No callback runs after Close().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/dynload.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"
#include "vrxclientsdk/VRXClient/capture/quillet/QuilletApi.h"

class CIFLoader : public QKErrorHandler, public CFrameBufferBase {
public:
    // Open's own failures; the reader's results are passed on unchanged.
    static constexpr int kNoReaderLibrary = -7600;     // "Quillet" can't be loaded
    static constexpr int kReaderEntryMissing = -7700;  // one of its two entries is missing
    static constexpr int kNoPictureMemory = -7702;     // the frame can't be allocated

    // `path`: the JPEG file, UTF-16.
    explicit CIFLoader(std::u16string path);
    ~CIFLoader() override;

    // A picture has no window: 0, 0.
    void GetWindowSize(int& width, int& height) override;
    // 1 or 2: 16 bits per pixel (2 = 5-6-5); 3, 4, 5: 32 bits. Applies at the next Open.
    void SetColorFormat(COLOR_FORMAT format) override;
    // Reads and fits the picture into a width x height frame (0 or less: as
    // large as the fitted picture in that direction). Returns 0 or a
    // negative code (see above, and the reader's kQuillet* results).
    int Open(CaptureCallback callback, void* context, int width, int height) override;
    // Row length in pixels (rows padded to 4 bytes) and frame height.
    void GetFrameBufSize(int& width, int& height) override;
    // Queue one delivery of the picture; false before a successful Open.
    bool Start() override;
    void RefreshScreen() override;
    void Pause() override;
    void Resume() override;
    STATUS GetStatus() override;
    // Status stopped; a delivery not yet begun is dropped.
    void Stop() override;
    // Stop, wait for a delivery in progress, unload the reader, free the picture.
    void Close() override;
    // 32: colour format 3; 16: format 2 with the 565 flag, else 1.
    void SetBitCount(unsigned short bits) override;
    void Set16BitRGB(bool on) override;

    // Frame and picture geometry of the last successful Open (for logs and tests).
    int FrameWidth() const;
    int FrameHeight() const;
    int DrawnWidth() const;
    int DrawnHeight() const;

private:
    void Run();
    bool RequestDelivery();
    void StopThread();
    int LoadReader();

    const std::u16string m_path;
    const std::string m_pathText;  // the path as UTF-8, for log lines

    mutable std::mutex m_lock;  // guards everything below except the reader entries
    std::condition_variable m_wake;
    std::unique_ptr<std::thread> m_thread;
    bool m_quit = false;
    bool m_deliveryWanted = false;
    STATUS m_status = STATUS_STOPPED;
    unsigned short m_bits = 32;
    bool m_565 = false;
    uint32_t m_colorFormat = COLOR_FORMAT_BGRX;
    CaptureCallback m_callback = nullptr;
    void* m_context = nullptr;
    std::vector<unsigned char> m_picture;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    int m_drawnWidth = 0;
    int m_drawnHeight = 0;
    int m_strideInPixels = 0;

    // Owned by the operations (the owner's thread), not by the delivery thread.
    std::unique_ptr<platform::DynamicLibrary> m_reader;
    GetJpegHeaderFn m_getJpegHeader = nullptr;
    LoadJpegFileZFn m_loadJpegFileZ = nullptr;
};
