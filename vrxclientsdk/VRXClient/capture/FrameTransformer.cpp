#include "vrxclientsdk/VRXClient/capture/FrameTransformer.h"

#include <libyuv/convert_from_argb.h>
#include <libyuv/rotate_argb.h>
#include <libyuv/scale_argb.h>

#include <algorithm>

using platform::CaptureRect;

namespace {

libyuv::RotationMode Mode(int rotation) {
    switch (rotation) {
        case 1:
            return libyuv::kRotate90;
        case 2:
            return libyuv::kRotate180;
        case 3:
            return libyuv::kRotate270;
        default:
            return libyuv::kRotate0;
    }
}

int FloorDiv(int64_t a, int64_t b) {
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

int CeilDiv(int64_t a, int64_t b) {
    return -FloorDiv(-a, b);
}

}  // namespace

bool FrameTransformer::Configure(int sourceWidth, int sourceHeight, int rotation, int outputWidth,
                                 int outputHeight, uint32_t format) {
    const int bits = format == COLOR_FORMAT_RGB555 || format == COLOR_FORMAT_RGB565 ? 16
                     : format == COLOR_FORMAT_BGRX || format == COLOR_FORMAT_BGRA ||
                             format == COLOR_FORMAT_RGBX || format == COLOR_FORMAT_JPEG
                         ? 32
                         : 0;
    if (sourceWidth <= 0 || sourceHeight <= 0 || outputWidth <= 0 || outputHeight <= 0 ||
        bits == 0) {
        return false;
    }
    // The capture is B, G, R, X; an R, G, B output would need a swizzle that
    // no consumer asks for, so the 32-bit formats all keep these bytes.
    m_sourceWidth = sourceWidth;
    m_sourceHeight = sourceHeight;
    m_rotation = ((rotation % 4) + 4) % 4;
    const bool quarter = m_rotation % 2 == 1;
    m_rotatedWidth = quarter ? sourceHeight : sourceWidth;
    m_rotatedHeight = quarter ? sourceWidth : sourceHeight;
    m_outputWidth = outputWidth;
    m_outputHeight = outputHeight;
    m_format = format;
    m_is16 = bits == 16;
    m_scaling = m_rotatedWidth != outputWidth || m_rotatedHeight != outputHeight;
    m_identity = m_rotation == 0 && !m_scaling;

    const size_t rotatedBytes = static_cast<size_t>(m_rotatedWidth) * m_rotatedHeight * 4;
    const size_t outputBytes = static_cast<size_t>(outputWidth) * outputHeight * 4;
    m_rotated.resize(m_rotation != 0 && m_scaling ? rotatedBytes : 0);
    m_scaled.resize(m_identity ? 0 : outputBytes);
    m_output16.resize(m_is16 ? static_cast<size_t>(outputWidth) * outputHeight * 2 : 0);
    return true;
}

void FrameTransformer::RotatePoint(int* x, int* y, int width, int height, int rotation) {
    const int sx = *x, sy = *y;
    switch (((rotation % 4) + 4) % 4) {
        case 1:  // clockwise: the left column becomes the top row
            *x = height - 1 - sy;
            *y = sx;
            break;
        case 2:
            *x = width - 1 - sx;
            *y = height - 1 - sy;
            break;
        case 3:
            *x = sy;
            *y = width - 1 - sx;
            break;
        default:
            break;
    }
}

CaptureRect FrameTransformer::RotateRect(const CaptureRect& r, int width, int height,
                                         int rotation) {
    switch (((rotation % 4) + 4) % 4) {
        case 1:
            return {height - r.bottom, r.left, height - r.top, r.right};
        case 2:
            return {width - r.right, height - r.bottom, width - r.left, height - r.top};
        case 3:
            return {r.top, width - r.right, r.bottom, width - r.left};
        default:
            return r;
    }
}

CaptureRect FrameTransformer::Transform(const uint8_t* source, int sourceStride,
                                        const CaptureRect& changed) {
    const CaptureRect r = changed.Intersect(CaptureRect::FromSize(m_sourceWidth, m_sourceHeight));
    if (r.IsEmpty() || m_identity) {
        return r;
    }
    const CaptureRect rotated = RotateRect(r, m_sourceWidth, m_sourceHeight, m_rotation);
    const uint8_t* src =
        source + static_cast<size_t>(r.top) * sourceStride + static_cast<size_t>(r.left) * 4;
    if (m_rotation != 0) {
        // Rotating straight into the output when there is nothing to scale.
        uint8_t* base = m_scaling ? m_rotated.data() : m_scaled.data();
        const int stride = m_rotatedWidth * 4;
        uint8_t* dst = base + static_cast<size_t>(rotated.top) * stride +
                       static_cast<size_t>(rotated.left) * 4;
        libyuv::ARGBRotate(src, sourceStride, dst, stride, r.Width(), r.Height(), Mode(m_rotation));
        if (!m_scaling) {
            return rotated;
        }
    }
    const uint8_t* scaleSource = m_rotation != 0 ? m_rotated.data() : source;
    const int scaleStride = m_rotation != 0 ? m_rotatedWidth * 4 : sourceStride;
    // Bilinear filtering reads the neighbours of each sample point: one
    // output pixel of margin on every side covers what the change touches.
    CaptureRect out{FloorDiv(int64_t{rotated.left} * m_outputWidth, m_rotatedWidth) - 1,
                    FloorDiv(int64_t{rotated.top} * m_outputHeight, m_rotatedHeight) - 1,
                    CeilDiv(int64_t{rotated.right} * m_outputWidth, m_rotatedWidth) + 1,
                    CeilDiv(int64_t{rotated.bottom} * m_outputHeight, m_rotatedHeight) + 1};
    out = out.Intersect(CaptureRect::FromSize(m_outputWidth, m_outputHeight));
    libyuv::ARGBScaleClip(scaleSource, scaleStride, m_rotatedWidth, m_rotatedHeight,
                          m_scaled.data(), m_outputWidth * 4, m_outputWidth, m_outputHeight,
                          out.left, out.top, out.Width(), out.Height(), libyuv::kFilterBilinear);
    return out;
}

void FrameTransformer::Convert(uint8_t* source, int sourceStride, const CaptureRect& rect) {
    if (!m_is16) {
        return;
    }
    const CaptureRect r = rect.Intersect(CaptureRect::FromSize(m_outputWidth, m_outputHeight));
    if (r.IsEmpty()) {
        return;
    }
    const int stride32 = Stage32Stride(sourceStride);
    const uint8_t* src =
        Stage32(source) + static_cast<size_t>(r.top) * stride32 + static_cast<size_t>(r.left) * 4;
    const int stride16 = m_outputWidth * 2;
    uint8_t* dst =
        m_output16.data() + static_cast<size_t>(r.top) * stride16 + static_cast<size_t>(r.left) * 2;
    if (m_format == COLOR_FORMAT_RGB565) {
        libyuv::ARGBToRGB565(src, stride32, dst, stride16, r.Width(), r.Height());
    } else {
        // 1-5-5-5 with the top bit taken from the unused fourth byte; the
        // 5-5-5 format leaves that bit undefined.
        libyuv::ARGBToARGB1555(src, stride32, dst, stride16, r.Width(), r.Height());
    }
}
