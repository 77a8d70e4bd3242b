// The C entries of the JPEG file reader module "Quillet", shared by the
// module and the picture-file source that loads it by name.
//
// Pictures are written into a caller's frame buffer whose rows are padded to
// a multiple of 4 bytes: row pitch = (frame width * bits / 8 + 3) & ~3.
#pragma once

// Results: 0 success, otherwise one of these (always negative, so that a
// caller that takes "at least 0" for success can pass them on unchanged).
constexpr int kQuilletCannotRead = -7801;   // the file can't be opened or read
constexpr int kQuilletNotJpeg = -7802;      // not a JPEG picture, or a damaged one
constexpr int kQuilletTooLarge = -7803;     // wider or taller than kQuilletMaxSide
constexpr int kQuilletBadArgument = -7804;  // a null pointer, or a picture outside the frame

// Largest width or height accepted; larger files are refused before decoding.
constexpr int kQuilletMaxSide = 16384;

// GetJpegHeader(out width, out height, UTF-16 path, 0-terminated) -> result.
using GetJpegHeaderFn = int (*)(int* width, int* height, const char16_t* path);

// LoadJpegFileZ(frame, path, drawn width, drawn height, x, y, frame width,
// frame height, bits per pixel (16 or 32), 565 flag) -> result. Draws the
// picture scaled to drawn width x drawn height with its top left corner at
// (x, y) of the frame; the rest of the frame is left as it is. 32 bits are
// B, G, R, X; 16 bits are 5-6-5 with the flag, else 5-5-5.
using LoadJpegFileZFn = int (*)(unsigned char* frame, const char16_t* path, int drawnWidth,
                                int drawnHeight, int x, int y, int frameWidth, int frameHeight,
                                int bitsPerPixel, int is565);
