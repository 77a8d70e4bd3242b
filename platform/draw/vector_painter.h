// Draws anti-aliased vector shapes on a Surface: paths of lines, arcs and
// rounded rectangles, filled or stroked, in fractional coordinates that can
// be moved and scaled. For pictures that must stay sharp at any size (the
// generated skin images); Painter stays the tool for whole-pixel drawing.
//
// Build a path with the path calls, then Fill() or Stroke() it (both clear
// the path). Colours blend over what is there (Operator kOver) or replace it
// (kSource, alpha included). Save()/Restore() bracket a change of transform
// or clip. Nothing here fails once made: empty paths draw nothing.
//
// THREADING: one VectorPainter per surface at a time, on the thread that
// owns the surface.
#pragma once

#include "platform/draw/color.h"
#include "platform/draw/surface.h"

typedef struct _cairo cairo_t;

namespace platform {

class VectorPainter {
public:
    enum class Operator { kOver, kSource };

    // Draws on `target`, which is borrowed and must outlive the painter.
    explicit VectorPainter(Surface& target);
    ~VectorPainter();
    VectorPainter(const VectorPainter&) = delete;
    VectorPainter& operator=(const VectorPainter&) = delete;

    void Save();
    void Restore();
    void Translate(double dx, double dy);
    void Scale(double sx, double sy);
    // Limits drawing to the rectangle until the matching Restore().
    void ClipRect(double x, double y, double w, double h);
    void SetOperator(Operator op);

    // Path building, in the current transform's coordinates.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    // An arc around (cx, cy) from angle `from` to `to` (radians, 0 pointing
    // right): Arc turns clockwise on screen, ArcNegative counter-clockwise.
    void Arc(double cx, double cy, double radius, double from, double to);
    void ArcNegative(double cx, double cy, double radius, double from, double to);
    void ClosePath();
    void Rectangle(double x, double y, double w, double h);
    // A rectangle with quarter-circle corners; the radius is capped at half
    // the shorter side.
    void RoundedRect(double x, double y, double w, double h, double radius);
    void Circle(double cx, double cy, double radius);

    // Fills the path (non-zero winding) and clears it.
    void Fill(Argb colour);
    // Fills the path with a vertical gradient from `top` at y0 to `bottom`
    // at y1, and clears it.
    void FillVerticalGradient(Argb top, double y0, Argb bottom, double y1);
    // Strokes the path `width` wide with round caps and joins and clears it.
    // A dash of 0 draws a solid line; otherwise dashes and gaps are `dash` long.
    void Stroke(Argb colour, double width, double dash = 0);

private:
    void SetColour(Argb colour);

    Surface& m_target;
    cairo_t* m_cr;
};

}  // namespace platform
