#include "vrxclientsdk/VRXClient/media/k7rm/ScreenEncoder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace {

constexpr char kFfmpeg[] = "/usr/bin/ffmpeg";
// Ten frames a second with a key frame every second: a player that joins
// sees a picture within a second, at a bit rate a LAN carries easily.
constexpr char kFrameRate[] = "10";
constexpr char kKeyFrameInterval[] = "10";
constexpr char kBitRate[] = "2M";
// Small packets leave the pipe soon even when little changes on the screen.
constexpr char kPacketSize[] = "1400";
// How long the encoder may take to stop before it is killed.
constexpr uint32_t kStopGraceMs = 1000;

}  // namespace

std::unique_ptr<ScreenEncoder> ScreenEncoder::Start(const std::string& display,
                                                    const ScreenRect& rect, std::string* error) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return nullptr;
    }
    const std::vector<std::string> args = {
        "-nostdin",
        "-loglevel",
        "error",
        // The capture's format is known: no probing of the first frames
        // (which would delay the stream's start by two seconds).
        "-probesize",
        "32",
        "-analyzeduration",
        "0",
        "-f",
        "x11grab",
        "-framerate",
        kFrameRate,
        "-video_size",
        std::to_string(rect.width) + "x" + std::to_string(rect.height),
        "-i",
        display + "+" + std::to_string(rect.x) + "," + std::to_string(rect.y),
        "-c:v",
        "wmv2",
        "-b:v",
        kBitRate,
        "-g",
        kKeyFrameInterval,
        "-f",
        "asf",
        "-packet_size",
        kPacketSize,
        "-flush_packets",
        "1",
        "pipe:1",
    };
    int spawnError = 0;
    auto process = platform::ChildProcess::Start(kFfmpeg, args, &spawnError, pipeFds[1]);
    ::close(pipeFds[1]);
    if (!process) {
        ::close(pipeFds[0]);
        *error = std::string(kFfmpeg) + ": " + std::strerror(spawnError);
        return nullptr;
    }
    ::fcntl(pipeFds[0], F_SETFL, ::fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<ScreenEncoder>(new ScreenEncoder(std::move(process), pipeFds[0]));
}

// The pipe stays open while the encoder finishes, so that it ends without
// a write error; one that blocks on a full pipe is killed after the grace.
ScreenEncoder::~ScreenEncoder() {
    m_process->Terminate(kStopGraceMs);
    ::close(m_output);
}
