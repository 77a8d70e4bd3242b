// The per-block rules of the image channel: JPEG alignment and quality, the
// downward extension of JPEG blocks, and the cutting of raw blocks into
// strips that fit the receiver's buffer. Pure functions on IMAGE_BLOCK.
#pragma once

#include <cstddef>
#include <cstdint>

#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"

// JPEG quality of a block: 100 for small blocks (below 9216 pixels) and for
// refresh or quality-100 blocks; the configured quality for large blocks
// (above 345600 pixels); otherwise at least 80.
int JpegQualityFor(int width, int height, bool refresh, bool quality100, int quality);

// Aligns a JPEG block to the 16-pixel grid: x1 down, x2 up (at most the
// frame buffer's last column), y1 down and y2 up to whole 16-row bands; a
// band that passes the output's last row is shifted up to end there.
void AlignJpegBlock(IMAGE_BLOCK& block, int frameBufferWidth, int outputHeight);

// Extends a JPEG block whose height is not a multiple of 16 downwards to the
// next multiple, never past the output's last row.
void ExtendJpegHeight(IMAGE_BLOCK& block, int outputHeight);

// Cuts a raw block of `bitsPerPixel` into horizontal strips of at most
// maxBlockBytes each (a single row that is larger stays one strip). Writes
// up to maxStrips strips to `strips` and returns their count. Strips after
// the first carry et 0; fsn and ftot stay those of the block.
size_t SplitIntoStrips(const IMAGE_BLOCK& block, int bitsPerPixel, uint32_t maxBlockBytes,
                       IMAGE_BLOCK* strips, size_t maxStrips);

// Bytes of a w x h rectangle at the given depth.
inline uint32_t BlockBytes(int bitsPerPixel, int width, int height) {
    return static_cast<uint32_t>(uint64_t(bitsPerPixel) * width * height / 8);
}
