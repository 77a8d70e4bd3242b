#include "platform/draw/text_layout.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <string>

namespace platform {
namespace {

// A megabyte of text is far beyond any caption; it bounds what one call lays out.
constexpr size_t kMaxTextBytes = size_t{1} << 20;

// Grey-scale anti-aliasing without hinting: captions look the same on every
// machine and at every position, and measuring agrees with drawing.
void SetFontOptions(PangoLayout* layout) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    pango_layout_context_changed(layout);
    cairo_font_options_destroy(options);
}

PangoAlignment ToPango(TextAlign align) {
    switch (align) {
        case TextAlign::kNear:
            return PANGO_ALIGN_LEFT;
        case TextAlign::kCenter:
            return PANGO_ALIGN_CENTER;
        case TextAlign::kFar:
            return PANGO_ALIGN_RIGHT;
    }
    return PANGO_ALIGN_LEFT;
}

// Where a run of `used` pixels starts inside `room` pixels.
int AlignedStart(TextAlign align, int room, int used) {
    switch (align) {
        case TextAlign::kNear:
            return 0;
        case TextAlign::kCenter:
            return (room - used) / 2;
        case TextAlign::kFar:
            return room - used;
    }
    return 0;
}

}  // namespace

TextLayout::TextLayout(cairo_t* cr, std::string_view text, const TextStyle& style, Size box)
    : m_layout(pango_cairo_create_layout(cr)), m_style(style), m_box(box) {
    SetFontOptions(m_layout);

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, style.family.c_str());
    // Sizes outside what any caption uses are clamped rather than refused.
    const int pixels = std::clamp(style.pixelSize, 1, 1000);
    pango_font_description_set_absolute_size(font, double(pixels) * PANGO_SCALE);
    pango_font_description_set_weight(font, static_cast<PangoWeight>(style.weight));
    pango_font_description_set_style(font, style.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(m_layout, font);
    pango_font_description_free(font);

    pango_layout_set_single_paragraph_mode(m_layout, style.singleLine);
    // Captions can come from the network (receiver names): bytes that are not
    // UTF-8 become U+FFFD marks instead of cutting the text short. Pango takes
    // an int length; longer text than any caption needs is cut.
    const auto length = static_cast<gssize>(std::min<size_t>(text.size(), kMaxTextBytes));
    gchar* valid = g_utf8_make_valid(text.empty() ? "" : text.data(), length);
    pango_layout_set_text(m_layout, valid, -1);
    g_free(valid);

    // A width is given to pango only when it must break or cut lines; other
    // text keeps its natural width and is aligned in Show().
    if (box.width >= 0 && (style.wordWrap || style.ellipsis)) {
        pango_layout_set_width(m_layout, box.width * PANGO_SCALE);
        pango_layout_set_alignment(m_layout, ToPango(style.horizontal));
        pango_layout_set_wrap(m_layout, PANGO_WRAP_WORD_CHAR);
        if (style.ellipsis) {
            pango_layout_set_ellipsize(m_layout, PANGO_ELLIPSIZE_END);
            // Wrapped text is cut on the last line that fits the box; other
            // text keeps each paragraph on one line (a height of -1 line).
            const bool byHeight = style.wordWrap && box.height >= 0;
            pango_layout_set_height(m_layout, byHeight ? box.height * PANGO_SCALE : -1);
        } else {
            pango_layout_set_height(m_layout, -1);
        }
    }
}

TextLayout::~TextLayout() {
    g_object_unref(m_layout);
}

Size TextLayout::TextSize() const {
    PangoRectangle logical;
    pango_layout_get_pixel_extents(m_layout, nullptr, &logical);
    return {logical.width, logical.height};
}

bool TextLayout::IsEllipsized() const {
    return pango_layout_is_ellipsized(m_layout);
}

void TextLayout::Show(cairo_t* cr) const {
    const Size used = TextSize();
    const bool pangoAligns = pango_layout_get_width(m_layout) >= 0;
    const int x = (pangoAligns || m_box.width < 0)
                      ? 0
                      : AlignedStart(m_style.horizontal, m_box.width, used.width);
    const int y = m_box.height < 0 ? 0 : AlignedStart(m_style.vertical, m_box.height, used.height);
    cairo_move_to(cr, x, y);
    pango_cairo_show_layout(cr, m_layout);
}

Size MeasureText(std::string_view text, const TextStyle& style, int maxWidth) {
    cairo_surface_t* scratch = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(scratch);
    Size size;
    {
        TextLayout layout(cr, text, style, {maxWidth, -1});
        size = layout.TextSize();
    }
    cairo_destroy(cr);
    cairo_surface_destroy(scratch);
    return size;
}

}  // namespace platform
