// The command channel as the simulated receiver sees it, taken from the wire
// tables alone (the sender's code is not used, so that a mistake in one is
// not silently shared by the other).
//
// A frame is "vrpcmd\0\0", a code byte and a payload whose length the code
// fixes (for a few codes through a length field inside the payload). The
// keep-alive is "vrpalive" followed by "ROCK" (sender) or "ROLL" (receiver).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace receiver_sim::wire {

constexpr std::string_view kCmdPrefix{"vrpcmd\0\0", 8};
constexpr std::string_view kAlivePrefix{"vrpalive", 8};
constexpr std::string_view kRock{"ROCK", 4};
constexpr std::string_view kRoll{"ROLL", 4};

// Requests of the sender; each answer is the code plus one.
enum Request : uint8_t {
    kGetDeviceCap = 0x80,
    kGetDeviceStatus = 0x82,
    kLogin = 0x84,
    kStartPlayImage = 0x86,
    kStopPlayImage = 0x88,
    kCheckNCC = 0x8a,
    kStartPlayAckImage = 0x8c,
    kSetPreBufTime = 0x8e,
    kConnectToDeviceThruIP = 0x90,
    kLoginEx = 0x92,
    kPausePlayImage = 0x94,
    kChangeValue = 0x96,
    kGetValue = 0x98,
    kHideScreen = 0x9c,
    kTestPort = 0x9e,
    kPlayVideo = 0xa0,
    kStopVideo = 0xa2,
    kPauseVideo = 0xa4,
    kSetVideoVol = 0xa8,
    kSeekVideo = 0xaa,
    kGetVideoPos = 0xac,
    kPlayAudio = 0xae,
    kSupervisorLogin = 0xb0,
    kGetKey = 0xb2,
    kClearScreen = 0xb6,
    kGetVideoDuration = 0xb8,
    kSetFrameBuffer = 0xba,
    kGetSenderCount = 0xbc,
    kSetPenAttribute = 0xbe,
    kForwardMessage = 0xc0,
};

// Input frames of the sender that get no answer.
enum Input : uint8_t {
    kMouseInput = 0xf2,    // 4 bytes
    kTouchInput = 0xf3,    // 7 bytes
    kLockKeyInput = 0xf4,  // 3 bytes
    kGenericInput = 0xf6,  // 8 bytes
};

// Events of the receiver; the sender acknowledges with the code plus one.
enum Event : uint8_t {
    kEvRefreshScreen = 0x70,   // 15 bytes; acknowledged with 14 more bytes
    kEvLogin = 0x84,           // 80 bytes, login code text at 52
    kEvStartPlayImage = 0x86,  // 1
    kEvStopPlayImage = 0x88,   // 1
    kEvPausePlayImage = 0x94,  // 1
    kEvChangeValue = 0x96,     // 64
    kEvDeviceNotice = 0x9a,    // 1
    kEvStopVideo = 0xa2,       // 263
    kEvForwardMessage = 0xc0,  // 32-byte header + data; answered with 0xc1
    kEvSidebar = 0xc3,         // 1
    kEvRelay = 0xf0,           // 7
    kEvKeyboard = 0xf1,        // 19
    kEvMouse = 0xf2,           // 7
    kEvTouch = 0xf3,           // 7
    kEvStringInput = 0xf5,     // 16-byte header + text
};

// Sizes of forwarded messages and replies that the simulator accepts.
constexpr uint32_t kMaxForwardSize = 1024 * 1024;

}  // namespace receiver_sim::wire
