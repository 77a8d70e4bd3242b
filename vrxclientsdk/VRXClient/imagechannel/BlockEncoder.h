// One coding of the image channel's blocks: turns the pixels of a queued
// block into the bytes that go between an image-block message's header and
// its trailer.
//
// Three implementations: JpegEncoder (module "Pexlo"), H264Encoder (module
// "Vemrin") and LzoEncoder (raw pixels through LZO1X-1). Each owns its codec
// handle. Not the message framing (ImageBlockMessage) and not the choice of
// coding (IBClient::Start makes one encoder for the wire coding asked for).
//
// THREADING: Load, Open and the destructor on the thread that starts and
// stops the channel; Encode on the channel's encode thread, or on the
// capture thread for an encoder that CodesOnCapture(). Never two at a time:
// the channel detaches from the capture and joins its encode thread before
// it drops the encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

class EncoderModuleSource;
class Logger;

class BlockEncoder {
public:
    // What one block is coded from.
    struct Input {
        // Pixels at block->pBits, rows block->stride bytes apart (0: packed).
        const IMAGE_BLOCK* block = nullptr;
        int width = 0;
        int height = 0;
        int quality = 85;                 // the channel's quality setting, 1..100
        int keyFrameIntervalSeconds = 0;  // H.264: a key frame at least this often (< 1: never)
        bool prepared = false;            // the block holds what Prepare wrote, not pixels
    };

    virtual ~BlockEncoder() = default;

    // Finds the codec (its module's entries) before the capture is opened.
    // 0, or the channel's error code for a missing coding with the message
    // argument in *argument. `logger` (may be null) receives notices.
    virtual int Load(Logger* logger, std::string* argument) = 0;
    // Opens the codec for pictures of width x height at `quality`, once the
    // capture's geometry is known. 0 or an error code as Load.
    virtual int Open(int width, int height, int quality, std::string* argument) = 0;
    // Codes one block into `out` (capacity bytes). Returns the coded length,
    // or -1 with the codec's own result in *codecError.
    virtual long Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) = 0;

    // True when the channel should code this encoder's blocks on the capture
    // thread, straight from the captured frame into its queue, so that the
    // pixels are read once and not copied first; the encode thread then only
    // frames and sends them. False: the queue holds the pixels and the
    // encode thread codes them.
    virtual bool CodesOnCapture() const { return false; }
    // True when Encode reads rows block->stride bytes apart; false when it
    // needs them packed.
    virtual bool ReadsStride() const { return false; }

    // The bytes of the form in which the capture thread may prepare the
    // block's rectangle for Encode (H.264: the picture's 4:2:0 planes),
    // reading it where it lies in the captured frame; 0 when the encoder
    // takes the block's pixels as they are queued, or cannot read these.
    virtual size_t PreparedBytes(const IMAGE_BLOCK&) const { return 0; }
    // Capture thread: writes PreparedBytes(block) bytes of that form to `out`.
    virtual void Prepare(const IMAGE_BLOCK&, uint8_t*) const {}

    // Room the coded form of `inputBytes` of pixels may need.
    virtual size_t MaxEncodedBytes(size_t inputBytes) const = 0;
    // The name of the coding step in log lines ("JpegEncode").
    virtual const char* Name() const = 0;

    // The encoder of wire coding `coding` (4 JPEG, 7 H.264, else LZO).
    // `modules` must outlive it.
    static std::unique_ptr<BlockEncoder> Create(int coding, EncoderModuleSource& modules);
};
