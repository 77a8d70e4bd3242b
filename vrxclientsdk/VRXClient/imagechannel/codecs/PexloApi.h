// The entry points of the JPEG encoder module "Pexlo" (libPexlo.so), as the
// image channel resolves them by name. C linkage, so that the names in the
// module are exactly these.
#pragma once

#include <cstdint>

// ABI of the entries below; Pexlo_Version returns it.
constexpr int kPexloAbiVersion = 1;

// The pixel mode of Pexlo_Encode: 4-byte pixels B, G, R, X (COLOR_FORMAT_JPEG),
// of which the 24 colour bits are coded.
constexpr int kPexloPixelBits = 24;
// Chroma subsampling values of Pexlo_Encode.
constexpr int kPexloSubsample420 = 420;
constexpr int kPexloSubsample422 = 422;
constexpr int kPexloSubsample444 = 444;

// Results of Pexlo_Encode besides 0 (success).
constexpr int kPexloBadArgument = -1;
constexpr int kPexloOutputTooSmall = -2;
constexpr int kPexloCodecFailed = -3;

extern "C" {
// Returns the module's ABI version (kPexloAbiVersion of the build).
using PexloVersionFn = int (*)();
// Creates an encoder; nullptr when it cannot. One handle serves one thread at a time.
using PexloInitFn = void* (*)();
// Codes width x height pixels (rows packed, top-down) as one baseline JPEG
// image into `out`. On entry *outLength is the capacity of `out`, on success
// the length written. pixelBits must be kPexloPixelBits, quality 1..100,
// subsampling one of the values above. Returns 0 or a negative result above.
using PexloEncodeFn = int (*)(void* handle, unsigned char* out, unsigned long* outLength,
                              const unsigned char* pixels, int width, int height, int pixelBits,
                              int quality, int subsampling);
// Frees the encoder; nullptr is ignored.
using PexloCloseFn = void (*)(void* handle);
// Optional: as Pexlo_Encode, but `stride` bytes lie between the starts of two
// rows of `pixels` (at least width * 4), so that a rectangle of a larger
// picture is coded where it lies, without copying it out first.
using PexloEncodeStrideFn = int (*)(void* handle, unsigned char* out, unsigned long* outLength,
                                    const unsigned char* pixels, int width, int height, int stride,
                                    int pixelBits, int quality, int subsampling);
}

constexpr const char kPexloModuleName[] = "Pexlo";
constexpr const char kPexloVersionEntry[] = "Pexlo_Version";
constexpr const char kPexloInitEntry[] = "Pexlo_Init";
constexpr const char kPexloEncodeEntry[] = "Pexlo_Encode";
constexpr const char kPexloCloseEntry[] = "Pexlo_Close";
constexpr const char kPexloEncodeStrideEntry[] = "Pexlo_EncodeStride";
