// Turns the captured screen into the picture the receiver gets: rotated by
// quarter turns, scaled to the output size and, last, converted to the
// output pixel format. Only the changed rectangles are worked on; the rest of
// the output stays as it was.
//
// Rotation, scaling and the 16-bit conversions run through libyuv. The
// 32-bit output stage stays apart from the final format so that the cursor
// can be painted in between. Buffers are sized by Configure() and reused.
// Not thread-safe: one capture thread uses it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/x11/capture_rect.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

class FrameTransformer {
public:
    // Prepares for a `sourceWidth` x `sourceHeight` source, `rotation`
    // quarter turns clockwise (taken modulo 4), an output of `outputWidth` x
    // `outputHeight` in `format` (a 32-bit or 16-bit COLOR_FORMAT).
    // Reallocates only when a size or the format changes. False for sizes
    // that are not positive or an unknown format.
    bool Configure(int sourceWidth, int sourceHeight, int rotation, int outputWidth,
                   int outputHeight, uint32_t format);

    // Brings the 32-bit stage up to date with the source rectangle `changed`
    // (B, G, R, X pixels at `source`, `sourceStride` bytes per row) and
    // returns the output rectangle that changed. With neither rotation nor
    // scaling the 32-bit stage is the source itself (see Stage32()).
    platform::CaptureRect Transform(const uint8_t* source, int sourceStride,
                                    const platform::CaptureRect& changed);

    // Converts `rect` of the 32-bit stage into the output format. A no-op
    // when the output is 32-bit (the stage is the output). `source` and
    // `sourceStride` as given to Transform().
    void Convert(uint8_t* source, int sourceStride, const platform::CaptureRect& rect);

    // The 32-bit stage: the source itself when nothing is rotated or scaled.
    uint8_t* Stage32(uint8_t* source) { return m_identity ? source : m_scaled.data(); }
    int Stage32Stride(int sourceStride) const {
        return m_identity ? sourceStride : m_outputWidth * 4;
    }

    // The output: the 32-bit stage itself for 32-bit formats.
    uint8_t* Output(uint8_t* source) { return m_is16 ? m_output16.data() : Stage32(source); }
    int OutputStride(int sourceStride) const {
        return m_is16 ? m_outputWidth * 2 : Stage32Stride(sourceStride);
    }

    int OutputWidth() const { return m_outputWidth; }
    int OutputHeight() const { return m_outputHeight; }
    uint32_t Format() const { return m_format; }
    int SourceWidth() const { return m_sourceWidth; }
    int SourceHeight() const { return m_sourceHeight; }
    // Size of the source after rotation.
    int RotatedWidth() const { return m_rotatedWidth; }
    int RotatedHeight() const { return m_rotatedHeight; }

    // Where the source rectangle lands after `rotation` quarter turns
    // clockwise of a `width` x `height` picture.
    static platform::CaptureRect RotateRect(const platform::CaptureRect& rect, int width,
                                            int height, int rotation);
    // Where the source point lands, likewise.
    static void RotatePoint(int* x, int* y, int width, int height, int rotation);

private:
    int m_sourceWidth = 0;
    int m_sourceHeight = 0;
    int m_rotation = 0;
    int m_rotatedWidth = 0;
    int m_rotatedHeight = 0;
    int m_outputWidth = 0;
    int m_outputHeight = 0;
    uint32_t m_format = COLOR_FORMAT_NONE;
    bool m_identity = true;
    bool m_scaling = false;
    bool m_is16 = false;
    // The rotated picture before scaling (only when both are needed).
    std::vector<uint8_t> m_rotated;
    // The 32-bit stage when it is not the source: rotated and/or scaled.
    std::vector<uint8_t> m_scaled;
    std::vector<uint8_t> m_output16;
};
