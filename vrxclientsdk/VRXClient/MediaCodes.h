// Codes and numbers of the facade's media operations: the answers of the
// receiver's media requests, the port test's results and the port search.
#pragma once

#include <cstdint>
#include <random>

namespace media {

// Answers of the media requests.
constexpr int kAnswerRefused = 0;
constexpr int kAnswerAccepted = 1;
constexpr int kAnswerBusy = 2;
constexpr int kAnswerConference = 255;

// Port test results that mean "try another port".
constexpr int kTestPortNoSocket = 10;
constexpr int kTestPortNoBind = 20;
constexpr int kTestPortNoListen = 30;
constexpr int kTestPortUnreachable = 40;

// Port searches: each later try moves on by 1 to 999 ports.
constexpr unsigned kPortStepSpan = 999;

// The generator of a port search, seeded from the clock and the process.
std::minstd_rand PortSearchGenerator();

}  // namespace media
