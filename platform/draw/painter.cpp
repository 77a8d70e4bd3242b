#include "platform/draw/painter.h"

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "platform/draw/text_layout.h"

namespace platform {

Painter::Painter(Surface& target) : m_target(target), m_cr(cairo_create(target.CairoSurface())) {
    // Whole-pixel geometry everywhere: no blended edges on fills and polygons.
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
}

Painter::~Painter() {
    cairo_destroy(m_cr);
    cairo_surface_flush(m_target.CairoSurface());
}

void Painter::SetColour(Argb c) {
    cairo_set_source_rgba(m_cr, c.Red() / 255.0, c.Green() / 255.0, c.Blue() / 255.0,
                          c.Alpha() / 255.0);
}

void Painter::FillRect(const Rect& rect, Argb colour) {
    if (rect.IsEmpty())
        return;
    SetColour(colour);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cr);
}

void Painter::FrameRect(const Rect& rect, Argb colour, int thickness) {
    if (rect.IsEmpty() || thickness <= 0)
        return;
    const int t = std::min({thickness, (rect.Width() + 1) / 2, (rect.Height() + 1) / 2});
    SetColour(colour);
    // Four bands that do not overlap, so a translucent frame blends once.
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), t);
    cairo_rectangle(m_cr, rect.left, rect.bottom - t, rect.Width(), t);
    cairo_rectangle(m_cr, rect.left, rect.top + t, t, rect.Height() - 2 * t);
    cairo_rectangle(m_cr, rect.right - t, rect.top + t, t, rect.Height() - 2 * t);
    cairo_fill(m_cr);
}

void Painter::DrawLine(Point from, Point to, Argb colour) {
    if (from == to)
        return;
    SetColour(colour);
    // Straight lines are one rectangle; others go pixel by pixel.
    if (from.y == to.y) {
        const int left = from.x < to.x ? from.x : to.x + 1;
        cairo_rectangle(m_cr, left, from.y, std::abs(to.x - from.x), 1);
    } else if (from.x == to.x) {
        const int top = from.y < to.y ? from.y : to.y + 1;
        cairo_rectangle(m_cr, from.x, top, 1, std::abs(to.y - from.y));
    } else {
        const int dx = std::abs(to.x - from.x);
        const int dy = -std::abs(to.y - from.y);
        const int sx = from.x < to.x ? 1 : -1;
        const int sy = from.y < to.y ? 1 : -1;
        int err = dx + dy;
        for (Point p = from; p != to;) {
            cairo_rectangle(m_cr, p.x, p.y, 1, 1);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                p.x += sx;
            }
            if (e2 <= dx) {
                err += dx;
                p.y += sy;
            }
        }
    }
    cairo_fill(m_cr);
}

void Painter::FillVerticalGradient(const Rect& rect, Argb bottom, Argb top) {
    if (rect.IsEmpty())
        return;
    const int h = rect.Height();
    const int step = std::max(1, h / 128);
    auto mix = [h](int a, int b, int covered) { return a + (b - a) * covered / h; };
    for (int covered = 0; covered < h; covered += step) {
        const int band = std::min(step, h - covered);
        const Argb c = Argb::FromArgb(
            mix(bottom.Alpha(), top.Alpha(), covered), mix(bottom.Red(), top.Red(), covered),
            mix(bottom.Green(), top.Green(), covered), mix(bottom.Blue(), top.Blue(), covered));
        SetColour(c);
        cairo_rectangle(m_cr, rect.left, rect.bottom - covered - band, rect.Width(), band);
        cairo_fill(m_cr);
    }
}

