// What the media library says about a file, and the rules that decide
// whether the receivers can play it: the supported video codecs, the audio
// codec list rule, encryption and the play time. MediaInfoProbe reads the
// facts through the MediaInfo library, loaded at run time
// ("libmediainfo.so.0"); without it there is no probe and files go
// unchecked.
//
// THREADING: one probe per thread; the rules are pure functions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class DynamicLibrary;
}

namespace pemuapp {

enum class MediaStream { kGeneral = 0, kVideo = 1, kAudio = 2 };

class MediaFacts {
public:
    virtual ~MediaFacts() = default;
    // False when the file cannot be read as media.
    virtual bool Open(const std::string& path) = 0;
    // The value of `key` in stream 0 of `stream`; empty when none.
    virtual std::string Get(MediaStream stream, const std::string& key) = 0;
};

class MediaInfoProbe final : public MediaFacts {
public:
    // Null (the reason in *error) when the library cannot be loaded.
    static std::unique_ptr<MediaInfoProbe> Create(std::string* error = nullptr);
    ~MediaInfoProbe() override;

    bool Open(const std::string& path) override;
    std::string Get(MediaStream stream, const std::string& key) override;

private:
    using NewFn = void* (*)();
    using OpenFn = size_t (*)(void*, const char*);
    using GetFn = const char* (*)(void*, int, size_t, const char*, int, int);
    using DeleteFn = void (*)(void*);

    explicit MediaInfoProbe(std::unique_ptr<platform::DynamicLibrary> library);

    std::unique_ptr<platform::DynamicLibrary> m_library;
    OpenFn m_open = nullptr;
    GetFn m_get = nullptr;
    DeleteFn m_delete = nullptr;
    void* m_handle = nullptr;
};

// The last three characters of `path`, lower-cased (".MPEG" gives "peg").
std::string MediaExtension(const std::string& path);
bool IsMediaEncrypted(MediaFacts& facts);
bool IsVideoCodecSupported(MediaFacts& facts);
bool IsAudioCodecListSupported(MediaFacts& facts);
// The play time in milliseconds; 0 when unknown.
int64_t GetMediaPlayTime(MediaFacts& facts);

}  // namespace pemuapp
