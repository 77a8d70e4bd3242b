#include "app/res/skin_surfaces.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace appres::skin {

namespace {

using platform::VectorPainter;
using G = SkinGlyph;

// Title bar heights, from where the layout tables put the title texts and
// the title-bar buttons: 29 on secondary dialogs (exit button 19 x 29), 22 on
// message boxes (exit 22 x 22), 26 on the main window's pages (25 x 25
// buttons at y 1, lists opening at y 26).
constexpr double kDialogBar = 29;
constexpr double kMessageBar = 22;
constexpr double kPageBar = 26;

// The tile places of the main page (x, y; each 212 x 120).
constexpr double kTileW = 212;
constexpr double kTileH = 120;
constexpr double kTiles[4][2] = {{36, 57}, {277, 57}, {36, 230}, {277, 230}};

// The well of the list control on the access-point and receiver lists.
constexpr double kListWell[4] = {15, 70, 320, 92};

void LightBody(VectorPainter& vp, double w, double h) {
    vp.Rectangle(0, 0, w, h);
    vp.FillVerticalGradient(kN50, 0, kN100, h);
}

// A dark title bar with a thin accent rule under it.
void TitleBar(VectorPainter& vp, double w, double bar) {
    vp.Rectangle(0, 0, w, bar);
    vp.FillVerticalGradient(kN700, 0, kTitleBar, bar);
    vp.Rectangle(0, bar, w, 2);
    vp.Fill(kAccent);
}

void Outline(VectorPainter& vp, double w, double h, Argb colour) {
    vp.Rectangle(0.5, 0.5, w - 1, h - 1);
    vp.Stroke(colour, 1);
}

// A sunken place: a rounded well that something else is drawn into.
void Well(VectorPainter& vp, double x, double y, double w, double h, Argb fill) {
    vp.RoundedRect(x - 0.5, y - 0.5, w + 1, h + 1, kRadius + 1);
    vp.Fill(fill);
    vp.RoundedRect(x - 0.5, y - 0.5, w + 1, h + 1, kRadius + 1);
    vp.Stroke(kN300, 1);
}

void Page(VectorPainter& vp, double w, double h, double bar, std::span<const double[2]> tiles) {
    LightBody(vp, w, h);
    for (const auto& t : tiles) {
        Well(vp, t[0], t[1], kTileW, kTileH, kN100);
    }
    TitleBar(vp, w, bar);
}

void ButtonFace(VectorPainter& vp, double w, double h, FrameState state) {
    Argb fillTop = kWhite;
    Argb fillBottom = kN100;
    Argb border = kN300;
    switch (state) {
        case FrameState::kNormal:
            break;
        case FrameState::kHover:
            fillBottom = kWhite;
            border = kAccentLight;
            break;
        case FrameState::kPressed:
            fillTop = kN200;
            fillBottom = kN100;
            border = kAccentDark;
            break;
        case FrameState::kDisabled:
            fillTop = kN200;
            fillBottom = kN200;
            border = kN300;
            break;
        case FrameState::kActive:
            // The active frame of a two-frame button: the accent face.
            fillTop = kAccentLight;
            fillBottom = kAccent;
            border = kAccentDark;
            break;
    }
    vp.RoundedRect(0, 0, w, h, kRadius);
    vp.FillVerticalGradient(fillTop, 0, fillBottom, h);
    vp.RoundedRect(0.5, 0.5, w - 1, h - 1, kRadius - 0.5);
    vp.Stroke(border, 1);
}

// Two-frame caption buttons are outlined in the accent when normal, as the
// widgets' own flat drawing of them is.
void FlatButtonFace(VectorPainter& vp, double w, double h, FrameState state) {
    if (state == FrameState::kActive) {
        ButtonFace(vp, w, h, state);
        return;
    }
    vp.RoundedRect(0, 0, w, h, kRadius);
    vp.Fill(kWhite);
    vp.RoundedRect(0.5, 0.5, w - 1, h - 1, kRadius - 0.5);
    vp.Stroke(kAccent, 1);
}

void TitleButtonFace(VectorPainter& vp, double w, double h, FrameState state) {
    vp.Rectangle(0, 0, w, h);
    switch (state) {
        case FrameState::kHover:
        case FrameState::kActive:
            vp.Fill(Faded(kWhite, 0.18));
            break;
        case FrameState::kPressed:
            vp.Fill(Faded(kN900, 0.85));
            break;
        case FrameState::kNormal:
        case FrameState::kDisabled:
            vp.Fill(Argb{0});
            break;
    }
}

void FieldFace(VectorPainter& vp, double w, double h) {
    vp.RoundedRect(0, 0, w, h, kRadius);
    vp.Fill(kWhite);
    vp.RoundedRect(0.5, 0.5, w - 1, h - 1, kRadius - 0.5);
    vp.Stroke(kN300, 1);
}

void Row(VectorPainter& vp, double w, double h, Argb fill) {
    vp.Rectangle(0, 0, w, h);
    vp.Fill(fill);
    vp.Rectangle(0, h - 1, w, 1);
    vp.Fill(kN200);
}

// A horizontal groove across the middle of a slider strip on the white of
// the slider area.
void Groove(VectorPainter& vp, double w, double h, Argb colour) {
    vp.Rectangle(0, 0, w, h);
    vp.Fill(kWhite);
    vp.RoundedRect(0, h / 2 - 2, w, 4, 2);
    vp.Fill(colour);
}

// The scrollbar thumb is an 9-pixel-wide pill; its caps are its two ends.
constexpr double kThumbLeft = 4;
constexpr double kThumbWidth = 9;

void Card(VectorPainter& vp, double w, double h, Argb top, Argb bottom) {
    vp.RoundedRect(0, 0, w, h, kRadius + 1);
    vp.FillVerticalGradient(top, 0, bottom, h);
    vp.RoundedRect(0.5, 0.5, w - 1, h - 1, kRadius + 0.5);
    vp.Stroke(kN300, 1);
}

void Surface(VectorPainter& vp, SkinGlyph glyph, double w, double h) {
    switch (glyph) {
        case G::kDialog:
            LightBody(vp, w, h);
            TitleBar(vp, w, kDialogBar);
            Outline(vp, w, h, kN300);
            break;
        case G::kDialogList:
            LightBody(vp, w, h);
            Well(vp, kListWell[0], kListWell[1], kListWell[2], kListWell[3], kWhite);
            TitleBar(vp, w, kDialogBar);
            Outline(vp, w, h, kN300);
            break;
        case G::kMessage:
            LightBody(vp, w, h);
            TitleBar(vp, w, kMessageBar);
            Outline(vp, w, h, kN300);
            break;
        case G::kPrompt:
            vp.Rectangle(0, 0, w, h);
            vp.FillVerticalGradient(kWhite, 0, kN50, h);
            Outline(vp, w, h, kN300);
            vp.Rectangle(0, 0, w, 3);
            vp.Fill(kAccent);
            break;
        case G::kPage:
            Page(vp, w, h, kPageBar, {});
            break;
        case G::kTiles2:
            Page(vp, w, h, kPageBar, std::span(kTiles).first(2));
            break;
        case G::kTiles4:
            Page(vp, w, h, kPageBar, std::span(kTiles));
            break;
        case G::kPanel:
            vp.Rectangle(0, 0, w, h);
            vp.Fill(kWhite);
            Outline(vp, w, h, kN300);
            break;
        case G::kRow:
            Row(vp, w, h, kWhite);
            break;
        case G::kRowAlt:
            Row(vp, w, h, kN50);
            break;
        case G::kRowSelected:
            Row(vp, w, h, kAccentTint);
            vp.Rectangle(0, 0, 3, h);
            vp.Fill(kAccent);
            break;
        case G::kSeparator:
            vp.Rectangle(0, std::floor(h / 2) - 0.5, w, 1);
            vp.Fill(kN200);
            break;
        case G::kField:
            FieldFace(vp, w, h);
            break;
        case G::kTrack:
            Groove(vp, w, h, kN200);
            break;
        case G::kTrackFill:
            Groove(vp, w, h, kAccent);
            break;
        case G::kScrollTrack:
            vp.Rectangle(0, 0, w, h);
            vp.Fill(kN50);
            vp.Rectangle(0, 0, 1, h);
            vp.Fill(kN200);
            break;
        case G::kThumbTop:
            vp.RoundedRect(kThumbLeft, 1, kThumbWidth, 2 * h, kThumbWidth / 2);
            vp.Fill(kN400);
            break;
        case G::kThumbBody:
            vp.Rectangle(kThumbLeft, 0, kThumbWidth, h);
            vp.Fill(kN400);
            break;
        case G::kThumbBottom:
            vp.RoundedRect(kThumbLeft, -h, kThumbWidth, 2 * h - 1, kThumbWidth / 2);
            vp.Fill(kN400);
            break;
        case G::kMask:
            vp.Rectangle(0, 0, w, h);
            vp.Fill(Faded(kN900, 0.45));
            break;
        case G::kHighlight:
            vp.RoundedRect(1, 1, w - 2, h - 2, kRadius + 2);
            vp.Stroke(kAccent, 2);
            break;
        case G::kTileFrame:
            vp.RoundedRect(0.5, 0.5, w - 1, h - 1, kRadius + 1);
            vp.Stroke(kN300, 1);
            break;
        case G::kTile:
            Card(vp, w, h, kN100, kN200);
            break;
        case G::kReceiver:
            Card(vp, w, h, kWhite, kN50);
            break;
        case G::kSplash:
            vp.Rectangle(0, 0, w, h);
            vp.FillVerticalGradient(kN700, 0, kN900, h);
            break;
        default:
            if (IsWifiGlyph(glyph)) {
                vp.Rectangle(0, 0, w, h);
                vp.Fill(kListBackground);
            }
            break;
    }
}

void Overlay(VectorPainter& vp, double w, double h) {
    vp.RoundedRect(0, 0, w, h, kRadius + 1);
    vp.Fill(Faded(kN900, 0.35));
    vp.Circle(w / 2, h / 2, h * 0.21);
    vp.Fill(Faded(kWhite, 0.95));
}

void Badge(VectorPainter& vp, double w, double h) {
    const double r = std::min(w, h) / 2 - 0.5;
    vp.Circle(w / 2, h / 2, r);
    vp.Fill(Faded(kWhite, 0.95));
    vp.Circle(w / 2, h / 2, r - 0.5);
    vp.Stroke(kN300, 1);
}

}  // namespace

