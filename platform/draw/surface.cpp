#include "platform/draw/surface.h"

#include <cairo.h>

#include <algorithm>

#include "platform/draw/image_limits.h"

namespace platform {

std::unique_ptr<Surface> Surface::Create(int width, int height) {
    if (!ImageSizeAllowed(width, height))
        return nullptr;
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    // cairo hands out zeroed memory for new image surfaces: transparent black.
    return std::unique_ptr<Surface>(new Surface(s, width, height));
}

Surface::Surface(cairo_surface_t* surface, int width, int height)
    : m_surface(surface), m_width(width), m_height(height) {}

Surface::~Surface() {
    cairo_surface_destroy(m_surface);
}

int Surface::Stride() const {
    return cairo_image_surface_get_stride(m_surface);
}

const uint32_t* Surface::ConstPixels() const {
    cairo_surface_flush(m_surface);
    return reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(m_surface));
}

uint32_t* Surface::MutablePixels() {
    cairo_surface_flush(m_surface);
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(m_surface));
}

void Surface::MarkDirty() {
    cairo_surface_mark_dirty(m_surface);
}

Argb Surface::PixelAt(int x, int y) const {
    if (!Bounds().Contains(x, y))
        return Argb{};
    const uint8_t* row =
        reinterpret_cast<const uint8_t*>(ConstPixels()) + static_cast<size_t>(y) * Stride();
    return UnpremultiplyPixel(reinterpret_cast<const uint32_t*>(row)[x]);
}

void Surface::Clear(Argb colour) {
    const uint32_t word = PremultiplyArgb(colour);
    uint8_t* base = reinterpret_cast<uint8_t*>(MutablePixels());
    for (int y = 0; y < m_height; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(base + static_cast<size_t>(y) * Stride());
        for (int x = 0; x < m_width; ++x)
            row[x] = word;
    }
    MarkDirty();
}

Surface* ReuseOrCreate(std::unique_ptr<Surface>& surface, int width, int height) {
    if (!surface || surface->Width() != width || surface->Height() != height) {
        surface = Surface::Create(width, height);
    }
    return surface.get();
}

uint32_t PremultiplyArgb(Argb c) {
    const uint32_t a = c.Alpha();
    if (a == 0xFF)
        return c.value;
    // Rounded c * a / 255, the same rounding cairo and pixman use.
    auto mul = [a](uint32_t v) {
        uint32_t t = v * a + 0x80;
        return ((t >> 8) + t) >> 8;
    };
    return (a << 24) | (mul(c.Red()) << 16) | (mul(c.Green()) << 8) | mul(c.Blue());
}

Argb UnpremultiplyPixel(uint32_t p) {
    const uint32_t a = p >> 24;
    if (a == 0xFF)
        return Argb(p);
    if (a == 0)
        return Argb{};
    auto div = [a](uint32_t v) { return std::min<uint32_t>(255, (v * 255 + a / 2) / a); };
    return Argb::FromArgb(a, div((p >> 16) & 0xFF), div((p >> 8) & 0xFF), div(p & 0xFF));
}

}  // namespace platform
