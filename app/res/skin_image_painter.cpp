#include "app/res/skin_image_painter.h"

#include "app/res/skin_marker.h"
#include "app/res/skin_style.h"
#include "app/res/skin_surfaces.h"
#include "app/res/skin_symbols.h"
#include "platform/draw/vector_painter.h"

namespace appres {

namespace {

using platform::Argb;

// Bitmaps have no alpha: a pixel that a shape covers at least half is blended
// over the colour behind the image on screen, the rest becomes the colour key.
constexpr uint32_t kHalfCovered = 0x80;

void FlattenForBitmap(platform::Surface& surface, Argb matte) {
    uint32_t* pixels = surface.MutablePixels();
    const int stride = surface.Stride() / 4;
    const uint32_t key = platform::PremultiplyArgb(platform::kMagentaKey);
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            uint32_t& p = pixels[y * stride + x];
            const uint32_t a = p >> 24;
            if (a < kHalfCovered) {
                p = key;
                continue;
            }
            // Premultiplied "over": colour + matte * (1 - alpha).
            auto channel = [&](int shift, uint8_t behind) {
                const uint32_t c = (p >> shift) & 0xFF;
                return (c + behind * (255 - a) / 255) << shift;
            };
            p = 0xFF000000u | channel(16, matte.Red()) | channel(8, matte.Green()) |
                channel(0, matte.Blue());
        }
    }
}

// Blending makes any colour; keep opaque pixels out of the marker range, so
// that only marker pixels read as markers.
void ClearMarkerRange(platform::Surface& surface) {
    uint32_t* pixels = surface.MutablePixels();
    const int stride = surface.Stride() / 4;
    for (int y = 0; y < surface.Height(); ++y) {
        for (int x = 0; x < surface.Width(); ++x) {
            uint32_t& p = pixels[y * stride + x];
            const uint32_t blue = p & 0xFF;
            if ((p >> 24) == 0xFF && (blue & 0xF0) == 0xA0) {
                p = (p & 0xFFFFFF00u) | (blue < 0xA8 ? 0x9Fu : 0xB0u);
            }
        }
    }
}

}  // namespace

std::unique_ptr<platform::Surface> SkinImagePainter::Paint(const SkinImageSpec& spec,
                                                           Layers layers) {
    auto surface = platform::Surface::Create(spec.width, spec.height);
    if (!surface) {
        return nullptr;
    }
    const bool bitmap = spec.kind == SkinImageKind::kBitmap;
    const Argb matte = skin::MatteOf(spec.glyph);
    // A title-bar button stands on the bar: as a bitmap it is the bar itself.
    const bool fillMatte = bitmap && skin::BodyOf(spec.glyph) == skin::BodyKind::kTitleButton;
    {
        platform::VectorPainter vp(*surface);
        for (int i = 0; i < spec.frames; ++i) {
            const platform::Rect frame = spec.FrameRect(i);
            const skin::FrameState state = skin::StateOfFrame(spec.frames, i);
            const double w = frame.Width();
            const double h = frame.Height();
            vp.Save();
            vp.ClipRect(frame.left, frame.top, w, h);
            vp.Translate(frame.left, frame.top);
            if (fillMatte) {
                vp.Rectangle(0, 0, w, h);
                vp.Fill(matte);
            }
            skin::DrawBody(vp, spec.glyph, w, h, state, spec.frames);
            if (layers == Layers::kAll) {
                skin::DrawSymbol(vp, spec.glyph, w, h, state);
            }
            vp.Restore();
        }
    }
    if (bitmap) {
        FlattenForBitmap(*surface, matte);
    }
    ClearMarkerRange(*surface);
    // Marker and key pixels are written directly: they must hold their exact
    // colour.
    uint32_t* pixels = surface->MutablePixels();
    const int stride = surface->Stride() / 4;
    auto put = [&](int x, int y, Argb colour) {
        pixels[y * stride + x] = platform::PremultiplyArgb(colour);
    };
    for (int i = 0; i < spec.frames; ++i) {
        const platform::Rect frame = spec.FrameRect(i);
        put(frame.left + kSkinMarkerOffset.x, frame.top + kSkinMarkerOffset.y,
            SkinMarkerColour(spec.id, i));
        if (bitmap) {
            put(frame.left, frame.top, platform::kMagentaKey);
            put(frame.right - 1, frame.top, platform::kMagentaKey);
            put(frame.left, frame.bottom - 1, platform::kMagentaKey);
            put(frame.right - 1, frame.bottom - 1, platform::kMagentaKey);
        }
    }
    surface->MarkDirty();
    return surface;
}

}  // namespace appres
