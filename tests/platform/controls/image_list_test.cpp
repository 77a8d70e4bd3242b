// The image list: the skin's row pictures 5098 to 5107 by index (read back
// by their marker pixels), a missing bitmap keeping the indices after it,
// the magenta key, and strips cut into 16 x 16 pictures.
#include "platform/controls/image_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/res/skin_marker.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/painter.h"

namespace platform {
namespace {

// Draws picture `index` on a white surface and reads its marker.
std::optional<appres::SkinMarker> MarkerOf(const ImageList& list, int index) {
    auto surface = Surface::Create(32, 32);
    surface->Clear(Argb(0xFFFFFFFFu));
    {
        Painter painter(*surface);
        list.Draw(painter, index, {8, 8});
    }
    return appres::ReadSkinMarker(
        surface->PixelAt(8 + appres::kSkinMarkerOffset.x, 8 + appres::kSkinMarkerOffset.y));
}

TEST(ImageListTest, RowPicturesByIndexFromTheSkin) {
    std::vector<std::string> log;
    ImageLoader loader(PEMU_SKIN_DIR, [&](const std::string& line) { log.push_back(line); });
    const int ids[] = {5098, 5099, 5100, 5101, 5102, 5103, 5104, 5105, 5106, 5107};
    std::unique_ptr<ImageList> list = ImageList::FromBitmapResources(loader, ids);
    ASSERT_EQ(list->Count(), 10);
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(MarkerOf(*list, i), (appres::SkinMarker{ids[i], 0}));
    }
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(MarkerOf(*list, 10), std::nullopt) << "beyond the list: nothing drawn";
    EXPECT_EQ(MarkerOf(*list, -1), std::nullopt);
}

TEST(ImageListTest, MissingBitmapKeepsTheIndicesAfterIt) {
    std::vector<std::string> log;
    ImageLoader loader(PEMU_SKIN_DIR, [&](const std::string& line) { log.push_back(line); });
    const int ids[] = {5098, 4, 5100};  // 4 is no resource
    std::unique_ptr<ImageList> list = ImageList::FromBitmapResources(loader, ids);
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ(MarkerOf(*list, 1), std::nullopt);
    EXPECT_EQ(MarkerOf(*list, 2), (appres::SkinMarker{5100, 0}));
    EXPECT_EQ(log.size(), 1u) << "the loader said why";
}

TEST(ImageListTest, StripsAreCutAndMagentaIsLeftOut) {
    auto strip = Surface::Create(32, 16);
    strip->Clear(Argb(0xFF102030u));
    uint32_t* px = strip->MutablePixels();
    int stride = strip->Stride() / 4;
    px[5 * stride + 5] = kMagentaKey.value;  // in the first picture
    for (int y = 0; y < 16; ++y) {
        for (int x = 16; x < 32; ++x) {
            px[y * stride + x] = 0xFF405060u;
        }
    }
    strip->MarkDirty();
    ImageList list;
    EXPECT_TRUE(list.Add(std::make_unique<Image>(std::move(strip), ImageFormat::kBmp)));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Add(std::make_unique<Image>(Surface::Create(20, 16), ImageFormat::kBmp)))
        << "not a multiple of 16 wide";
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.Count(), 2);

    auto target = Surface::Create(40, 20);
    target->Clear(Argb(0xFFFFFFFFu));
    {
        Painter painter(*target);
        list.Draw(painter, 0, {0, 0});
        list.Draw(painter, 1, {20, 0});
    }
    EXPECT_EQ(target->PixelAt(4, 4), Argb(0xFF102030u));
    EXPECT_EQ(target->PixelAt(5, 5), Argb(0xFFFFFFFFu)) << "the key lets the white through";
    EXPECT_EQ(target->PixelAt(25, 5), Argb(0xFF405060u)) << "the second picture";
}

}  // namespace
}  // namespace platform
