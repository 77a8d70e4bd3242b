// The symbols of the generated skin images: small vector pictures (exit,
// minimise, gear, play, padlocks, signal bars, ...) drawn centred and scaled
// to the frame, so that they stay sharp at every size the layout tables use.
// Used by SkinImagePainter; stateless, any thread.
#pragma once

#include "app/res/skin_glyph.h"
#include "app/res/skin_style.h"
#include "platform/draw/vector_painter.h"

namespace appres::skin {

// Draws the symbol of `glyph` over its body in the frame (0, 0, w, h), in the
// colours of `state`. A surface glyph draws nothing.
void DrawSymbol(platform::VectorPainter& vp, SkinGlyph glyph, double w, double h, FrameState state);

}  // namespace appres::skin
