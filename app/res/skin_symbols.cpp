#include "app/res/skin_symbols.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "app/res/skin_surfaces.h"

namespace appres::skin {

namespace {

using platform::VectorPainter;
using G = SkinGlyph;

constexpr double kPi = std::numbers::pi;

// Draws in a unit square: (0, 0) is the top-left and (1, 1) the bottom-right
// corner of a box `side` pixels wide centred on (cx, cy). Px() turns pixels
// into units, for stroke widths that stay 1-2 pixels at every size.
class UnitBox {
public:
    UnitBox(VectorPainter& vp, double cx, double cy, double side) : m_vp(vp), m_side(side) {
        vp.Save();
        vp.Translate(cx - side / 2, cy - side / 2);
        vp.Scale(side, side);
    }
    ~UnitBox() { m_vp.Restore(); }
    UnitBox(const UnitBox&) = delete;
    UnitBox& operator=(const UnitBox&) = delete;

    double Px(double px) const { return px / m_side; }

private:
    VectorPainter& m_vp;
    double m_side;
};

void Line(VectorPainter& vp, double x0, double y0, double x1, double y1) {
    vp.MoveTo(x0, y0);
    vp.LineTo(x1, y1);
}

// ---- Symbols in the unit square ----

void Cross(VectorPainter& vp, Argb ink, double sw) {
    Line(vp, 0.18, 0.18, 0.82, 0.82);
    Line(vp, 0.82, 0.18, 0.18, 0.82);
    vp.Stroke(ink, sw);
}

void Dash(VectorPainter& vp, Argb ink, double sw, double y) {
    Line(vp, 0.18, y, 0.82, y);
    vp.Stroke(ink, sw);
}

void PlusSign(VectorPainter& vp, Argb ink, double sw) {
    Line(vp, 0.18, 0.5, 0.82, 0.5);
    Line(vp, 0.5, 0.18, 0.5, 0.82);
    vp.Stroke(ink, sw);
}

// A gear of eight teeth around a hole (the hole runs the other way round, so
// the non-zero fill leaves it empty).
void Gear(VectorPainter& vp, Argb ink) {
    constexpr int kTeeth = 8;
    constexpr double kOuter = 0.5;
    constexpr double kInner = 0.35;
    constexpr double kToothHalf = 0.2;  // radians at the tip
    constexpr double kBaseHalf = 0.3;   // radians at the root
    for (int k = 0; k < kTeeth; ++k) {
        const double a = 2 * kPi * k / kTeeth;
        const double points[4][2] = {{kInner, a - kBaseHalf},
                                     {kOuter, a - kToothHalf},
                                     {kOuter, a + kToothHalf},
                                     {kInner, a + kBaseHalf}};
        for (int i = 0; i < 4; ++i) {
            const double x = 0.5 + points[i][0] * std::cos(points[i][1]);
            const double y = 0.5 + points[i][0] * std::sin(points[i][1]);
            if (k == 0 && i == 0) {
                vp.MoveTo(x, y);
            } else {
                vp.LineTo(x, y);
            }
        }
    }
    vp.ClosePath();
    constexpr double kHole = 0.17;
    vp.MoveTo(0.5 + kHole, 0.5);
    vp.ArcNegative(0.5, 0.5, kHole, 0, -2 * kPi);
    vp.ClosePath();
    vp.Fill(ink);
}

void Chevron(VectorPainter& vp, Argb ink, double sw, bool down) {
    const double tip = down ? 0.66 : 0.34;
    const double ends = down ? 0.36 : 0.64;
    vp.MoveTo(0.22, ends);
    vp.LineTo(0.5, tip);
    vp.LineTo(0.78, ends);
    vp.Stroke(ink, sw);
}

void PlayTriangle(VectorPainter& vp, Argb ink) {
    vp.MoveTo(0.3, 0.18);
    vp.LineTo(0.3, 0.82);
    vp.LineTo(0.84, 0.5);
    vp.ClosePath();
    vp.Fill(ink);
}

void PauseBars(VectorPainter& vp, Argb ink) {
    vp.RoundedRect(0.22, 0.18, 0.2, 0.64, 0.04);
    vp.RoundedRect(0.58, 0.18, 0.2, 0.64, 0.04);
    vp.Fill(ink);
}

// Two arrows in opposite directions, one above the other.
void SwapArrows(VectorPainter& vp, Argb ink, double sw) {
    Line(vp, 0.14, 0.32, 0.84, 0.32);
    vp.MoveTo(0.66, 0.14);
    vp.LineTo(0.84, 0.32);
    vp.LineTo(0.66, 0.5);
    Line(vp, 0.86, 0.68, 0.16, 0.68);
    vp.MoveTo(0.34, 0.5);
    vp.LineTo(0.16, 0.68);
    vp.LineTo(0.34, 0.86);
    vp.Stroke(ink, sw);
}

// A padlock: the closed one has its shackle down in the body, the open one
// has it lifted with the left leg out of the body.
void Padlock(VectorPainter& vp, bool closed, Argb body, double sw) {
    if (closed) {
        vp.MoveTo(0.31, 0.48);
        vp.LineTo(0.31, 0.32);
        vp.Arc(0.5, 0.32, 0.19, kPi, 2 * kPi);
        vp.LineTo(0.69, 0.48);
    } else {
        vp.MoveTo(0.31, 0.3);
        vp.LineTo(0.31, 0.18);
        vp.Arc(0.5, 0.18, 0.19, kPi, 2 * kPi);
        vp.LineTo(0.69, 0.48);
    }
    vp.Stroke(body, sw);
    vp.RoundedRect(0.16, 0.44, 0.68, 0.5, 0.08);
    vp.Fill(body);
    vp.Circle(0.5, 0.64, 0.07);
    vp.Fill(kWhite);
    vp.Rectangle(0.475, 0.64, 0.05, 0.16);
    vp.Fill(kWhite);
}

// Three bars rising left to right; the first `lit` are in the accent.
void SignalBars(VectorPainter& vp, int lit) {
    for (int i = 0; i < 3; ++i) {
        const double height = 0.34 + 0.31 * i;
        vp.RoundedRect(0.06 + 0.32 * i, 0.96 - height, 0.24, height, 0.05);
        vp.Fill(i < lit ? kAccent : kN300);
    }
}

void Key(VectorPainter& vp, Argb ink, double sw) {
    vp.Circle(0.3, 0.5, 0.17);
    vp.Stroke(ink, sw);
    vp.MoveTo(0.47, 0.5);
    vp.LineTo(0.88, 0.5);
    Line(vp, 0.72, 0.5, 0.72, 0.68);
    Line(vp, 0.86, 0.5, 0.86, 0.64);
    vp.Stroke(ink, sw);
}

// A circular arrow turning clockwise, with its head at the end.
void Refresh(VectorPainter& vp, Argb ink, double sw) {
    constexpr double kR = 0.32;
    const double from = -kPi / 2 + 0.45;
    const double to = 3 * kPi / 2 - 0.7;
    vp.Arc(0.5, 0.5, kR, from, to);
    vp.Stroke(ink, sw);
    const double ex = 0.5 + kR * std::cos(to);
    const double ey = 0.5 + kR * std::sin(to);
    const double tx = -std::sin(to);  // direction of travel
    const double ty = std::cos(to);
    constexpr double kHead = 0.24;
    vp.MoveTo(ex + tx * kHead, ey + ty * kHead);
    vp.LineTo(ex - ty * kHead * 0.8, ey + tx * kHead * 0.8);
    vp.LineTo(ex + ty * kHead * 0.8, ey - tx * kHead * 0.8);
    vp.ClosePath();
    vp.Fill(ink);
}

void ListLines(VectorPainter& vp, Argb ink, double sw) {
    for (const double y : {0.26, 0.5, 0.74}) {
        vp.Circle(0.18, y, 0.07);
        vp.Fill(ink);
        Line(vp, 0.36, y, 0.84, y);
        vp.Stroke(ink, sw);
    }
}

// A loudspeaker with `waves` sound waves in front of it.
void Speaker(VectorPainter& vp, Argb ink, double sw, int waves) {
    vp.MoveTo(0.08, 0.38);
    vp.LineTo(0.26, 0.38);
    vp.LineTo(0.48, 0.18);
    vp.LineTo(0.48, 0.82);
    vp.LineTo(0.26, 0.62);
    vp.LineTo(0.08, 0.62);
    vp.ClosePath();
    vp.Fill(ink);
    for (int i = 0; i < waves; ++i) {
        const double r = 0.16 + 0.14 * i;
        vp.Arc(0.5, 0.5, r, -kPi / 4, kPi / 4);
        vp.Stroke(ink, sw);
    }
}

void Tick(VectorPainter& vp, Argb ink, double sw) {
    vp.MoveTo(0.25, 0.52);
    vp.LineTo(0.43, 0.7);
    vp.LineTo(0.76, 0.32);
    vp.Stroke(ink, sw);
}

// A check box: empty, or filled in the accent with a tick.
void CheckBox(VectorPainter& vp, const UnitBox& box, Argb fill, Argb border, bool ticked) {
    vp.RoundedRect(0.08, 0.08, 0.84, 0.84, 0.18);
    vp.Fill(fill);
    vp.RoundedRect(0.08, 0.08, 0.84, 0.84, 0.18);
    vp.Stroke(border, box.Px(1.2));
    if (ticked) {
        Tick(vp, kWhite, box.Px(1.6));
    }
}

// A toggle switch: a rounded track with its knob at the left (off) or in
// the accent with its knob at the right (on).
void Toggle(VectorPainter& vp, bool on) {
    vp.RoundedRect(0.02, 0.22, 0.96, 0.56, 0.28);
    vp.Fill(on ? kAccent : kN300);
    vp.Circle(on ? 0.7 : 0.3, 0.5, 0.2);
    vp.Fill(kWhite);
}

void CheckInState(VectorPainter& vp, const UnitBox& box, FrameState state) {
    switch (state) {
        case FrameState::kHover:
            CheckBox(vp, box, kWhite, kAccentLight, false);
            break;
        case FrameState::kPressed:
        case FrameState::kActive:
            CheckBox(vp, box, kAccent, kAccentDark, true);
            break;
        case FrameState::kDisabled:
            CheckBox(vp, box, kN100, kN300, false);
            break;
        case FrameState::kNormal:
            CheckBox(vp, box, kWhite, kN400, false);
            break;
    }
}

void Monitor(VectorPainter& vp, Argb ink, double sw, bool filled) {
    vp.RoundedRect(0.08, 0.14, 0.84, 0.56, 0.06);
    if (filled) {
        vp.Fill(ink);
    } else {
        vp.Stroke(ink, sw);
    }
    Line(vp, 0.5, 0.7, 0.5, 0.84);
    Line(vp, 0.3, 0.86, 0.7, 0.86);
    vp.Stroke(ink, sw);
}

// Sound-wave arcs rising from (cx, cy): a picture being sent through the air.
void CastArcs(VectorPainter& vp, Argb ink, double sw, double cx, double cy, double size) {
    vp.Circle(cx, cy, size * 0.14);
    vp.Fill(ink);
    for (const double r : {0.45, 0.8}) {
        vp.Arc(cx, cy, size * r, -3 * kPi / 4, -kPi / 4);
        vp.Stroke(ink, sw);
    }
}

// An access point's signal: a dot and three arcs, the first `lit` in the
// accent; a network that asks for a key carries a small padlock.
void Wifi(VectorPainter& vp, const UnitBox& box, int lit, bool locked) {
    const double cx = locked ? 0.4 : 0.5;
    constexpr double kCy = 0.82;
    vp.Circle(cx, kCy, 0.09);
    vp.Fill(lit > 0 ? kAccent : kN300);
    for (int i = 0; i < 3; ++i) {
        vp.Arc(cx, kCy, 0.25 + 0.19 * i, -3 * kPi / 4, -kPi / 4);
        vp.Stroke(i + 1 < lit ? kAccent : kN300, box.Px(1.5));
    }
    if (locked) {
        vp.Save();
        vp.Translate(0.56, 0.5);
        vp.Scale(0.44, 0.5);
        Padlock(vp, true, kN700, box.Px(1.2) / 0.44);
        vp.Restore();
    }
}

// The program's picture: a screen sending to the air, on an accent square.
void Emblem(VectorPainter& vp, const UnitBox& box) {
    vp.RoundedRect(0, 0, 1, 1, 0.2);
    vp.FillVerticalGradient(kAccentLight, 0, kAccent, 1);
    vp.Save();
    vp.Translate(0.18, 0.2);
    vp.Scale(0.64, 0.64);
    Monitor(vp, kWhite, box.Px(2.5) / 0.64, false);
    CastArcs(vp, kWhite, box.Px(2.5) / 0.64, 0.5, 0.55, 0.35);
    vp.Restore();
}

void Laptop(VectorPainter& vp, Argb ink, double sw) {
    vp.RoundedRect(0.2, 0.2, 0.6, 0.44, 0.04);
    vp.Stroke(ink, sw);
    Line(vp, 0.06, 0.74, 0.94, 0.74);
    vp.Stroke(ink, sw * 1.4);
}

void Router(VectorPainter& vp, Argb ink, double sw) {
    vp.RoundedRect(0.1, 0.5, 0.8, 0.3, 0.06);
    vp.Stroke(ink, sw);
    Line(vp, 0.28, 0.5, 0.2, 0.18);
    Line(vp, 0.72, 0.5, 0.8, 0.18);
    vp.Stroke(ink, sw);
    for (const double x : {0.3, 0.42, 0.54}) {
        vp.Circle(x, 0.65, 0.035);
        vp.Fill(kAccent);
    }
}

// ---- Symbols placed on their frame ----

Argb InkOnButton(FrameState state) {
    switch (state) {
        case FrameState::kPressed:
            return kAccentDark;
        case FrameState::kDisabled:
            return kN400;
        case FrameState::kActive:
            return kWhite;
        default:
            return kAccent;
    }
}

void ButtonSymbol(VectorPainter& vp, SkinGlyph glyph, double cx, double cy, double side, Argb ink,
                  double strokePx) {
    const UnitBox box(vp, cx, cy, side);
    const double sw = box.Px(strokePx);
    switch (glyph) {
        case G::kExit:
            Cross(vp, ink, sw);
            break;
        case G::kMinimise:
            Dash(vp, ink, sw, 0.62);
            break;
        case G::kSettings:
            Gear(vp, ink);
            break;
        case G::kDropdown:
        case G::kSelect:
        case G::kArrowDown:
            Chevron(vp, ink, sw, true);
            break;
        case G::kArrowUp:
            Chevron(vp, ink, sw, false);
            break;
        case G::kPlus:
            PlusSign(vp, ink, sw);
            break;
        case G::kMinus:
            Dash(vp, ink, sw, 0.5);
            break;
        case G::kKey:
            Key(vp, ink, sw);
            break;
        case G::kRefresh:
            Refresh(vp, ink, sw);
            break;
        case G::kList:
            ListLines(vp, ink, sw);
            break;
        case G::kPlay:
            PlayTriangle(vp, ink);
            break;
        case G::kPause:
            PauseBars(vp, ink);
            break;
        case G::kSwap:
            SwapArrows(vp, ink, sw);
            break;
        default:
            break;
    }
}

// Symbols that are the whole picture of a transparent or card image.
void IconSymbol(VectorPainter& vp, SkinGlyph glyph, double w, double h, FrameState state) {
    const double side = std::min(w, h);
    const UnitBox box(vp, w / 2, h / 2, side);
    const double sw = box.Px(std::clamp(side / 9, 1.2, 2.2));
    switch (glyph) {
        case G::kPadlockOpen:
        case G::kPadlockClosed:
            break;  // on their badge, below
        case G::kSignal1:
            SignalBars(vp, 1);
            break;
        case G::kSignal2:
            SignalBars(vp, 2);
            break;
        case G::kSignal3:
            SignalBars(vp, 3);
            break;
        case G::kCheck:
            CheckInState(vp, box, state);
            break;
        case G::kSwitchOff:
            Toggle(vp, false);
            break;
        case G::kSwitchOn:
            Toggle(vp, true);
            break;
        case G::kVolumeDown:
            Speaker(vp, kAccent, sw, 1);
            break;
        case G::kVolumeUp:
            Speaker(vp, kAccent, sw, 3);
            break;
        case G::kKnob:
            vp.Circle(0.5, 0.5, 0.4);
            vp.Fill(kWhite);
            vp.Circle(0.5, 0.5, 0.4);
            vp.Stroke(kAccent, box.Px(2));
            break;
        case G::kDot:
            vp.Circle(0.5, 0.5, 0.3);
            vp.Fill(kN400);
            break;
        case G::kDotCurrent:
            vp.Circle(0.5, 0.5, 0.42);
            vp.Fill(kAccentLight);
            break;
        case G::kEmblem:
            Emblem(vp, box);
            break;
        case G::kTrayIdle:
            Monitor(vp, kN500, box.Px(1.5), false);
            break;
        case G::kTrayConnected:
            Monitor(vp, kAccent, box.Px(1.5), false);
            vp.Circle(0.5, 0.42, 0.12);
            vp.Fill(kAccent);
            break;
        case G::kTrayProjecting:
            Monitor(vp, kAccent, box.Px(1.5), true);
            vp.MoveTo(0.42, 0.27);
            vp.LineTo(0.42, 0.57);
            vp.LineTo(0.66, 0.42);
            vp.ClosePath();
            vp.Fill(kWhite);
            break;
        default:
            break;
    }
}

void PictureSymbol(VectorPainter& vp, SkinGlyph glyph, double w, double h) {
    switch (glyph) {
        case G::kTile: {
            const UnitBox box(vp, w / 2, h / 2, h * 0.4);
            Monitor(vp, kN300, box.Px(2), false);
            break;
        }
        case G::kReceiver: {
            const UnitBox box(vp, w / 2, h / 2, std::min(w, h) * 0.6);
            Monitor(vp, kN500, box.Px(2), false);
            CastArcs(vp, kAccent, box.Px(2), 0.5, 0.56, 0.3);
            break;
        }
        case G::kSelected: {
            // A tick badge in the top-right corner of the accent ring.
            const double r = std::min(w, h) * 0.11;
            vp.RoundedRect(1, 1, w - 2, h - 2, kRadius + 2);
            vp.Stroke(kAccent, 2);
            vp.Circle(w - r - 4, r + 4, r);
            vp.Fill(kAccent);
            const UnitBox box(vp, w - r - 4, r + 4, 2 * r);
            Tick(vp, kWhite, box.Px(2));
            break;
        }
        case G::kSplash: {
            {
                const UnitBox box(vp, w / 2, h * 0.42, std::min(w, h) * 0.36);
                Emblem(vp, box);
            }
            const double r = h * 0.018;
            for (int i = 0; i < 3; ++i) {
                vp.Circle(w / 2 + (i - 1) * r * 4, h * 0.82, r);
                vp.Fill(i == 1 ? kAccentLight : kN400);
            }
            break;
        }
        case G::kNetwork: {
            const double side = h * 0.7;
            const double xs[3] = {w * 0.15, w * 0.5, w * 0.85};
            for (int i = 0; i < 2; ++i) {
                vp.MoveTo(xs[i] + side * 0.6, h / 2);
                vp.LineTo(xs[i + 1] - side * 0.6, h / 2);
                vp.Stroke(kAccent, 2, 5);
            }
            {
                const UnitBox box(vp, xs[0], h / 2, side);
                Laptop(vp, kN500, box.Px(2));
            }
            {
                const UnitBox box(vp, xs[1], h / 2, side);
                Monitor(vp, kN500, box.Px(2), false);
                CastArcs(vp, kAccent, box.Px(2), 0.5, 0.56, 0.3);
            }
            {
                const UnitBox box(vp, xs[2], h / 2, side);
                Router(vp, kN500, box.Px(2));
            }
            break;
        }
        default:
            if (IsWifiGlyph(glyph)) {
                const bool locked = glyph >= G::kWifi0Locked;
                const int lit = static_cast<int>(glyph) -
                                static_cast<int>(locked ? G::kWifi0Locked : G::kWifi0);
                const UnitBox box(vp, w / 2, h / 2, std::min(w, h));
                Wifi(vp, box, lit, locked);
            }
            break;
    }
}

}  // namespace

void DrawSymbol(VectorPainter& vp, SkinGlyph glyph, double w, double h, FrameState state) {
    if (!IsSkinSymbol(glyph)) {
        return;
    }
    // A pressed button's symbol sits one pixel lower.
    const double dy = state == FrameState::kPressed ? 1 : 0;
    const double side = std::min(w, h);
    switch (BodyOf(glyph)) {
        case BodyKind::kButton:
            ButtonSymbol(vp, glyph, w / 2, h / 2 + dy, side * 0.62, InkOnButton(state),
                         side < 18 ? 1.5 : 1.75);
            break;
        case BodyKind::kTitleButton:
            ButtonSymbol(vp, glyph, w / 2, h / 2 + dy, std::clamp(side * 0.48, 7.0, 12.0),
                         state == FrameState::kDisabled ? Faded(kWhite, 0.4) : kWhite, 1.5);
            break;
        case BodyKind::kField:
            ButtonSymbol(vp, glyph, w - h * 0.55, h / 2, h * 0.45, kN500, 1.5);
            break;
        case BodyKind::kOverlay:
            ButtonSymbol(vp, glyph, w / 2, h / 2, h * 0.24, kAccent, 2.5);
            break;
        case BodyKind::kBadge: {
            const UnitBox box(vp, w / 2, h / 2, side * 0.7);
            const bool closed = glyph == G::kPadlockClosed;
            Padlock(vp, closed, closed ? kAccent : kN500, box.Px(1.6));
            break;
        }
        case BodyKind::kClear:
            IconSymbol(vp, glyph, w, h, state);
            break;
        case BodyKind::kSurface:
            PictureSymbol(vp, glyph, w, h);
            break;
    }
}

}  // namespace appres::skin
