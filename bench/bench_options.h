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
    // CPUs ("6,7", "6-7") for the measured sender (the channel's process, or
    // ffmpeg) alone, while the screen, the scene and the receiver stay where
    // the program was started; empty: no change.
    std::string senderCpus;

    // The image channel's coding value: 2 raw (LZO), 4 JPEG, 7 H.264; 0 when unknown.
    int CodingValue() const;
};

// Moves the calling process (its threads made afterwards too) to the CPUs
// of `list` ("6,7", "0-3,6"). False with the reason when the list is bad or
// the system refuses.
bool PinToCpus(const std::string& list, std::string* error);

// Parses argv; on a bad or unknown switch returns false with the reason.
bool ParseBenchOptions(int argc, char** argv, BenchOptions* options, std::string* error);

}  // namespace bench
