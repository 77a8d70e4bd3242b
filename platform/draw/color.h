// The two colour types of the user interface and the conversion between them.
//
// Window-layer code (pens, brushes, text colours of edits, layout tables)
// speaks in ColorRef: 0x00BBGGRR, red in the low byte, no alpha. Image and
// text drawing speaks in Argb: 0xAARRGGBB, alpha in the high byte. The two
// are distinct types so that one can never be passed for the other; convert
// with ToArgb() and ToColorRef(). Plain values, usable on any thread.
#pragma once

#include <cstdint>

namespace platform {

struct ColorRef {
    uint32_t value = 0;  // 0x00BBGGRR

    constexpr ColorRef() = default;
    constexpr explicit ColorRef(uint32_t v) : value(v & 0x00FFFFFFu) {}
    static constexpr ColorRef FromRgb(uint8_t r, uint8_t g, uint8_t b) {
        return ColorRef(uint32_t{r} | (uint32_t{g} << 8) | (uint32_t{b} << 16));
    }
    constexpr uint8_t Red() const { return value & 0xFF; }
    constexpr uint8_t Green() const { return (value >> 8) & 0xFF; }
    constexpr uint8_t Blue() const { return (value >> 16) & 0xFF; }
    constexpr bool operator==(const ColorRef&) const = default;
};

struct Argb {
    uint32_t value = 0;  // 0xAARRGGBB

    constexpr Argb() = default;
    constexpr explicit Argb(uint32_t v) : value(v) {}
    static constexpr Argb FromArgb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
        return Argb((uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b);
    }
    constexpr uint8_t Alpha() const { return value >> 24; }
    constexpr uint8_t Red() const { return (value >> 16) & 0xFF; }
    constexpr uint8_t Green() const { return (value >> 8) & 0xFF; }
    constexpr uint8_t Blue() const { return value & 0xFF; }
    constexpr bool operator==(const Argb&) const = default;
};

// The same colour as Argb, with the given alpha (opaque by default).
constexpr Argb ToArgb(ColorRef c, uint8_t alpha = 0xFF) {
    return Argb::FromArgb(alpha, c.Red(), c.Green(), c.Blue());
}

// The colour part of an Argb; the alpha is dropped.
constexpr ColorRef ToColorRef(Argb c) {
    return ColorRef::FromRgb(c.Red(), c.Green(), c.Blue());
}

// The colour key of the skin bitmaps: pixels of exactly this colour are not drawn.
inline constexpr Argb kMagentaKey{0xFFFF00FFu};

}  // namespace platform
