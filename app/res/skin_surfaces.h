// The bodies of the generated skin images: dialog and page backgrounds,
// rows, panels, button faces, and the faces that the symbols stand on.
// Used by SkinImagePainter; stateless, any thread.
#pragma once

#include "app/res/skin_glyph.h"
#include "app/res/skin_style.h"
#include "platform/draw/vector_painter.h"

namespace appres::skin {

// What a glyph stands on, which also decides the colour of its symbol.
enum class BodyKind {
    kClear,        // nothing: an icon on its own (PNG alpha, or keyed bitmap)
    kButton,       // a light rounded button face
    kTitleButton,  // a square on the dark title bar
    kField,        // a white text-box face
    kSurface,      // the glyph is the whole picture (backgrounds, rows, ...)
    kOverlay,      // a dimmed tile with a round white button in the middle
    kBadge,        // a small white round badge
};

BodyKind BodyOf(SkinGlyph glyph);

// True for the access-point signal pictures ("wifi-0" to "wifi-4-locked").
bool IsWifiGlyph(SkinGlyph glyph);

// The colour that lies behind a bitmap of this glyph on screen: partly
// covered edge pixels of a keyed bitmap are blended over it.
Argb MatteOf(SkinGlyph glyph);

// True when the body covers its whole frame with opaque colour.
bool BodyIsOpaque(SkinGlyph glyph);

// Draws the body of `glyph` over the frame (0, 0, w, h) in `state`, for a
// strip of `frames` frames.
void DrawBody(platform::VectorPainter& vp, SkinGlyph glyph, double w, double h, FrameState state,
              int frames);

}  // namespace appres::skin
