// mirror_demo: mirrors a moving Xvfb screen to the receiver simulator for a
// few seconds and writes the simulator's last decoded picture as a PNG.
// With --receiver ADDR it mirrors to that receiver instead (no PNG then),
// through the client facade: login (--code), start, stop and logout.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "bench/bench_options.h"
#include "bench/facade_mirror.h"
#include "bench/mirror_rig.h"
#include "bench/mirror_sender.h"
#include "tests/receiver/image/CanvasPng.h"

namespace {

// Mirrors to a receiver through the client facade, as the application does.
int MirrorToReceiver(const bench::BenchOptions& o, bench::MirrorRig& rig,
                     const std::string& display) {
    bench::FacadeMirror mirror;
    std::string error;
    if (!mirror.Start(display, rig.Address(), o.code, o.codingGiven ? o.CodingValue() : 0,
                      &error)) {
        std::fprintf(stderr, "mirror_demo: %s\n", error.c_str());
        return 1;
    }
    const int coding = mirror.CodingInUse();
    std::printf("mirror_demo: projecting %s (%dx%d, %s scene) to %s with coding %d for %d s\n",
                display.c_str(), o.width, o.height, bench::ScenePlayer::Name(o.scene),
                rig.Address().c_str(), coding, o.seconds);
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    rig.Scene().Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the last frames land
    const int losses = mirror.Losses();
    mirror.Stop();
    if (losses > 0) {
        std::fprintf(stderr, "mirror_demo: the receiver was lost during projection\n");
        return 1;
    }
    std::printf("mirror_demo: stopped and logged out\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bench::BenchOptions o;
    o.scene = bench::ScenePlayer::Scene::kMotion;
    o.width = 1280;
    o.height = 720;
    o.seconds = 3;
    o.out = "mirror_demo.png";
    std::string error;
    if (!bench::ParseBenchOptions(argc, argv, &o, &error) || o.CodingValue() == 0) {
        std::fprintf(stderr,
                     "mirror_demo: %s\nusage: mirror_demo [--coding raw|jpeg|h264] "
                     "[--scene static|typing|scroll|motion] [--size WxH] [--seconds N] "
                     "[--display :N] [--receiver ADDR [--code CODE]] [--out FILE.png]\n",
                     error.empty() ? "unknown coding" : error.c_str());
        return 2;
    }
    bench::MirrorRig rig;
    if (!rig.Start(o, true, &error)) {
        std::fprintf(stderr, "mirror_demo: %s\n", error.c_str());
        return 1;
    }
    const std::string& display = rig.Display();
    if (!rig.UsesSimulator()) {
        return MirrorToReceiver(o, rig, display);
    }
    bench::MirrorSender sender;
    if (!sender.Start(display, rig.Address(), rig.Ports(), o.CodingValue(), o.width, o.height,
                      &error)) {
        std::fprintf(stderr, "mirror_demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("mirror_demo: mirroring %s (%dx%d, %s scene) with %s for %d s\n", display.c_str(),
                o.width, o.height, bench::ScenePlayer::Name(o.scene), o.coding.c_str(), o.seconds);
    std::this_thread::sleep_for(std::chrono::seconds(o.seconds));
    rig.Scene().Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the last frames land
    const int frames = sender.FrameCount();
    const double bytes = sender.BytesSent();
    sender.Stop();
    std::printf("mirror_demo: %d frames captured, %.0f bytes sent\n", frames, bytes);
    if (!rig.UsesSimulator()) {
        return 0;
    }
    bench::ReceiverProcess::Result result;
    if (!rig.Receiver().Finish(&result)) {
        std::fprintf(stderr, "mirror_demo: the receiver simulator failed\n");
        return 1;
    }
    if (!result.error.empty()) {
        std::fprintf(stderr, "mirror_demo: receiver: %s\n", result.error.c_str());
        return 1;
    }
    if (!receiver::WriteCanvasPng(result.canvas, o.out, &error)) {
        std::fprintf(stderr, "mirror_demo: %s\n", error.c_str());
        return 1;
    }
    std::printf("mirror_demo: %zu messages decoded; the receiver's last picture is in %s\n",
                result.messages.size(), o.out.c_str());
    return 0;
}
