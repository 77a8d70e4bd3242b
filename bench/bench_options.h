// Command-line switches shared by the demo and the benchmark programs.
#pragma once

#include <string>

#include "bench/scene_player.h"

namespace bench {

struct BenchOptions {
    std::string coding = "jpeg";  // raw | jpeg | h264 (mjpeg and x264 for the ffmpeg baseline)
    bool codingGiven = false;     // --coding was on the command line
    ScenePlayer::Scene scene = ScenePlayer::Scene::kTyping;
    int width = 1920;
    int height = 1080;
    int seconds = 5;
    std::string display;   // an X display to use instead of starting Xvfb
    std::string receiver;  // an external receiver's address instead of the simulator
    std::string out;       // the demo's PNG file
    std::string code;      // the login code for --receiver (empty: the default code)
    int crf = 23;          // the ffmpeg baseline's x264 rate factor

    // The image channel's coding value: 2 raw (LZO), 4 JPEG, 7 H.264; 0 when unknown.
    int CodingValue() const;
};

// Parses argv; on a bad or unknown switch returns false with the reason.
bool ParseBenchOptions(int argc, char** argv, BenchOptions* options, std::string* error);

}  // namespace bench
