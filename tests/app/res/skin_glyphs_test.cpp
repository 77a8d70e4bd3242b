// The generated skin as a person reads it: every symbol leaves ink on its
// body, the frames of a strip look different, no two glyphs draw the same
// picture, and each image shows the glyph of its purpose.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/res/skin_glyph.h"
#include "app/res/skin_image_painter.h"
#include "app/res/skin_manifest.h"
#include "app/res/skin_marker.h"

namespace appres {
namespace {

using platform::Argb;

SkinManifest LoadManifest() {
    SkinManifest manifest;
    std::string reason;
    EXPECT_TRUE(SkinManifest::Load(PEMU_RES_SOURCE_DIR "/skin_manifest.txt", &manifest, &reason))
        << reason;
    return manifest;
}

// A visible difference: some channel (alpha included) apart by more than a
// rounding step.
bool Differ(Argb a, Argb b) {
    auto apart = [](int x, int y) { return std::abs(x - y) > 24; };
    return apart(a.Alpha(), b.Alpha()) || apart(a.Red(), b.Red()) || apart(a.Green(), b.Green()) ||
           apart(a.Blue(), b.Blue());
}

bool IsMarkerPlace(const platform::Rect& frame, int x, int y) {
    return x == frame.left + kSkinMarkerOffset.x && y == frame.top + kSkinMarkerOffset.y;
}

// Pixels of `frame` in `a` visibly different from the same place in `b`
// (shifted by `dx`), the marker pixel left out.
int CountDifferences(const platform::Surface& a, const platform::Surface& b,
                     const platform::Rect& frame, int dx = 0) {
    int count = 0;
    for (int y = frame.top; y < frame.bottom; ++y) {
        for (int x = frame.left; x < frame.right; ++x) {
            if (!IsMarkerPlace(frame, x, y) && Differ(a.PixelAt(x, y), b.PixelAt(x + dx, y))) {
                ++count;
            }
        }
    }
    return count;
}

// Fewest pixels of ink a symbol leaves, and fewest pixels by which two
// frames of a strip differ: enough to be seen, at the 10-pixel dots too.
constexpr int kMinInk = 6;

TEST(SkinGlyphsTest, EverySymbolLeavesInkAndTheFramesOfAStripDiffer) {
    const SkinManifest manifest = LoadManifest();
    for (const SkinImageSpec& spec : manifest.Images()) {
        SCOPED_TRACE(std::to_string(spec.id) + " " + std::string(SkinGlyphName(spec.glyph)));
        const auto whole = SkinImagePainter::Paint(spec);
        const auto bodies = SkinImagePainter::Paint(spec, SkinImagePainter::Layers::kBodiesOnly);
        ASSERT_NE(whole, nullptr);
        ASSERT_NE(bodies, nullptr);
        for (int i = 0; i < spec.frames; ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const platform::Rect frame = spec.FrameRect(i);
            if (IsSkinSymbol(spec.glyph)) {
                EXPECT_GE(CountDifferences(*whole, *bodies, frame), kMinInk);
            }
            for (int j = 0; j < i; ++j) {
                SCOPED_TRACE("against frame " + std::to_string(j));
                const int dx = spec.FrameRect(j).left - frame.left;
                EXPECT_GE(CountDifferences(*whole, *whole, frame, dx), kMinInk);
            }
        }
    }
}

// The pixels of frame 0 of `glyph` drawn at `width` x `height`, the marker
// left out.
std::vector<uint32_t> FramePixels(SkinGlyph glyph, int width, int height) {
    const SkinImageSpec spec{SkinImageKind::kPng, 9000, width, height, 1, glyph};
    const auto surface = SkinImagePainter::Paint(spec);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!IsMarkerPlace(spec.FrameRect(0), x, y)) {
                pixels.push_back(surface->PixelAt(x, y).value);
            }
        }
    }
    return pixels;
}

// At every frame size a symbol of the manifest is drawn at, every symbol word
// draws its own picture; at every frame size, the words the manifest uses
// there do too (rows against rows, pages against pages).
TEST(SkinGlyphsTest, DifferentGlyphsNeverDrawTheSameFrame) {
    const SkinManifest manifest = LoadManifest();
    std::map<std::pair<int, int>, std::set<SkinGlyph>> wordsBySize;
    for (const SkinImageSpec& spec : manifest.Images()) {
        wordsBySize[{spec.width / spec.frames, spec.height}].insert(spec.glyph);
    }
    for (auto& [size, words] : wordsBySize) {
        const bool symbolSize = std::any_of(words.begin(), words.end(), IsSkinSymbol);
        for (const SkinGlyph glyph : AllSkinGlyphs()) {
            if (symbolSize && IsSkinSymbol(glyph)) {
                words.insert(glyph);
            }
        }
        std::map<std::vector<uint32_t>, SkinGlyph> seen;
        for (const SkinGlyph glyph : words) {
            const auto [it, fresh] =
                seen.emplace(FramePixels(glyph, size.first, size.second), glyph);
            EXPECT_TRUE(fresh) << SkinGlyphName(glyph) << " draws the same " << size.first << "x"
                               << size.second << " picture as " << SkinGlyphName(it->second);
        }
    }
}

