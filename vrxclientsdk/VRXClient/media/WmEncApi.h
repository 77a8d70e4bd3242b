// The entries of the Windows Media Encoder front end "wmencom", which the
// screen video stream prefers to its helper program. No such module exists
// on this system; the stream looks for it by name all the same, so that the
// helper program is used only when it is missing.
#pragma once

#include <cstdint>

extern "C" {
// Serves the rectangle as an MMS-over-HTTP stream on `port`; a negative
// result is a failure. a and b are the caller's option bytes.
using StartWMEncExFn = int (*)(int x, int y, int width, int height, uint16_t port, uint8_t a,
                               uint8_t b);
using StopWMEncFn = void (*)();
}

constexpr char kWmEncModuleName[] = "wmencom";
constexpr char kStartWMEncExEntry[] = "StartWMEncEx";
constexpr char kStopWMEncEntry[] = "StopWMEnc";
