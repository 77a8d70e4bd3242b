// mirror_bench: measures mirroring of one scene with one coding.
//
// Starts its own Xvfb (or uses --display), plays the scene in a child
// process, runs the sender (capture, image channel) against the receiver
// simulator in another child process (or an external receiver, --receiver),
// and after --seconds prints one JSON line: frames per second delivered, CPU
// of this (the sender's) process per frame and per second, bytes per frame
// and bits per second on the wire, capture-to-acknowledgement latency
// p50/p95 and the PSNR of the final canvas. For H.264 also the PSNR of the
// coded stream against the captured pictures over the measured seconds (the
// encoder's own measure, as x264 gives it to ffmpeg); for JPEG the floor:
// TurboJPEG's CPU time to code the final screen alone at the channel's
// settings, and the sender's CPU per frame as a multiple of it.
#include <sys/resource.h>
#include <time.h>
#include <turbojpeg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>

#include "bench/bench_options.h"
#include "bench/mirror_rig.h"
#include "bench/mirror_sender.h"
#include "platform/clock.h"
#include "platform/dynload.h"
#include "tests/support/XScreenDrawer.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

namespace {

double CpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string Number(std::optional<double> v, const char* format = "%.2f") {
    if (!v) {
        return "null";
    }
    char text[64];
    std::snprintf(text, sizeof text, format, *v);
    return text;
}

std::optional<double> Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const size_t i =
        std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5));
    return values[i];
}

double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// TurboJPEG's CPU milliseconds to code `pixels` (B, G, R, X rows) as the
// image channel does (quality 85, 4:2:0, fast DCT); the median of some runs.
std::optional<double> JpegFloorMs(const std::vector<uint8_t>& pixels, int width, int height) {
    tjhandle handle = tjInitCompress();
    if (!handle) {
        return std::nullopt;
    }
    std::vector<unsigned char> out(tjBufSize(width, height, TJSAMP_420));
    std::vector<double> times;
    for (int i = 0; i < 41; ++i) {
        unsigned char* dst = out.data();
        unsigned long size = out.size();
        const double start = ThreadCpuMs();
        if (tjCompress2(handle, pixels.data(), width, width * 4, height, TJPF_BGRX, &dst, &size,
                        TJSAMP_420, 85, TJFLAG_FASTDCT | TJFLAG_NOREALLOC) != 0) {
            tjDestroy(handle);
            return std::nullopt;
        }
        times.push_back(ThreadCpuMs() - start);
    }
    tjDestroy(handle);
    return Percentile(times, 0.5);
}

}  // namespace

