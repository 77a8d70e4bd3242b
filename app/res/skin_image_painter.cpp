#include "app/res/skin_image_painter.h"

#include "app/res/skin_marker.h"
#include "platform/draw/painter.h"

namespace appres {

namespace {

using platform::Argb;

// Fill and border of a single-frame picture (backgrounds, icons): a light
// panel with the program's blue edge.
constexpr Argb kPanelFill{0xFFF2F4F7};
constexpr Argb kPanelBorder{0xFF1A6BBC};

// Fills of the looks of a multi-frame strip, by frame index modulo 4: normal,
// hover, pressed, inactive; the border is a darker shade of each. None of
// these has a blue byte in the marker range 0xA0..0xAF.
constexpr Argb kStateFill[4] = {Argb{0xFF1A6BBC}, Argb{0xFF3D8BD8}, Argb{0xFF0F4A85},
                                Argb{0xFFB4B4B4}};
constexpr Argb kStateBorder[4] = {Argb{0xFF0F4A85}, Argb{0xFF1A6BBC}, Argb{0xFF082C50},
                                  Argb{0xFF7D7D7D}};

}  // namespace

std::unique_ptr<platform::Surface> SkinImagePainter::Paint(const SkinImageSpec& spec) {
    auto surface = platform::Surface::Create(spec.width, spec.height);
    if (!surface) {
        return nullptr;
    }
    surface->Clear(kPanelFill);
    const bool strip = spec.frames > 1;
    {
        platform::Painter painter(*surface);
        for (int i = 0; i < spec.frames; ++i) {
            const platform::Rect frame = spec.FrameRect(i);
            painter.FillRect(frame, strip ? kStateFill[i % 4] : kPanelFill);
            painter.FrameRect(frame, strip ? kStateBorder[i % 4] : kPanelBorder);
        }
    }
    // Marker and key pixels are written directly: they must hold their exact
    // colour, and the painter blends.
    uint32_t* pixels = surface->MutablePixels();
    const int stride = surface->Stride() / 4;
    auto put = [&](int x, int y, Argb colour) {
        pixels[y * stride + x] = platform::PremultiplyArgb(colour);
    };
    for (int i = 0; i < spec.frames; ++i) {
        const platform::Rect frame = spec.FrameRect(i);
        put(frame.left + kSkinMarkerOffset.x, frame.top + kSkinMarkerOffset.y,
            SkinMarkerColour(spec.id, i));
        if (spec.kind == SkinImageKind::kBitmap) {
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
