// The facade's media session: the two media streams it drives (the screen
// video stream and the local web server's files), the file and the URL the
// receiver was given, the last known position and the ports in use.
//
// Not the media operations: the facade asks the receiver and decides; this
// object only keeps what a play leaves behind, and builds the URLs the
// receiver fetches ("http://%03d.%03d.%03d.%03d:%d<path>" for files,
// "mmsh://%03d.%03d.%03d.%03d:%d" for the screen stream).
//
// THREADING: any thread; the texts are guarded by a lock of their own, the
// numbers are atomics. The streams are used under the facade's operation
// lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class VideoFileStream;
class VideoScreenStream;

class MediaSession {
public:
    MediaSession();
    ~MediaSession();
    MediaSession(const MediaSession&) = delete;
    MediaSession& operator=(const MediaSession&) = delete;

    VideoScreenStream& ScreenStream() { return *m_screenStream; }
    // Replaces the screen stream (tests give one with a helper folder of
    // their own). Only while none runs.
    void SetScreenStreamForTest(std::unique_ptr<VideoScreenStream> stream);
    VideoFileStream& FileStream() { return *m_fileStream; }

    // The file being played and the full URL the receiver was given.
    void SetPlaying(const std::wstring& file, const std::string& url);
    std::wstring File();
    std::string Url();
    // Forgets the file and the URL.
    void Clear();

    // The position known last (the answer of the last progress request).
    void SetProgress(int position) { m_progress = position; }
    int Progress() const { return m_progress.load(); }

    // The port FindVideoPort found, and the port of the screen stream.
    void SetFoundVideoPort(uint16_t port) { m_videoPort = port; }
    uint16_t FoundVideoPort() const { return m_videoPort.load(); }
    void SetScreenPort(uint16_t port) { m_screenPort = port; }
    uint16_t ScreenPort() const { return m_screenPort.load(); }

    // How many 30 ms steps the screen stream settles before the receiver is
    // asked to play it.
    void SetScreenSettleSteps(int steps) { m_screenSettleSteps = steps; }
    int ScreenSettleSteps() const { return m_screenSettleSteps.load(); }

    // Process-wide: set by the first successful port search of any facade.
    static bool VideoPortFound();
    static void SetVideoPortFound(bool found);

    // The URLs of a served file and of the screen stream on `localIPv4`
    // (network order).
    static std::string FileUrl(uint32_t localIPv4, uint16_t port, const std::string& urlPath);
    static std::string ScreenVideoUrl(uint32_t localIPv4, uint16_t port);

private:
    std::unique_ptr<VideoScreenStream> m_screenStream;
    std::unique_ptr<VideoFileStream> m_fileStream;
    std::mutex m_lock;  // guards the two texts
    std::wstring m_file;
    std::string m_url;
    std::atomic<int> m_progress{0};
    std::atomic<uint16_t> m_videoPort{0};
    std::atomic<uint16_t> m_screenPort{0};
    std::atomic<int> m_screenSettleSteps{150};
};
