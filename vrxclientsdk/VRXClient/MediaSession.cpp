#include "vrxclientsdk/VRXClient/MediaSession.h"

#include <cstdio>
#include <cstring>

#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"
#include "vrxclientsdk/VRXClient/media/VideoScreenStream.h"

namespace {

std::atomic<bool> g_videoPortFound{false};

// "%03d.%03d.%03d.%03d:%d" of an address in network order and a port: the
// receivers take the zero-padded form.
std::string PaddedAddress(uint32_t localIPv4, uint16_t port) {
    uint8_t a[4];
    std::memcpy(a, &localIPv4, sizeof a);
    char text[32];
    std::snprintf(text, sizeof text, "%03d.%03d.%03d.%03d:%d", a[0], a[1], a[2], a[3], port);
    return text;
}

}  // namespace

MediaSession::MediaSession()
    : m_screenStream(std::make_unique<VideoScreenStream>()),
      m_fileStream(std::make_unique<VideoFileStream>()) {}

MediaSession::~MediaSession() = default;

void MediaSession::SetScreenStreamForTest(std::unique_ptr<VideoScreenStream> stream) {
    m_screenStream = std::move(stream);
}

void MediaSession::SetPlaying(const std::wstring& file, const std::string& url) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_file = file;
    m_url = url;
}

std::wstring MediaSession::File() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file;
}

std::string MediaSession::Url() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_url;
}

void MediaSession::Clear() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_file.clear();
    m_url.clear();
}

bool MediaSession::VideoPortFound() {
    return g_videoPortFound.load();
}

void MediaSession::SetVideoPortFound(bool found) {
    g_videoPortFound = found;
}

std::string MediaSession::FileUrl(uint32_t localIPv4, uint16_t port, const std::string& urlPath) {
    return "http://" + PaddedAddress(localIPv4, port) + urlPath;
}

std::string MediaSession::ScreenVideoUrl(uint32_t localIPv4, uint16_t port) {
    return "mmsh://" + PaddedAddress(localIPv4, port);
}
