// ffmpeg_baseline: the same scene captured and encoded by ffmpeg (x11grab
// with libx264 ultrafast/zerolatency, or mjpeg), for comparison with
// mirror_bench. Prints one JSON line with what can be measured from the
// outside: frames per second, ffmpeg's CPU per frame and per second, bytes
// per frame and bits per second, and for H.264 x264's own PSNR of the coded
// pictures against their input (the measure mirror_bench reports for its
// stream). --crf N sets x264's rate factor (default 23), so that the two can
// be compared at equal PSNR.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/mirror_rig.h"
#include "tests/support/TempDir.h"

int main(int argc, char** argv) {
    bench::BenchOptions o;
    o.coding = "h264";
    std::string error;
    if (!bench::ParseBenchOptions(argc, argv, &o, &error) ||
        (o.coding != "h264" && o.coding != "jpeg")) {
        std::fprintf(
            stderr,
            "ffmpeg_baseline: %s\nusage: ffmpeg_baseline [--coding h264|jpeg] "
            "[--scene static|typing|scroll|motion] [--size WxH] [--seconds N] [--display :N] "
            "[--crf N] [--sender-cpus LIST]\n",
            error.empty() ? "coding must be h264 or jpeg" : error.c_str());
        return 2;
    }
    bench::MirrorRig rig;
    if (!rig.Start(o, false, &error)) {
        std::fprintf(stderr, "ffmpeg_baseline: %s\n", error.c_str());
        return 1;
    }
    const std::string& display = rig.Display();
    testsupport::TempDir dir;
    const std::string output = dir.File(o.coding == "h264" ? "out.h264" : "out.mjpeg");
    const std::string progress = dir.File("progress.txt");
    const std::string log = dir.File("log.txt");
    std::vector<std::string> args = {"ffmpeg",
                                     "-hide_banner",
                                     "-loglevel",
                                     "info",
                                     "-nostdin",
                                     "-f",
                                     "x11grab",
                                     "-draw_mouse",
                                     "0",
                                     "-framerate",
                                     "60",
                                     "-video_size",
                                     std::to_string(o.width) + "x" + std::to_string(o.height),
                                     "-i",
                                     display,
                                     "-t",
                                     std::to_string(o.seconds)};
    if (o.coding == "h264") {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-tune", "zerolatency",
                                 "-crf", std::to_string(o.crf), "-flags", "+psnr", "-f", "h264"});
    } else {
        args.insert(args.end(), {"-c:v", "mjpeg", "-q:v", "5", "-f", "mjpeg"});
    }
    args.insert(args.end(), {"-progress", progress, "-y", output});

    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv2;
        for (std::string& a : args) {
            argv2.push_back(a.data());
        }
        argv2.push_back(nullptr);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, 2);
        }
        std::string why;
        if (!o.senderCpus.empty() && !bench::PinToCpus(o.senderCpus, &why)) {
            std::fprintf(stderr, "ffmpeg_baseline: %s\n", why.c_str());
            _exit(126);
        }
        execvp("ffmpeg", argv2.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "ffmpeg_baseline: ffmpeg failed (status %d)\n%s", status,
                     testsupport::ReadFile(log).c_str());
        return 1;
    }
    rig.Scene().Stop();
    // The progress file's last "frame=" line counts the frames encoded.
    long frames = 0;
    std::ifstream in(progress);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("frame=", 0) == 0) {
            frames = std::atol(line.c_str() + 6);
        }
    }
    // x264's summary: "PSNR Mean Y:.. U:.. V:.. Avg:.. Global:.. kb/s:..".
    std::string psnr = "null";
    std::ifstream logIn(log);
    for (std::string line; std::getline(logIn, line);) {
        const size_t at = line.find("Global:");
        if (line.find("PSNR Mean") != std::string::npos && at != std::string::npos) {
            psnr = std::to_string(std::atof(line.c_str() + at + 7));
            psnr.resize(psnr.find('.') + 3);
        }
    }
    struct stat info {};
    stat(output.c_str(), &info);
    const double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    auto per = [&](double v) -> std::string {
        if (frames <= 0) {
            return "null";
        }
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", v / static_cast<double>(frames));
        return text;
    };
    std::printf(
        "{\"coding\":\"ffmpeg-%s\",\"scene\":\"%s\",\"size\":\"%dx%d\",\"fps\":%.2f,"
        "\"cpu_ms_per_frame\":%s,\"cpu_ms_per_second\":%.2f,\"bytes_per_frame\":%s,"
        "\"mbit_per_second\":%.2f,\"crf\":%s,\"stream_psnr_db\":%s}\n",
        o.coding == "h264" ? "x264" : "mjpeg", bench::ScenePlayer::Name(o.scene), o.width, o.height,
        static_cast<double>(frames) / o.seconds, per(cpu).c_str(), cpu / o.seconds,
        per(static_cast<double>(info.st_size)).c_str(),
        static_cast<double>(info.st_size) * 8 / 1e6 / o.seconds,
        o.coding == "h264" ? std::to_string(o.crf).c_str() : "null", psnr.c_str());
    return 0;
}