int main(int argc, char** argv) {
    bench::BenchOptions o;
    std::string error;
    if (!bench::ParseBenchOptions(argc, argv, &o, &error) || o.CodingValue() == 0) {
        std::fprintf(stderr,
                     "mirror_bench: %s\nusage: mirror_bench [--coding raw|jpeg|h264] "
                     "[--scene static|typing|scroll|motion] [--size WxH] [--seconds N] "
                     "[--display :N] [--receiver ADDR] [--sender-cpus LIST]\n",
                     error.empty() ? "unknown coding" : error.c_str());
        return 2;
    }
    // Children first: they fork, and this process has no threads yet.
    bench::MirrorRig rig;
    if (!rig.Start(o, true, &error)) {
        std::fprintf(stderr, "mirror_bench: %s\n", error.c_str());
        return 1;
    }
    // The sender alone moves; the children stay where they were started.
    if (!o.senderCpus.empty() && !bench::PinToCpus(o.senderCpus, &error)) {
        std::fprintf(stderr, "mirror_bench: %s\n", error.c_str());
        return 1;
    }
    const std::string& display = rig.Display();
    // The same module the channel loads: its PSNR tally is the channel's.
    std::unique_ptr<platform::DynamicLibrary> vemrin;
    VemrinMeasuredPsnrFn measuredPsnr = nullptr;
    if (o.coding == "h264") {
        vemrin = platform::DynamicLibrary::Load(kVemrinModuleName);
        auto measure =
            vemrin ? vemrin->Entry<VemrinMeasurePsnrFn>(kVemrinMeasurePsnrEntry) : nullptr;
        measuredPsnr =
            vemrin ? vemrin->Entry<VemrinMeasuredPsnrFn>(kVemrinMeasuredPsnrEntry) : nullptr;
        if (measure && measuredPsnr) {
            measure(1);
        }
    }
    bench::MirrorSender sender;
    if (!sender.Start(display, rig.Address(), rig.Ports(), o.CodingValue(), o.width, o.height,
                      &error)) {
        std::fprintf(stderr, "mirror_bench: %s\n", error.c_str());
        return 1;
    }
    SleepMs(1000);  // the start refreshes and the encoders' start-up stay out of the numbers
    const uint64_t t0 = platform::NowMs();
    const double cpu0 = CpuMs();
    const int frames0 = sender.FrameCount();
    const double bytes0 = sender.BytesSent();
    if (measuredPsnr) {
        measuredPsnr(nullptr, nullptr);  // from here on
    }
    SleepMs(o.seconds * 1000);
    const uint64_t t1 = platform::NowMs();
    std::optional<double> streamPsnr;
    if (measuredPsnr) {
        double value = 0;
        long long pictures = 0;
        measuredPsnr(&value, &pictures);
        if (pictures > 0) {
            streamPsnr = value;
        }
    }
    const double cpu = CpuMs() - cpu0;
    const int senderFrames = sender.FrameCount() - frames0;
    const double senderBytes = sender.BytesSent() - bytes0;
    rig.Scene().Stop();
    SleepMs(1500);  // the last frames, and JPEG's quality-100 pass over still areas
    const std::vector<bench::MirrorSender::Ack> acks = sender.Acks();
    sender.Stop();

    const double seconds = static_cast<double>(t1 - t0) / 1000.0;
    std::optional<double> fps, cpuPerFrame, bytesPerFrame, mbitPerSecond, p50, p95, psnr;
    std::optional<double> jpegFloor, floorRatio;
    if (rig.UsesSimulator()) {
        bench::ReceiverProcess::Result result;
        if (!rig.Receiver().Finish(&result)) {
            std::fprintf(stderr, "mirror_bench: the receiver simulator failed\n");
            return 1;
        }
        if (!result.error.empty()) {
            std::fprintf(stderr, "mirror_bench: receiver: %s\n", result.error.c_str());
            return 1;
        }
        std::unordered_map<uint32_t, uint64_t> ackAt;
        for (const auto& a : acks) {
            ackAt.emplace(a.serial, a.atMs);
        }
        // Messages of blocks captured inside the window (et is the capture
        // time, the low 32 bits of the same monotonic clock).
        const uint32_t from = static_cast<uint32_t>(t0);
        const uint32_t span = static_cast<uint32_t>(t1 - t0);
        // A block is one message, or the strips a large raw block was cut
        // into: those after the first carry et 0 and the block's fsn/ftot.
        // A frame ends with its block fsn = ftot; its latency runs from
        // capture to the acknowledgement of its last message.
        size_t frames = 0;
        double bytes = 0;
        std::vector<double> latencies;
        auto finishBlock = [&](const receiver::ImageBlockHeader* last, uint32_t et) {
            if (!last || et - from > span || last->fsn < last->ftot) {
                return;
            }
            ++frames;
            if (auto it = ackAt.find(last->serial); it != ackAt.end()) {
                latencies.push_back(static_cast<uint32_t>(it->second) - et);
            }
        };
        const receiver::ImageBlockHeader* last = nullptr;
        uint32_t et = 0;
        for (const auto& m : result.messages) {
            if (m.et != 0) {
                finishBlock(last, et);
                et = m.et;
            }
            last = &m;
            if (et - from <= span) {
                bytes += 88.0 + m.length;
            }
        }
        finishBlock(last, et);
        fps = frames / seconds;
        mbitPerSecond = bytes * 8 / 1e6 / seconds;
        if (frames > 0) {
            cpuPerFrame = cpu / static_cast<double>(frames);
            bytesPerFrame = bytes / static_cast<double>(frames);
        }
        p50 = Percentile(latencies, 0.50);
        p95 = Percentile(latencies, 0.95);
        testsupport::XScreenDrawer grab(display);
        const std::vector<uint8_t> screen = grab.Grab(o.width, o.height);
        receiver::Canvas reference(o.width, o.height);
        reference.Put(0, 0, o.width, o.height, screen.data(), static_cast<size_t>(o.width) * 4);
        psnr = receiver::Psnr(result.canvas, 0, 0, reference, 0, 0, o.width, o.height);
        if (o.coding == "jpeg") {
            jpegFloor = JpegFloorMs(screen, o.width, o.height);
            if (jpegFloor && cpuPerFrame && *jpegFloor > 0) {
                floorRatio = *cpuPerFrame / *jpegFloor;
            }
        }
    } else {
        // An external receiver: what the sender itself can count.
        fps = senderFrames / seconds;
        if (senderFrames > 0) {
            cpuPerFrame = cpu / senderFrames;
            bytesPerFrame = senderBytes / senderFrames;
        }
        mbitPerSecond = senderBytes * 8 / 1e6 / seconds;
    }
    std::printf(
        "{\"coding\":\"%s\",\"scene\":\"%s\",\"size\":\"%dx%d\",\"fps\":%s,\"cpu_ms_per_frame\":%s,"
        "\"cpu_ms_per_second\":%s,\"bytes_per_frame\":%s,\"mbit_per_second\":%s,"
        "\"latency_p50_ms\":%s,\"latency_p95_ms\":%s,\"psnr_db\":%s,\"stream_psnr_db\":%s,"
        "\"jpeg_floor_ms\":%s,\"floor_ratio\":%s}\n",
        o.coding.c_str(), bench::ScenePlayer::Name(o.scene), o.width, o.height, Number(fps).c_str(),
        Number(cpuPerFrame).c_str(), Number(cpu / seconds).c_str(),
        Number(bytesPerFrame, "%.0f").c_str(), Number(mbitPerSecond).c_str(),
        Number(p50, "%.0f").c_str(), Number(p95, "%.0f").c_str(), Number(psnr).c_str(),
        Number(streamPsnr).c_str(), Number(jpegFloor).c_str(), Number(floorRatio).c_str());
    return 0;
}