void Painter::FillPolygon(std::span<const Point> points, Argb colour) {
    if (points.size() < 3)
        return;
    SetColour(colour);
    cairo_move_to(m_cr, points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        cairo_line_to(m_cr, points[i].x, points[i].y);
    cairo_close_path(m_cr);
    cairo_fill(m_cr);
}

void Painter::FillRegion(const Region& region, Argb colour) {
    if (region.IsEmpty())
        return;
    SetColour(colour);
    for (const Rect& r : region.ToRects())
        cairo_rectangle(m_cr, r.left, r.top, r.Width(), r.Height());
    cairo_fill(m_cr);
}

void Painter::DrawImage(const Image& image, const Rect& src, Point dst,
                        std::optional<Argb> colourKey) {
    const Rect part = src.Intersect(Rect{0, 0, image.Width(), image.Height()});
    if (part.IsEmpty())
        return;
    const Surface* pixels = &image.Pixels();
    if (colourKey && image.TakesColourKey()) {
        pixels = image.KeyedPixels(*colourKey);
        if (!pixels)
            return;
    }
    // Clipping the source moves the destination by the same amount.
    const int x = dst.x + (part.left - src.left);
    const int y = dst.y + (part.top - src.top);
    cairo_set_source_surface(m_cr, pixels->CairoSurface(), x - part.left, y - part.top);
    cairo_rectangle(m_cr, x, y, part.Width(), part.Height());
    cairo_fill(m_cr);
}

void Painter::DrawImageScaled(const Image& image, const Rect& src, const Rect& dst,
                              std::optional<Argb> colourKey) {
    const Rect part = src.Intersect(Rect{0, 0, image.Width(), image.Height()});
    if (part.IsEmpty() || dst.IsEmpty())
        return;
    const Surface* pixels = &image.Pixels();
    if (colourKey && image.TakesColourKey()) {
        pixels = image.KeyedPixels(*colourKey);
        if (!pixels)
            return;
    }
    // A sub-surface limits the filter's reach to `part`, and PAD repeats its
    // edge pixels, so the outer pixels are neither faded nor bled into.
    cairo_surface_t* sub = cairo_surface_create_for_rectangle(
        pixels->CairoSurface(), part.left, part.top, part.Width(), part.Height());
    cairo_save(m_cr);
    cairo_rectangle(m_cr, dst.left, dst.top, dst.Width(), dst.Height());
    cairo_clip(m_cr);
    cairo_translate(m_cr, dst.left, dst.top);
    cairo_scale(m_cr, double(dst.Width()) / part.Width(), double(dst.Height()) / part.Height());
    cairo_set_source_surface(m_cr, sub, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(m_cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_BILINEAR);
    cairo_paint(m_cr);
    cairo_restore(m_cr);
    cairo_surface_destroy(sub);
}

void Painter::CopyFrom(const Surface& source, const Rect& srcRect, Point dst) {
    const Rect part = srcRect.Intersect(source.Bounds());
    if (part.IsEmpty())
        return;
    const int x = dst.x + (part.left - srcRect.left);
    const int y = dst.y + (part.top - srcRect.top);
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(m_cr, source.CairoSurface(), x - part.left, y - part.top);
    cairo_rectangle(m_cr, x, y, part.Width(), part.Height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

TextResult Painter::DrawText(std::string_view text, const Rect& rect, const TextStyle& style,
                             Argb colour) {
    TextResult result;
    if (rect.IsEmpty())
        return result;
    cairo_save(m_cr);
    // Captions are anti-aliased even though shapes are not.
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_GRAY);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_clip(m_cr);
    SetColour(colour);
    Size box{rect.Width(), rect.Height()};
    if (style.rotation == TextRotation::kUp90) {
        // Text runs upward from the bottom edge, its top toward the left.
        cairo_translate(m_cr, rect.left, rect.bottom);
        cairo_rotate(m_cr, -std::numbers::pi / 2);
        box = {rect.Height(), rect.Width()};
    } else {
        cairo_translate(m_cr, rect.left, rect.top);
    }
    TextLayout layout(m_cr, text, style, box);
    layout.Show(m_cr);
    const Size used = layout.TextSize();
    result.width = used.width;
    result.height = used.height;
    result.ellipsized = layout.IsEllipsized();
    cairo_restore(m_cr);
    return result;
}

}  // namespace platform
