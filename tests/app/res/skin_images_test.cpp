#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/res/skin_manifest.h"
#include "app/res/skin_marker.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/painter.h"

namespace appres {
namespace {

using platform::Argb;
using platform::ImageFormat;

const std::string kManifestPath = PEMU_RES_SOURCE_DIR "/skin_manifest.txt";

SkinManifest LoadManifest() {
    SkinManifest manifest;
    std::string reason;
    EXPECT_TRUE(SkinManifest::Load(kManifestPath, &manifest, &reason)) << reason;
    return manifest;
}

const SkinImageSpec* FindSpec(const SkinManifest& manifest, SkinImageKind kind, int id) {
    for (const SkinImageSpec& s : manifest.Images()) {
        if (s.kind == kind && s.id == id) {
            return &s;
        }
    }
    return nullptr;
}

class SkinImagesTest : public testing::Test {
protected:
    std::unique_ptr<platform::Image> Load(const SkinImageSpec& spec) const {
        return spec.kind == SkinImageKind::kPng ? m_loader.LoadPngResource(spec.id)
                                                : m_loader.LoadBitmapResource(spec.id);
    }

    std::vector<std::string> m_log;
    platform::ImageLoader m_loader{PEMU_SKIN_DIR,
                                   [this](const std::string& line) { m_log.push_back(line); }};
};

// The manifest carries the images of the layout tables at the tables' sizes:
// a sample from every kind of use (dialog backgrounds, 4-, 2- and 1-frame
// strips, main page, rows, scrollbar, list icons).
TEST(SkinManifestTest, NamesTheLayoutTablesImagesAtTheirSizes) {
    const SkinManifest manifest = LoadManifest();
    struct Row {
        SkinImageKind kind;
        int id, width, height, frames;
    };
    const Row rows[] = {
        {SkinImageKind::kBitmap, 5094, 350, 222, 1},
        {SkinImageKind::kBitmap, 5245, 340, 128, 1},
        {SkinImageKind::kPng, 5162, 288, 23, 4},
        {SkinImageKind::kPng, 5163, 76, 29, 4},
        {SkinImageKind::kBitmap, 5021, 288, 23, 4},
        {SkinImageKind::kPng, 5208, 128, 16, 2},
        {SkinImageKind::kBitmap, 5235, 170, 28, 2},
        {SkinImageKind::kPng, 5178, 50, 25, 2},
        {SkinImageKind::kPng, 5247, 63, 16, 1},
        {SkinImageKind::kBitmap, 5206, 526, 400, 1},
        {SkinImageKind::kBitmap, 5179, 526, 230, 1},
        {SkinImageKind::kBitmap, 5180, 212, 120, 1},
        {SkinImageKind::kPng, 5185, 12, 12, 1},
        {SkinImageKind::kPng, 5198, 18, 18, 1},
        {SkinImageKind::kPng, 5231, 216, 124, 1},
        {SkinImageKind::kBitmap, 5111, 316, 20, 1},
        {SkinImageKind::kBitmap, 5230, 526, 27, 1},
        {SkinImageKind::kPng, 5118, 17, 100, 1},
        {SkinImageKind::kBitmap, 5107, 16, 16, 1},
        {SkinImageKind::kPng, 5171, 448, 23, 4},
        // 4-frame bitmap buttons: the strip is four button widths; the check
        // keeps its 13-pixel frames.
        {SkinImageKind::kBitmap, 5019, 108, 21, 4},
        {SkinImageKind::kBitmap, 5020, 108, 21, 4},
        {SkinImageKind::kBitmap, 5024, 76, 29, 4},
        {SkinImageKind::kBitmap, 5242, 52, 13, 4},
        // Tray icons: projecting, logged in, idle.
        {SkinImageKind::kPng, 261, 16, 16, 1},
        {SkinImageKind::kPng, 262, 16, 16, 1},
        {SkinImageKind::kPng, 263, 16, 16, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const SkinImageSpec* spec = FindSpec(manifest, row.kind, row.id);
        ASSERT_NE(spec, nullptr);
        EXPECT_EQ(spec->width, row.width);
        EXPECT_EQ(spec->height, row.height);
        EXPECT_EQ(spec->frames, row.frames);
    }
}

TEST_F(SkinImagesTest, EveryImageDecodesAtItsSizeWithAMarkerPerFrame) {
    const SkinManifest manifest = LoadManifest();
    ASSERT_GT(manifest.Images().size(), 80u);
    for (const SkinImageSpec& spec : manifest.Images()) {
        SCOPED_TRACE(std::to_string(spec.id));
        const auto image = Load(spec);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->Width(), spec.width);
        EXPECT_EQ(image->Height(), spec.height);
        const bool bitmap = spec.kind == SkinImageKind::kBitmap;
        EXPECT_EQ(image->Format(), bitmap ? ImageFormat::kBmp : ImageFormat::kPng);
        const platform::Surface& pixels = image->Pixels();
        for (int i = 0; i < spec.frames; ++i) {
            SCOPED_TRACE("frame " + std::to_string(i));
            const platform::Rect frame = spec.FrameRect(i);
            EXPECT_EQ(ReadSkinMarker(pixels.PixelAt(frame.left + kSkinMarkerOffset.x,
                                                    frame.top + kSkinMarkerOffset.y)),
                      (SkinMarker{spec.id, i}));
            // The colour key sits in the frame corners of bitmaps only.
            EXPECT_EQ(pixels.PixelAt(frame.left, frame.top) == platform::kMagentaKey, bitmap);
            EXPECT_EQ(pixels.PixelAt(frame.right - 1, frame.bottom - 1) == platform::kMagentaKey,
                      bitmap);
            // Away from the marker the frame holds no marker colour.
            EXPECT_FALSE(ReadSkinMarker(pixels.PixelAt(frame.left + 2, frame.bottom - 2)));
        }
    }
    EXPECT_TRUE(m_log.empty()) << m_log.front();
}

// The frame a widget drew can be told from the pixel at its marker place,
// for a keyed bitmap strip and an unkeyed PNG strip alike.
TEST_F(SkinImagesTest, DrawnFrameIsReadableFromOnePixel) {
    const SkinManifest manifest = LoadManifest();
    struct Row {
        SkinImageKind kind;
        int id;
        int frame;
    };
    const Row rows[] = {
        {SkinImageKind::kBitmap, 5021, 2},
        {SkinImageKind::kBitmap, 5235, 1},
        {SkinImageKind::kPng, 5162, 3},
        {SkinImageKind::kPng, 5178, 1},
    };
    constexpr Argb kBackground{0xFF202020};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        const SkinImageSpec* spec = FindSpec(manifest, row.kind, row.id);
        ASSERT_NE(spec, nullptr);
        const auto image = Load(*spec);
        ASSERT_NE(image, nullptr);
        auto target = platform::Surface::Create(400, 100);
        target->Clear(kBackground);
        const platform::Point dst{30, 40};
        platform::Painter(*target).DrawImage(*image, spec->FrameRect(row.frame), dst,
                                             platform::kMagentaKey);
        EXPECT_EQ(ReadSkinMarker(
                      target->PixelAt(dst.x + kSkinMarkerOffset.x, dst.y + kSkinMarkerOffset.y)),
                  (SkinMarker{row.id, row.frame}));
        // A keyed bitmap leaves its corner pixels out; a PNG is drawn whole.
        const bool keyed = row.kind == SkinImageKind::kBitmap;
        EXPECT_EQ(target->PixelAt(dst.x, dst.y) == kBackground, keyed);
    }
}

// The build leaves a contact sheet with every frame of every image on it,
// drawn unscaled (its marker pixel survives).
TEST_F(SkinImagesTest, TheBuildWritesAContactSheetOfEveryFrame) {
    const SkinManifest manifest = LoadManifest();
    const auto sheet = m_loader.LoadFile(PEMU_SKIN_SHEET);
    ASSERT_NE(sheet, nullptr) << m_log.front();
    std::set<std::pair<int, int>> markers;
    const platform::Surface& pixels = sheet->Pixels();
    for (int y = 0; y < pixels.Height(); ++y) {
        for (int x = 0; x < pixels.Width(); ++x) {
            if (const auto marker = ReadSkinMarker(pixels.PixelAt(x, y))) {
                markers.insert({marker->id, marker->frame});
            }
        }
    }
    for (const SkinImageSpec& spec : manifest.Images()) {
        for (int i = 0; i < spec.frames; ++i) {
            EXPECT_TRUE(markers.count({spec.id, i})) << spec.id << " frame " << i;
        }
    }
}

TEST(SkinManifestTest, FramesAreCutAsTheWidgetsCutThem) {
    const SkinImageSpec spec{SkinImageKind::kBitmap, 5024, 19, 29, 4};
    const int lefts[] = {0, 4, 9, 14};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(spec.FrameRect(i), platform::Rect::FromXywh(lefts[i], 0, 4, 29));
    }
}

