#include "platform/draw/image_loader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/draw/bmp_codec.h"
#include "platform/draw/png_codec.h"
#include "platform/log.h"

namespace platform {
namespace {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

class ImageLoaderTest : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pemu_image_loader_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        mkdir((m_dir + "/png").c_str(), 0700);
        mkdir((m_dir + "/bmp").c_str(), 0700);

        auto s = Surface::Create(4, 2);
        s->Clear(Argb(0xFF1A6BBC));
        std::string reason;
        ASSERT_TRUE(EncodePng(*s, &m_png, &reason)) << reason;
        EncodeBmp(*s, {}, &m_bmp);
        WriteFile(m_dir + "/png/5159.png", m_png);
        WriteFile(m_dir + "/bmp/5094.bmp", m_bmp);
        WriteFile(m_dir + "/bmp/5095.bmp", m_png);  // a PNG under a bitmap name
        WriteFile(m_dir + "/png/5160.png", {m_png.begin(), m_png.begin() + 40});
    }
    void TearDown() override { std::system(("rm -rf " + m_dir).c_str()); }

    ImageLoader Loader() {
        return ImageLoader(m_dir, [this](const std::string& line) { m_log.push_back(line); });
    }

    std::string m_dir;
    std::vector<uint8_t> m_png;
    std::vector<uint8_t> m_bmp;
    std::vector<std::string> m_log;
};

TEST_F(ImageLoaderTest, LoadsResourcesAndFilesOfTheirKind) {
    ImageLoader loader = Loader();
    auto png = loader.LoadPngResource(5159);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->Format(), ImageFormat::kPng);
    EXPECT_EQ(png->Pixels().PixelAt(3, 1), Argb(0xFF1A6BBC));
    auto bmp = loader.LoadBitmapResource(5094);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Format(), ImageFormat::kBmp);
    auto file = loader.LoadFile(m_dir + "/bmp/5094.bmp");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Width(), 4);
    EXPECT_TRUE(m_log.empty());
}

TEST_F(ImageLoaderTest, EveryFailureIsNoImageAndOneLoggedReason) {
    ImageLoader loader = Loader();
    struct Case {
        const char* name;
        std::function<std::unique_ptr<Image>()> load;
        const char* logged;
    } cases[] = {
        {"missing PNG", [&] { return loader.LoadPngResource(4242); }, "PNG resource 4242"},
        {"missing bitmap", [&] { return loader.LoadBitmapResource(1); }, "cannot open"},
        {"bad id", [&] { return loader.LoadBitmapResource(-5); }, "no such resource id"},
        {"PNG as bitmap", [&] { return loader.LoadBitmapResource(5095); }, "not a BMP"},
        {"truncated PNG", [&] { return loader.LoadPngResource(5160); }, "truncated PNG"},
        {"folder as file", [&] { return loader.LoadFile(m_dir); }, "not a regular file"},
        {"missing file", [&] { return loader.LoadFile(m_dir + "/none.jpg"); }, "none.jpg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_log.clear();
        EXPECT_EQ(c.load(), nullptr);
        ASSERT_EQ(m_log.size(), 1u);
        EXPECT_NE(m_log[0].find(c.logged), std::string::npos) << m_log[0];
    }
    m_log.clear();
    EXPECT_EQ(loader.LoadFile(""), nullptr);
    EXPECT_TRUE(m_log.empty());

    // A loader without a sink of its own reports through the platform log.
    std::vector<std::string> platformLog;
    LogSink previous = SetLogSink([&](LogLevel, std::string_view area, std::string_view text) {
        platformLog.push_back(std::string(area) + ": " + std::string(text));
    });
    EXPECT_EQ(ImageLoader(m_dir).LoadPngResource(4242), nullptr);
    SetLogSink(previous);
    ASSERT_EQ(platformLog.size(), 1u);
    EXPECT_NE(platformLog[0].find("image: PNG resource 4242"), std::string::npos) << platformLog[0];
}

}  // namespace
}  // namespace platform
