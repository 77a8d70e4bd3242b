// The decisions of a projection start that depend only on numbers: which
// image coding to use, whether H.264 is worth it, the frame-buffer size to
// ask the receiver for, the bit depth to offer and the pointer frame rate.
//
// Pure functions, no I/O and no locks; the facade gathers the inputs from
// its settings, the receiver's records and the capture size. Any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace projection {

// Image codings of the image channel.
constexpr uint8_t kCodingRaw = 2;   // LZO-compressed pixels
constexpr uint8_t kCodingJpeg = 4;  // JPEG
constexpr uint8_t kCodingH264 = 7;  // H.264

// Play modes: 1 to 4 are the split positions, 0x80 and above full screen.
constexpr uint8_t kModeFullScreen = 0x80;
inline bool IsSplitMode(uint8_t mode) {
    return mode < kModeFullScreen;
}

// Whether H.264 is worth using for a projection.
struct H264Inputs {
    int codingSetting = 0;          // 0 automatic, else 2, 4 or 7
    bool hasFbf2Bit10 = false;      // the receiver prefers H.264
    uint16_t preBufTime = 0;        // ms; 0 means lowest latency
    bool oldMakerReceiver = false;  // version <= 0x123 with the maker's text and no description
    int jpegQuality = 85;
    uint32_t receiverWidth = 0;   // iw
    uint32_t receiverHeight = 0;  // ih
    uint32_t captureWidth = 0;
    uint32_t captureHeight = 0;
};
bool ShouldUseH264(const H264Inputs& in);

// The coding choice of a projection start.
struct CodingInputs {
    std::vector<uint8_t> receiverCodings;  // what the receiver lists
    bool jpegLoaded = false;               // the JPEG encoder module is present
    bool h264Loaded = false;               // the H.264 encoder module is present
    uint8_t mode = kModeFullScreen;
    bool imageFile = false;  // a picture file is shown instead of the screen
    int codingSetting = 0;
    bool h264Worth = false;  // ShouldUseH264
};
// 2, 4 or 7; or -6528324 when the receiver needs JPEG and no JPEG encoder is
// present.
int ChooseImageCoding(const CodingInputs& in);

// The frame-buffer size asked of the receiver for a scaled projection.
struct FrameSizeInputs {
    int enlarge = 1;  // enlarge factor E (values below 1 count as 1)
    int captureWidth = 0;
    int captureHeight = 0;
    int offsetX = 0;  // de-overscan offsets, never negative
    int offsetY = 0;
    uint16_t receiverWidth = 0;  // iw
    uint16_t receiverHeight = 0;
    int aspect = 2;  // 0 false, 1 true, 2 indeterminate
};
struct FrameSize {
    uint16_t width = 0;
    uint16_t height = 0;
};
// The wanted size E x (capture + 2 x offset) fitted into the receiver's
// picture and divided by E again. 64-bit arithmetic; a zero receiver side
// never divides; results are clamped to 16 bits.
FrameSize ComputeFrameBufferSize(const FrameSizeInputs& in);

// Bits per pixel offered in the frame-buffer request.
uint8_t OfferedBitsPerPixel(int format16, uint8_t capabilityBpp, bool pixelFormat565, bool alpha32);

// The pointer frame rate of the image channel.
struct MouseFpsInputs {
    uint8_t coding = kCodingRaw;
    bool above011F = false;
    uint16_t preBufTime = 0;
    uint8_t capabilityFps = 0;
    uint8_t capabilityByte15 = 0;
};
int MouseFps(const MouseFpsInputs& in);

}  // namespace projection