bool IsWifiGlyph(SkinGlyph glyph) {
    return glyph >= G::kWifi0 && glyph <= G::kWifi4Locked;
}

BodyKind BodyOf(SkinGlyph glyph) {
    switch (glyph) {
        case G::kNone:
        case G::kPlus:
        case G::kMinus:
        case G::kKey:
        case G::kRefresh:
        case G::kList:
        case G::kArrowUp:
        case G::kArrowDown:
            return BodyKind::kButton;
        case G::kExit:
        case G::kMinimise:
        case G::kSettings:
        case G::kDropdown:
            return BodyKind::kTitleButton;
        case G::kSelect:
            return BodyKind::kField;
        case G::kPlay:
        case G::kPause:
        case G::kSwap:
            return BodyKind::kOverlay;
        case G::kPadlockOpen:
        case G::kPadlockClosed:
            return BodyKind::kBadge;
        case G::kTile:
        case G::kReceiver:
        case G::kSplash:
        case G::kSelected:
        case G::kNetwork:
            return BodyKind::kSurface;
        default:
            return IsSkinSymbol(glyph) && !IsWifiGlyph(glyph) ? BodyKind::kClear
                                                              : BodyKind::kSurface;
    }
}

Argb MatteOf(SkinGlyph glyph) {
    switch (BodyOf(glyph)) {
        case BodyKind::kTitleButton:
            return kTitleBar;
        default:
            return kN50;
    }
}

