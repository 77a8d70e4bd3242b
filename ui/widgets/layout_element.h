// LayoutElement: one record of a skinned window's layout table.
//
// A layout table is an array of these records kept as data in the code; the
// builders make one widget (or place one standard control) per record. The
// record keeps the stored layout byte for byte: 1584 bytes, little-endian,
// texts UTF-16 zero-terminated and zero-padded to their field size. Field
// offsets are checked at compile time below.
//
// Tables are written with MakeLayoutElement, usable in constant expressions;
// a text too long for its field stops the compile there. Readers take the
// texts as UTF-8 through the accessors, which stop at the field's end even
// when a record holds no terminator.
//
// Not a widget: what a record means (the width of image strips, the text
// styles chosen by name) is the builders' business.
// Plain data, usable on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/draw/geometry.h"

namespace ui {

struct LayoutElement {
    static constexpr size_t kNameChars = 128;
    static constexpr size_t kClassChars = 128;
    static constexpr size_t kResourceTypeChars = 6;
    static constexpr size_t kTextChars = 512;

    uint32_t id;  // control id; 0 marks the end record of a stored table
    char16_t name[kNameChars];
    char16_t className[kClassChars];  // "CQKText", "CQKButton", ... or a standard control's
    int32_t x;
    int32_t y;
    int32_t w;  // for image strips the width of the whole strip
    int32_t h;
    char16_t
        resourceType[kResourceTypeChars];  // "PNG" loads a PNG resource, anything else a bitmap
    uint32_t resourceId;                   // 0: no image
    uint32_t frames;                       // frames of the image strip
    char16_t text[kTextChars];             // English caption
    uint32_t tooltip;                      // string-table id of the tooltip; 0: none
    uint32_t shown;                        // 1: visible when created

    bool IsEnd() const { return id == 0; }
    // True when the record's resource is a PNG resource ("PNG"); every other
    // type ("BMP", empty, anything else) names a bitmap resource.
    bool LoadsPng() const;
    // (x, y, x + w, y + h).
    platform::Rect Rect() const { return platform::Rect::FromXywh(x, y, w, h); }

    // The texts as UTF-8, up to the first zero or the field's end.
    std::string Name() const;
    std::string ClassName() const;
    std::string ResourceType() const;
    std::string Text() const;
};

static_assert(sizeof(LayoutElement) == 1584);
static_assert(std::is_trivially_copyable_v<LayoutElement>);
static_assert(std::is_standard_layout_v<LayoutElement>);
static_assert(offsetof(LayoutElement, id) == 0);
static_assert(offsetof(LayoutElement, name) == 4);
static_assert(offsetof(LayoutElement, className) == 260);
static_assert(offsetof(LayoutElement, x) == 516);
static_assert(offsetof(LayoutElement, y) == 520);
static_assert(offsetof(LayoutElement, w) == 524);
static_assert(offsetof(LayoutElement, h) == 528);
static_assert(offsetof(LayoutElement, resourceType) == 532);
static_assert(offsetof(LayoutElement, resourceId) == 544);
static_assert(offsetof(LayoutElement, frames) == 548);
static_assert(offsetof(LayoutElement, text) == 552);
static_assert(offsetof(LayoutElement, tooltip) == 1576);
static_assert(offsetof(LayoutElement, shown) == 1580);

// UTF-8 of UTF-16 text; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

namespace layout_detail {
// Deliberately not constexpr: reached only for a text longer than its field,
// which makes a table written in a constant expression fail to compile. At
// run time the text is cut and a line is logged.
void FieldTooLong(std::u16string_view text, size_t fieldChars);

template <size_t N>
constexpr void CopyField(char16_t (&field)[N], std::u16string_view text) {
    if (text.size() >= N) {
        FieldTooLong(text, N);
        text = text.substr(0, N - 1);
    }
    for (size_t i = 0; i < text.size(); ++i) {
        field[i] = text[i];
    }
}
}  // namespace layout_detail

// A record with every field given; texts are zero-padded.
constexpr LayoutElement MakeLayoutElement(uint32_t id, std::u16string_view name,
                                          std::u16string_view className, int32_t x, int32_t y,
                                          int32_t w, int32_t h, std::u16string_view resourceType,
                                          uint32_t resourceId, uint32_t frames,
                                          std::u16string_view text = u"", uint32_t tooltip = 0,
                                          uint32_t shown = 1) {
    LayoutElement e{};
    e.id = id;
    layout_detail::CopyField(e.name, name);
    layout_detail::CopyField(e.className, className);
    e.x = x;
    e.y = y;
    e.w = w;
    e.h = h;
    layout_detail::CopyField(e.resourceType, resourceType);
    e.resourceId = resourceId;
    e.frames = frames;
    layout_detail::CopyField(e.text, text);
    e.tooltip = tooltip;
    e.shown = shown;
    return e;
}

}  // namespace ui
