#include "vrxclientsdk/VRXClient/ProjectionRules.h"

#include <algorithm>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

namespace projection {

namespace {

// Above this captured area (in pixels) H.264 beats JPEG at quality 80 or
// lower: 0xb4000 is 1280 x 576. At higher qualities JPEG grows faster, so
// H.264 pays off from 480000 pixels (800 x 600) on.
constexpr uint64_t kH264AreaLowQuality = 0xb4000;
constexpr uint64_t kH264AreaHighQuality = 480000;
constexpr int kLowQualityLimit = 80;

// Pointer frame rates: H.264 pictures never come faster than 30 per second,
// so the pointer needs no more; the other codings allow 70.
constexpr int kH264MouseFps = 30;
constexpr int kDefaultMouseFps = 70;
// The capability byte 15 value that asks for the capability frame rate.
constexpr uint8_t kByte15UseFps = 2;

bool Lists(const std::vector<uint8_t>& codings, uint8_t coding) {
    return std::find(codings.begin(), codings.end(), coding) != codings.end();
}

uint16_t ClampU16(uint64_t value) {
    return static_cast<uint16_t>(std::min<uint64_t>(value, 0xffff));
}

}  // namespace

bool ShouldUseH264(const H264Inputs& in) {
    if (in.codingSetting == kCodingH264) {
        return true;
    }
    if (in.codingSetting != 0) {
        return false;
    }
    if (in.hasFbf2Bit10) {
        return true;
    }
    if (in.preBufTime == 0) {
        return false;
    }
    if (in.oldMakerReceiver) {
        return false;
    }
    const uint64_t area = uint64_t{std::min(in.receiverWidth, in.captureWidth)} *
                          std::min(in.receiverHeight, in.captureHeight);
    return in.jpegQuality <= kLowQualityLimit ? area > kH264AreaLowQuality
                                              : area >= kH264AreaHighQuality;
}

int ChooseImageCoding(const CodingInputs& in) {
    const bool raw = Lists(in.receiverCodings, kCodingRaw);
    const bool jpeg = Lists(in.receiverCodings, kCodingJpeg);
    const bool h264 = Lists(in.receiverCodings, kCodingH264);
    if (jpeg && !raw && !in.jpegLoaded) {
        return qkerr::kNoJpegEncoder;
    }
    int coding = kCodingRaw;
    if (h264 && in.h264Loaded && !IsSplitMode(in.mode) && !in.imageFile && in.h264Worth) {
        coding = kCodingH264;
    } else if (jpeg && in.jpegLoaded) {
        coding = kCodingJpeg;
    }
    // Split positions and an explicit raw setting stay raw where the
    // receiver takes it.
    if ((IsSplitMode(in.mode) || in.codingSetting == kCodingRaw) && raw) {
        coding = kCodingRaw;
    }
    return coding;
}

FrameSize ComputeFrameBufferSize(const FrameSizeInputs& in) {
    const uint64_t e = static_cast<uint64_t>(std::max(in.enlarge, 1));
    const uint64_t offX = static_cast<uint64_t>(std::max(in.offsetX, 0));
    const uint64_t offY = static_cast<uint64_t>(std::max(in.offsetY, 0));
    const uint64_t wantW = e * (static_cast<uint64_t>(std::max(in.captureWidth, 0)) + 2 * offX);
    const uint64_t wantH = e * (static_cast<uint64_t>(std::max(in.captureHeight, 0)) + 2 * offY);
    const uint64_t iw = in.receiverWidth;
    const uint64_t ih = in.receiverHeight;

    uint64_t w = iw;
    uint64_t h = ih;
    if (iw < wantW || ih < wantH) {
        const bool offset = in.offsetX > 0 || in.offsetY > 0;
        const int fit = (in.aspect == 0 || offset) ? 1 : (in.aspect == 1 ? 0 : 2);
        // Fit mode 1 keeps the wanted size; so does a receiver or capture
        // that reports a zero side, which has no aspect to fit to.
        if (fit == 1 || iw == 0 || ih == 0 || wantW == 0 || wantH == 0) {
            w = wantW;
            h = wantH;
        } else if (static_cast<double>(ih) / static_cast<double>(wantH) >
                   static_cast<double>(iw) / static_cast<double>(wantW)) {
            // The frame buffer keeps the receiver's aspect around the capture.
            w = wantW;
            h = ih * wantW / iw;
        } else {
            h = wantH;
            w = wantH * iw / ih;
        }
    }
    return FrameSize{ClampU16(w / e), ClampU16(h / e)};
}

uint8_t OfferedBitsPerPixel(int format16, uint8_t capabilityBpp, bool pixelFormat565,
                            bool alpha32) {
    if (format16 != 0) {
        return static_cast<uint8_t>(format16);
    }
    if (capabilityBpp == 16) {
        return pixelFormat565 ? 16 : 15;
    }
    if (capabilityBpp == 32) {
        return alpha32 ? 32 : 24;
    }
    return capabilityBpp;
}

int MouseFps(const MouseFpsInputs& in) {
    // A receiver that reports no frame rate keeps the default.
    const bool useCapability = in.above011F && in.preBufTime != 0 && in.capabilityFps != 0;
    if (in.coding == kCodingH264) {
        return useCapability ? std::min<int>(in.capabilityFps, kH264MouseFps) : kH264MouseFps;
    }
    if (useCapability && in.capabilityByte15 == kByte15UseFps) {
        return in.capabilityFps;
    }
    return kDefaultMouseFps;
}

}  // namespace projection
