// The entry points of the H.264 encoder module "Vemrin" (libVemrin.so), as
// the image channel resolves them by name. C linkage, so that the names in
// the module are exactly these.
//
// The stream is Annex-B (start codes), 4:2:0, without B-frames: every input
// picture gives exactly one output access unit, and a key frame carries its
// parameter sets, so that it decodes on its own.
#pragma once

#include <cstdint>

// ABI of the entries below; Vemrin_Version returns it.
constexpr int kVemrinAbiVersion = 1;

// Frame types of H264_EncodeEx. In: kVemrinKeyFrame asks for an IDR picture,
// kVemrinAnyFrame leaves the choice to the encoder. Out: kVemrinKeyFrame when
// an IDR picture was produced, kVemrinInterFrame otherwise.
constexpr int kVemrinKeyFrame = 0;
constexpr int kVemrinInterFrame = 1;
constexpr int kVemrinAnyFrame = 3;

// The stream's rate cap. Pictures are timed at kVemrinPictureRate per
// second; the encoder holds the stream to kVemrinCapKbitAt1080p kbit/s for
// 1920 x 1080 pictures, scaled by the pixel count for other sizes, with a
// buffer of kVemrinBufferPictures picture times: a burst of motion lowers the
// quality of a few pictures instead of flooding the link. (With a buffer of
// one picture time x264 predicts screen content so cautiously that scrolling
// lost 8 dB at a tenth of the cap.) The first picture and a key frame asked
// for at quality 100 (a refresh) get about a second of the cap as their
// room, and the picture after them may use what they left.
constexpr int kVemrinPictureRate = 60;
constexpr int kVemrinBufferPictures = 4;
constexpr int kVemrinCapKbitAt1080p = 20000;

// Results besides 0 (success).
constexpr int kVemrinBadArgument = -1;
constexpr int kVemrinOutputTooSmall = -2;
constexpr int kVemrinCodecFailed = -3;

extern "C" {
// Returns the module's ABI version (kVemrinAbiVersion of the build).
using VemrinVersionFn = int (*)();
// Opens an encoder for width x height pictures (both even) at quality 1..100
// and stores it in *handle. Returns 0 or a negative result.
using H264EncodeInitFn = int (*)(void** handle, uint16_t width, uint16_t height, int quality);
// Codes one picture of 4-byte pixels B, G, R, A (COLOR_FORMAT_BGRA), rows
// packed, top-down. On entry *outLength is the capacity of `out`, on success
// the length written (0 when the encoder produced nothing). *frameType as
// above. Returns 0 or a negative result.
using H264EncodeExFn = int (*)(void* handle, const unsigned char* pixels, unsigned char* out,
                               unsigned long* outLength, int* frameType);
// Changes the quality of the following pictures. Returns 0 or a negative result.
using H264EncodeReconfigQualityFn = int (*)(void* handle, int quality);
// Closes the encoder; nullptr is ignored.
using H264EncodeCloseFn = void (*)(void* handle);

// Measurement for benchmarks, absent in older modules. With on != 0,
// encoders opened afterwards also compute the PSNR of each coded picture
// against its input (costs CPU); Vemrin_MeasuredPsnr gives the PSNR over all
// pictures measured since (from the summed squared error of Y, U and V) and
// their count, and restarts the tally. Any thread.
using VemrinMeasurePsnrFn = void (*)(int on);
using VemrinMeasuredPsnrFn = void (*)(double* psnr, long long* pictures);
// Optional, absent in older modules: as H264_EncodeEx, but the picture comes
// as its 4:2:0 planes one after another, Y (width x height), then U and V
// ((width / 2) x (height / 2) each), rows packed, as bgra_to_i420::Convert
// makes them. Lets the caller convert the captured pixels where they lie.
using VemrinEncodeI420Fn = int (*)(void* handle, const unsigned char* planes, unsigned char* out,
                                   unsigned long* outLength, int* frameType);
}

constexpr const char kVemrinModuleName[] = "Vemrin";
constexpr const char kVemrinVersionEntry[] = "Vemrin_Version";
constexpr const char kH264EncodeInitEntry[] = "H264_Encode_Init";
constexpr const char kH264EncodeExEntry[] = "H264_EncodeEx";
constexpr const char kH264EncodeReconfigQualityEntry[] = "H264_Encode_Reconfig_Quality";
constexpr const char kH264EncodeCloseEntry[] = "H264_Encode_Close";
constexpr const char kVemrinMeasurePsnrEntry[] = "Vemrin_MeasurePsnr";
constexpr const char kVemrinMeasuredPsnrEntry[] = "Vemrin_MeasuredPsnr";
constexpr const char kVemrinEncodeI420Entry[] = "Vemrin_EncodeI420";
