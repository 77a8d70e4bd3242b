#include "platform/draw/vector_painter.h"

#include <cairo.h>

#include <algorithm>
#include <numbers>

namespace platform {

namespace {

double Channel(uint8_t value) {
    return value / 255.0;
}

}  // namespace

VectorPainter::VectorPainter(Surface& target)
    : m_target(target), m_cr(cairo_create(target.CairoSurface())) {
    cairo_set_antialias(m_cr, CAIRO_ANTIALIAS_GOOD);
    cairo_set_fill_rule(m_cr, CAIRO_FILL_RULE_WINDING);
    cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_ROUND);
}

VectorPainter::~VectorPainter() {
    cairo_destroy(m_cr);
    cairo_surface_flush(m_target.CairoSurface());
}

void VectorPainter::Save() {
    cairo_save(m_cr);
}
void VectorPainter::Restore() {
    cairo_restore(m_cr);
}
void VectorPainter::Translate(double dx, double dy) {
    cairo_translate(m_cr, dx, dy);
}
void VectorPainter::Scale(double sx, double sy) {
    cairo_scale(m_cr, sx, sy);
}

void VectorPainter::ClipRect(double x, double y, double w, double h) {
    cairo_rectangle(m_cr, x, y, w, h);
    cairo_clip(m_cr);
}

void VectorPainter::SetOperator(Operator op) {
    cairo_set_operator(m_cr, op == Operator::kSource ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
}

void VectorPainter::MoveTo(double x, double y) {
    cairo_move_to(m_cr, x, y);
}
void VectorPainter::LineTo(double x, double y) {
    cairo_line_to(m_cr, x, y);
}

void VectorPainter::Arc(double cx, double cy, double radius, double from, double to) {
    cairo_arc(m_cr, cx, cy, radius, from, to);
}

void VectorPainter::ArcNegative(double cx, double cy, double radius, double from, double to) {
    cairo_arc_negative(m_cr, cx, cy, radius, from, to);
}

void VectorPainter::ClosePath() {
    cairo_close_path(m_cr);
}

void VectorPainter::Rectangle(double x, double y, double w, double h) {
    cairo_rectangle(m_cr, x, y, w, h);
}

void VectorPainter::RoundedRect(double x, double y, double w, double h, double radius) {
    const double r = std::clamp(radius, 0.0, std::min(w, h) / 2);
    if (r <= 0) {
        cairo_rectangle(m_cr, x, y, w, h);
        return;
    }
    constexpr double kQuarter = std::numbers::pi / 2;
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, x + w - r, y + r, r, -kQuarter, 0);
    cairo_arc(m_cr, x + w - r, y + h - r, r, 0, kQuarter);
    cairo_arc(m_cr, x + r, y + h - r, r, kQuarter, 2 * kQuarter);
    cairo_arc(m_cr, x + r, y + r, r, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(m_cr);
}

void VectorPainter::Circle(double cx, double cy, double radius) {
    cairo_new_sub_path(m_cr);
    cairo_arc(m_cr, cx, cy, radius, 0, 2 * std::numbers::pi);
    cairo_close_path(m_cr);
}

void VectorPainter::SetColour(Argb c) {
    cairo_set_source_rgba(m_cr, Channel(c.Red()), Channel(c.Green()), Channel(c.Blue()),
                          Channel(c.Alpha()));
}

void VectorPainter::Fill(Argb colour) {
    SetColour(colour);
    cairo_fill(m_cr);
}

void VectorPainter::FillVerticalGradient(Argb top, double y0, Argb bottom, double y1) {
    cairo_pattern_t* pattern = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(pattern, 0, Channel(top.Red()), Channel(top.Green()),
                                      Channel(top.Blue()), Channel(top.Alpha()));
    cairo_pattern_add_color_stop_rgba(pattern, 1, Channel(bottom.Red()), Channel(bottom.Green()),
                                      Channel(bottom.Blue()), Channel(bottom.Alpha()));
    cairo_set_source(m_cr, pattern);
    cairo_fill(m_cr);
    cairo_pattern_destroy(pattern);
}

void VectorPainter::Stroke(Argb colour, double width, double dash) {
    SetColour(colour);
    cairo_set_line_width(m_cr, width);
    if (dash > 0) {
        cairo_set_dash(m_cr, &dash, 1, 0);
    }
    cairo_stroke(m_cr);
    cairo_set_dash(m_cr, nullptr, 0, 0);
}

}  // namespace platform
