// An off-screen ARGB32 picture: the back buffer of a skinned window, the
// pixels of a decoded image, or any other buffer the drawing layer paints.
//
// Pixels are 32-bit words 0xAARRGGBB in native byte order with the colour
// premultiplied by alpha (cairo's ARGB32), rows Stride() bytes apart. Draw on
// a Surface with a Painter; read single pixels back with PixelAt(). Not a
// window: showing a Surface on screen is the window layer's job.
//
// THREADING: a Surface belongs to the thread that uses it, in practice the
// user-interface thread; nothing is locked.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/draw/color.h"
#include "platform/draw/geometry.h"

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

class Surface {
public:
    // A new surface of width x height pixels, all transparent black (0).
    // nullptr when the size is not positive or beyond the image limits
    // (image_limits.h), or when memory runs out. The caller owns the result.
    static std::unique_ptr<Surface> Create(int width, int height);

    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    Rect Bounds() const { return {0, 0, m_width, m_height}; }
    // Bytes from one row to the next.
    int Stride() const;

    // The pixel at (x, y) with the colour un-premultiplied; 0 outside the surface.
    Argb PixelAt(int x, int y) const;

    // Sets every pixel to `colour` (replacing, not blending).
    void Clear(Argb colour);

    // Direct access to the premultiplied pixel rows, for decoders and for
    // copying to the screen. ConstPixels() finishes pending drawing first.
    // After writing through MutablePixels(), call MarkDirty() before drawing
    // on the surface again. The memory belongs to the surface.
    const uint32_t* ConstPixels() const;
    uint32_t* MutablePixels();
    void MarkDirty();

    // The underlying cairo surface, for the window layer's copies to the
    // screen. Borrowed: valid as long as this Surface lives.
    cairo_surface_t* CairoSurface() const { return m_surface; }

private:
    Surface(cairo_surface_t* surface, int width, int height);

    cairo_surface_t* m_surface;
    int m_width;
    int m_height;
};

// Keeps `surface` at width x height, as a window's back buffer: reuses it
// when it has that size, else replaces it with a new transparent one.
// Returns it, or nullptr (and `surface` empty) when it cannot be made.
Surface* ReuseOrCreate(std::unique_ptr<Surface>& surface, int width, int height);

// Converts between premultiplied pixel words and plain Argb.
uint32_t PremultiplyArgb(Argb colour);
Argb UnpremultiplyPixel(uint32_t pixel);

}  // namespace platform