// The images whose look other parts of the program tell apart: each shows the
// glyph of its purpose.
TEST(SkinGlyphsTest, ImagesShowTheGlyphOfTheirPurpose) {
    const SkinManifest manifest = LoadManifest();
    const std::pair<int, const char*> rows[] = {
        {5178, "exit"},          {5163, "exit"},           {5024, "exit"},
        {5246, "exit"},          {5232, "minimise"},       {5234, "settings"},
        {5182, "play"},          {5183, "pause"},          {5233, "swap"},
        {5197, "padlock-open"},  {5198, "padlock-closed"}, {5185, "signal-1"},
        {5186, "signal-2"},      {5187, "signal-3"},       {5019, "plus"},
        {5020, "minus"},         {5159, "refresh"},        {5181, "dropdown"},
        {5210, "volume-down"},   {5212, "volume-up"},      {5217, "switch-off"},
        {5218, "switch-on"},     {5199, "dot-current"},    {5200, "dot"},
        {5110, "row-selected"},  {5206, "tiles-4"},        {5179, "tiles-2"},
        {5098, "wifi-0-locked"}, {5107, "wifi-4"},         {261, "tray-projecting"},
        {262, "tray-connected"}, {263, "tray-idle"},
    };
    for (const auto& [id, word] : rows) {
        SCOPED_TRACE(id);
        int found = 0;
        for (const SkinImageSpec& spec : manifest.Images()) {
            if (spec.id == id) {
                ++found;
                EXPECT_EQ(SkinGlyphName(spec.glyph), word);
            }
        }
        EXPECT_EQ(found, 1);
    }
}

// PNG images keep real alpha and never the colour key; the icons are cut
// out (transparent around the shape), as a tray or a tile needs them.
TEST(SkinGlyphsTest, PngImagesUseAlphaAndNeverTheColourKey) {
    const SkinManifest manifest = LoadManifest();
    for (const SkinImageSpec& spec : manifest.Images()) {
        if (spec.kind != SkinImageKind::kPng) {
            continue;
        }
        SCOPED_TRACE(spec.id);
        const auto surface = SkinImagePainter::Paint(spec);
        ASSERT_NE(surface, nullptr);
        int keyed = 0;
        for (int y = 0; y < spec.height; ++y) {
            for (int x = 0; x < spec.width; ++x) {
                keyed += surface->PixelAt(x, y) == platform::kMagentaKey;
            }
        }
        EXPECT_EQ(keyed, 0);
    }
    for (const int id : {5185, 5187, 5197, 5198, 5210, 5216, 261, 262, 263}) {
        SCOPED_TRACE(id);
        const SkinImageSpec* spec = nullptr;
        for (const SkinImageSpec& s : manifest.Images()) {
            spec = s.id == id ? &s : spec;
        }
        ASSERT_NE(spec, nullptr);
        const auto surface = SkinImagePainter::Paint(*spec);
        EXPECT_EQ(surface->PixelAt(0, 0).Alpha(), 0);
    }
}

// Any glyph may stand on any manifest line: the smallest frames, strips whose
// width does not divide, and either kind all draw, markers in place.
TEST(SkinGlyphsTest, EveryGlyphDrawsAtAnyAllowedSize) {
    struct Size {
        int width, height, frames;
    };
    const Size sizes[] = {{3, 3, 1}, {7, 40, 2}, {50, 5, 16}, {103, 9, 4}};
    for (const SkinGlyph glyph : AllSkinGlyphs()) {
        for (const SkinImageKind kind : {SkinImageKind::kPng, SkinImageKind::kBitmap}) {
            for (const Size& size : sizes) {
                SCOPED_TRACE(std::string(SkinGlyphName(glyph)) + " " + std::to_string(size.width) +
                             "x" + std::to_string(size.height));
                const SkinImageSpec spec{kind, 9001, size.width, size.height, size.frames, glyph};
                const auto surface = SkinImagePainter::Paint(spec);
                ASSERT_NE(surface, nullptr);
                const platform::Rect last = spec.FrameRect(size.frames - 1);
                EXPECT_EQ(ReadSkinMarker(surface->PixelAt(last.left + 1, 1)),
                          (SkinMarker{9001, size.frames - 1}));
            }
        }
    }
}

TEST(SkinGlyphsTest, GlyphWordsReadBackAndUnknownWordsAreRejected) {
    for (const SkinGlyph glyph : AllSkinGlyphs()) {
        SCOPED_TRACE(SkinGlyphName(glyph));
        EXPECT_EQ(SkinGlyphFromName(SkinGlyphName(glyph)), glyph);
    }
    SkinManifest manifest;
    std::string reason;
    EXPECT_FALSE(
        SkinManifest::Parse("png 5000 10 10 1 exit\npng 5001 10 10 1 exlt", &manifest, &reason));
    EXPECT_EQ(reason, "line 2: unknown glyph \"exlt\"");
    EXPECT_FALSE(SkinManifest::Parse("png 5000 10 10 1 exit 2", &manifest, &reason));
    EXPECT_NE(reason.find("line 1: expected"), std::string::npos) << reason;
    ASSERT_TRUE(
        SkinManifest::Parse("png 5000 10 10 1 padlock-open\nbmp 5001 10 10 1", &manifest, &reason))
        << reason;
    EXPECT_EQ(manifest.Images()[0].glyph, SkinGlyph::kPadlockOpen);
    EXPECT_EQ(manifest.Images()[1].glyph, SkinGlyph::kNone);
}

}  // namespace
}  // namespace appres
