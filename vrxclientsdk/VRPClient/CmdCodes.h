// Codes, payload sizes and limits of the command channel.
//
// A command frame is the 8-byte prefix "vrpcmd\0\0", one code byte and a
// payload whose length the code fixes. A request code is even; its answer is
// the request code plus one. The sender acknowledges a device event with the
// event code plus one and a result byte. Keep-alive frames use the prefix
// "vrpalive" followed directly by "ROCK" (sender) or "ROLL" (receiver).
#pragma once

#include <cstddef>
#include <cstdint>

namespace cmd {

// --- prefixes and keep-alive ----------------------------------------------
constexpr char kCmdPrefix[8] = {'v', 'r', 'p', 'c', 'm', 'd', 0, 0};
constexpr char kAlivePrefix[8] = {'v', 'r', 'p', 'a', 'l', 'i', 'v', 'e'};
constexpr size_t kPrefixSize = 8;
constexpr char kRock[4] = {'R', 'O', 'C', 'K'};
constexpr char kRoll[4] = {'R', 'O', 'L', 'L'};
constexpr size_t kAliveWordSize = 4;
constexpr size_t kAliveMessageSize = kPrefixSize + kAliveWordSize;  // 12

// --- requests (sender to receiver); the answer is code + 1 -----------------
constexpr uint8_t kGetDeviceCap = 0x80;
constexpr uint8_t kGetDeviceStatus = 0x82;
constexpr uint8_t kLogin = 0x84;
constexpr uint8_t kStartPlayImage = 0x86;
constexpr uint8_t kStopPlayImage = 0x88;
constexpr uint8_t kCheckNCC = 0x8a;
constexpr uint8_t kStartPlayAckImage = 0x8c;
constexpr uint8_t kSetPreBufTime = 0x8e;
constexpr uint8_t kConnectToDeviceThruIP = 0x90;
constexpr uint8_t kLoginEx = 0x92;
constexpr uint8_t kPausePlayImage = 0x94;
constexpr uint8_t kChangeValue = 0x96;
constexpr uint8_t kGetValue = 0x98;
constexpr uint8_t kHideScreen = 0x9c;
constexpr uint8_t kTestPort = 0x9e;
constexpr uint8_t kPlayVideo = 0xa0;
constexpr uint8_t kStopVideo = 0xa2;
constexpr uint8_t kPauseVideo = 0xa4;
constexpr uint8_t kSetVideoVol = 0xa8;
constexpr uint8_t kSeekVideo = 0xaa;
constexpr uint8_t kGetVideoPos = 0xac;
constexpr uint8_t kPlayAudio = 0xae;
constexpr uint8_t kSupervisorLogin = 0xb0;
constexpr uint8_t kGetKey = 0xb2;
constexpr uint8_t kClearScreen = 0xb6;
constexpr uint8_t kGetVideoDuration = 0xb8;
constexpr uint8_t kSetFrameBuffer = 0xba;
constexpr uint8_t kGetSenderCount = 0xbc;
constexpr uint8_t kSetPenAttribute = 0xbe;
constexpr uint8_t kForwardMessage = 0xc0;

constexpr uint8_t AnswerOf(uint8_t code) {
    return static_cast<uint8_t>(code + 1);
}

// --- fire-and-forget frames (sender to receiver) ---------------------------
constexpr uint8_t kMouseInput = 0xf2;
constexpr uint8_t kTouchInput = 0xf3;
constexpr uint8_t kLockKeyInput = 0xf4;
constexpr uint8_t kGenericInput = 0xf6;
constexpr uint8_t kLockKeyTag = 0x11;  // first payload byte of 0xf4

// --- device events (receiver to sender); acknowledged with code + 1 --------
constexpr uint8_t kEvRefreshScreen = 0x70;
constexpr uint8_t kEvLogin = 0x84;
constexpr uint8_t kEvStartPlayImage = 0x86;
constexpr uint8_t kEvStopPlayImage = 0x88;
constexpr uint8_t kEvPausePlayImage = 0x94;
constexpr uint8_t kEvChangeValue = 0x96;
constexpr uint8_t kEvDeviceNotice = 0x9a;
constexpr uint8_t kEvStopVideo = 0xa2;
constexpr uint8_t kEvForwardMessage = 0xc0;
constexpr uint8_t kEvSidebar = 0xc3;
constexpr uint8_t kEvRelay = 0xf0;
constexpr uint8_t kEvKeyboard = 0xf1;
constexpr uint8_t kEvMouse = 0xf2;
constexpr uint8_t kEvTouch = 0xf3;
constexpr uint8_t kEvStringInput = 0xf5;

// The device notice that ends a pre-buffer wait.
constexpr uint8_t kNoticePreBufDone = 0xb6;

// --- payload sizes ----------------------------------------------------------
constexpr size_t kLoginPayload = 60;
constexpr size_t kLoginExPayload = 128;
constexpr size_t kUserNameField = 48;
constexpr size_t kPasswordField = 8;
constexpr size_t kProductIdField = 8;
constexpr size_t kSetPreBufTimePayload = 18;
constexpr size_t kKeyField = 32;  // ChangeValue / GetValue key and value
constexpr size_t kPlayVideoPayload = 260;
constexpr size_t kPlayVideoMaxUrl = kPlayVideoPayload - 4 - 1;  // text and its terminator
constexpr size_t kPlayAudioPayload = 292;
constexpr size_t kPlayAudioUrlField = 256;
constexpr size_t kSupervisorPayload = 20;
constexpr size_t kVideoDurationPayload = 16;
constexpr size_t kFrameBufferPayload = 21;
constexpr size_t kPenPayload = 32;
constexpr size_t kForwardHeader = 32;
constexpr size_t kForwardReplyHeader = 16;
constexpr size_t kStatusBytes = 4;  // the status bytes of StopVideo

// Capability block (answer 0x81).
constexpr size_t kCapHead = 42;  // bytes 0-40 and the count n at 41
constexpr size_t kCapRecordHead = 41;
constexpr size_t kCapGroup = 2;  // a stored byte and the count m
constexpr size_t kCapEntry = 20;
constexpr size_t kCapTrailer = 256;

// Event payloads.
constexpr size_t kRefreshPayload = 15;
constexpr size_t kRefreshReply = 14;  // zero bytes behind the acknowledgement
constexpr size_t kLoginEventPayload = 80;
constexpr size_t kLoginEventCodeOffset = 52;
constexpr size_t kChangeValuePayload = 64;
constexpr size_t kStopVideoPayload = 263;
constexpr size_t kStopVideoUrlOffset = 3;
constexpr size_t kStopVideoUrlField = 256;
constexpr size_t kStopVideoStatusOffset = 259;
constexpr size_t kShortInputPayload = 7;  // relay, mouse, touch
constexpr size_t kKeyboardPayload = 19;
constexpr size_t kStringInputHeader = 16;
constexpr size_t kDeviceRecordPayload = 128;

// --- limits on sizes sent by the receiver ----------------------------------
// A forwarded message or its reply carries short texts (conference data,
// receiver names); anything above this is a broken or hostile peer and fails
// the connection before a byte is allocated for it.
constexpr uint32_t kMaxForwardSize = 1024 * 1024;

// --- time-outs (seconds) ----------------------------------------------------
constexpr int kRequestTimeout = 10;
constexpr int kPlayVideoTimeout = 35;
constexpr int kStopVideoTimeout = 15;
constexpr int kForwardTimeout = 15;
constexpr uint32_t kDefaultAliveTimeout = 20;

}  // namespace cmd