TEST(SkinManifestTest, RejectsBadLinesWithTheirLineNumber) {
    struct Row {
        const char* text;
        const char* reason;
    };
    const Row rows[] = {
        {"png 1 10 10", "line 1: expected <kind>"},
        {"# images\ngif 5000 10 10 1", "line 2: kind must be png or bmp"},
        {"png 5000 10x 10 1", "decimal numbers"},
        {"png 0 10 10 1", "id must be 1 to 65535"},
        {"bmp 70000 10 10 1", "id must be 1 to 65535"},
        {"png 5000 10 10 0", "frames must be 1 to 16"},
        {"png 5000 100 10 17", "frames must be 1 to 16"},
        {"png 5000 0 10 1", "outside the image limits"},
        {"png 5000 20000 10 1", "outside the image limits"},
        {"png 5000 10 10 4", "at least 3 pixels"},
        {"png 5000 10 2 1", "at least 3 pixels"},
        {"png 5000 10 10 1\n\nbmp 5000 10 10 1\npng 5000 12 12 1",
         "line 4: png 5000 is listed twice"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        SkinManifest manifest;
        std::string reason;
        EXPECT_FALSE(SkinManifest::Parse(row.text, &manifest, &reason));
        EXPECT_NE(reason.find(row.reason), std::string::npos) << reason;
        EXPECT_TRUE(manifest.Images().empty());
    }
}

}  // namespace
}  // namespace appres
