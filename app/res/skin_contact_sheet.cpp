#include "app/res/skin_contact_sheet.h"

#include <algorithm>
#include <vector>

#include "platform/draw/painter.h"

namespace appres {

namespace {

using platform::Argb;

constexpr int kSheetWidth = 1600;
constexpr int kMargin = 16;
constexpr int kFrameGap = 6;  // between the frames of one strip
constexpr int kCellGap = 20;  // between images
constexpr int kLabelHeight = 16;
// Small images are also shown magnified, pixel for pixel, under the strip.
constexpr int kZoom = 4;
constexpr int kZoomMaxFrameWidth = 64;
constexpr int kZoomMaxHeight = 32;

// A mid grey, so that white symbols and dark ones both show; its blue byte
// is outside the marker range.
constexpr Argb kBackdrop{0xFF8C939C};
constexpr Argb kLabelColour{0xFF11151A};

struct Cell {
    const SkinImageSpec* spec;
    std::unique_ptr<platform::Image> image;
    int x = 0;
    int y = 0;
    int width = 0;   // frames plus the gaps between them, or the label's width
    int height = 0;  // image, magnified image and label
    bool zoomed = false;
};

std::string Label(const SkinImageSpec& spec) {
    return std::to_string(spec.id) + "  " + std::to_string(spec.width) + "x" +
           std::to_string(spec.height) + "  " + std::to_string(spec.frames) + "f  " +
           std::string(SkinGlyphName(spec.glyph));
}

constexpr int kMinLabelWidth = 180;

// Blends `over` onto the opaque `under`.
Argb Blend(Argb over, Argb under) {
    const int a = over.Alpha();
    auto mix = [a](int o, int u) { return static_cast<uint8_t>((o * a + u * (255 - a)) / 255); };
    return Argb::FromArgb(0xFF, mix(over.Red(), under.Red()), mix(over.Green(), under.Green()),
                          mix(over.Blue(), under.Blue()));
}

// Draws frame `src` of `pixels` kZoom times larger at `at`, each source pixel
// a square, blended over the sheet's backdrop.
void DrawMagnified(platform::Surface& sheet, const platform::Surface& pixels,
                   const platform::Rect& src, platform::Point at) {
    uint32_t* out = sheet.MutablePixels();
    const int stride = sheet.Stride() / 4;
    for (int y = src.top; y < src.bottom; ++y) {
        for (int x = src.left; x < src.right; ++x) {
            const uint32_t p = platform::PremultiplyArgb(Blend(pixels.PixelAt(x, y), kBackdrop));
            const int ox = at.x + (x - src.left) * kZoom;
            const int oy = at.y + (y - src.top) * kZoom;
            for (int dy = 0; dy < kZoom; ++dy) {
                std::fill_n(out + (oy + dy) * stride + ox, kZoom, p);
            }
        }
    }
    sheet.MarkDirty();
}

}  // namespace

std::unique_ptr<platform::Surface> SkinContactSheet::Make(const SkinManifest& manifest,
                                                          const platform::ImageLoader& loader,
                                                          std::string* reason) {
    std::vector<Cell> cells;
    for (const SkinImageSpec& spec : manifest.Images()) {
        Cell cell{&spec, spec.kind == SkinImageKind::kPng ? loader.LoadPngResource(spec.id)
                                                          : loader.LoadBitmapResource(spec.id)};
        if (!cell.image) {
            *reason = "image " + std::to_string(spec.id) + " cannot be loaded";
            return nullptr;
        }
        const int stripWidth = spec.width + (spec.frames - 1) * kFrameGap;
        cell.zoomed =
            spec.width / spec.frames <= kZoomMaxFrameWidth && spec.height <= kZoomMaxHeight;
        cell.width =
            std::max(cell.zoomed ? spec.width * kZoom + (spec.frames - 1) * kFrameGap : stripWidth,
                     kMinLabelWidth);
        cell.height = spec.height + kLabelHeight + (cell.zoomed ? spec.height * kZoom + 4 : 0);
        cells.push_back(std::move(cell));
    }
    // Flow the cells into rows.
    int x = kMargin;
    int y = kMargin;
    int rowHeight = 0;
    int widest = 0;
    for (Cell& cell : cells) {
        if (x > kMargin && x + cell.width > kSheetWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kCellGap;
            rowHeight = 0;
        }
        cell.x = x;
        cell.y = y;
        x += cell.width + kCellGap;
        rowHeight = std::max(rowHeight, cell.height);
        widest = std::max(widest, cell.x + cell.width);
    }
    auto sheet =
        platform::Surface::Create(std::max(kSheetWidth, widest + kMargin), y + rowHeight + kMargin);
    if (!sheet) {
        *reason = "the sheet is too large";
        return nullptr;
    }
    sheet->Clear(kBackdrop);
    for (const Cell& cell : cells) {
        if (!cell.zoomed) {
            continue;
        }
        const SkinImageSpec& spec = *cell.spec;
        const platform::Surface* pixels = cell.image->TakesColourKey()
                                              ? cell.image->KeyedPixels(platform::kMagentaKey)
                                              : &cell.image->Pixels();
        if (!pixels) {
            *reason = "out of memory";
            return nullptr;
        }
        for (int i = 0; i < spec.frames; ++i) {
            const platform::Rect frame = spec.FrameRect(i);
            DrawMagnified(*sheet, *pixels, frame,
                          {cell.x + frame.left * kZoom + i * kFrameGap, cell.y + spec.height + 4});
        }
    }
    platform::Painter painter(*sheet);
    platform::TextStyle style;
    style.pixelSize = 11;
    style.singleLine = true;
    for (const Cell& cell : cells) {
        const SkinImageSpec& spec = *cell.spec;
        for (int i = 0; i < spec.frames; ++i) {
            const platform::Rect frame = spec.FrameRect(i);
            const platform::Point at{cell.x + frame.left + i * kFrameGap, cell.y};
            painter.DrawImage(*cell.image, frame, at, platform::kMagentaKey);
        }
        painter.DrawText(Label(spec),
                         platform::Rect::FromXywh(cell.x, cell.y + cell.height - kLabelHeight + 2,
                                                  cell.width, kLabelHeight - 2),
                         style, kLabelColour);
    }
    return sheet;
}

}  // namespace appres