bool BodyIsOpaque(SkinGlyph glyph) {
    switch (glyph) {
        case G::kDialog:
        case G::kDialogList:
        case G::kMessage:
        case G::kPrompt:
        case G::kPage:
        case G::kTiles2:
        case G::kTiles4:
        case G::kPanel:
        case G::kRow:
        case G::kRowAlt:
        case G::kRowSelected:
        case G::kTrack:
        case G::kTrackFill:
        case G::kScrollTrack:
        case G::kSplash:
            return true;
        default:
            return IsWifiGlyph(glyph);
    }
}

void DrawBody(VectorPainter& vp, SkinGlyph glyph, double w, double h, FrameState state,
              int frames) {
    switch (BodyOf(glyph)) {
        case BodyKind::kButton:
            if (glyph == G::kNone && frames == 2) {
                FlatButtonFace(vp, w, h, state);
            } else {
                ButtonFace(vp, w, h, state);
            }
            break;
        case BodyKind::kTitleButton:
            TitleButtonFace(vp, w, h, state);
            break;
        case BodyKind::kField:
            FieldFace(vp, w, h);
            break;
        case BodyKind::kOverlay:
            Overlay(vp, w, h);
            break;
        case BodyKind::kBadge:
            Badge(vp, w, h);
            break;
        case BodyKind::kSurface:
            Surface(vp, glyph, w, h);
            break;
        case BodyKind::kClear:
            break;
    }
}

}  // namespace appres::skin
