// The resource generator as the build runs it: a separate program writing
// into a folder, failing with a clear message and leaving nothing half-made.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/res/resource_text_file.h"
#include "app/res/skin_marker.h"
#include "platform/draw/image_loader.h"

namespace appres {
namespace {

class ResgenTest : public testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/pemu_resgen_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
    }
    void TearDown() override { std::system(("rm -rf '" + m_dir + "'").c_str()); }

    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = m_dir + "/" + name;
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr) << path;
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        return path;
    }

    // Runs the generator with `args`; returns its exit status and keeps its
    // error output in m_errors.
    int Run(const std::string& args) {
        const std::string errors = m_dir + "/errors.txt";
        const int status =
            std::system((std::string(PEMU_RESGEN) + " " + args + " 2>'" + errors + "'").c_str());
        std::string reason;
        m_errors.clear();
        ResourceTextFile::ReadFile(errors, &m_errors, &reason);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    bool Exists(const std::string& name) const {
        struct stat st;
        return stat((m_dir + "/" + name).c_str(), &st) == 0;
    }

    std::string m_dir;
    std::string m_errors;
};

TEST_F(ResgenTest, DrawsTheManifestsImagesIntoTheSkinFolder) {
    const std::string manifest = Write("manifest.txt", "png 7001 40 10 2\nbmp 7002 12 9 1\n");
    ASSERT_EQ(Run("images '" + manifest + "' '" + m_dir + "/skin'"), 0) << m_errors;
    platform::ImageLoader loader(m_dir + "/skin");
    const auto png = loader.LoadPngResource(7001);
    const auto bmp = loader.LoadBitmapResource(7002);
    ASSERT_NE(png, nullptr);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(ReadSkinMarker(png->Pixels().PixelAt(21, 1)), (SkinMarker{7001, 1}));
    EXPECT_EQ(ReadSkinMarker(bmp->Pixels().PixelAt(1, 1)), (SkinMarker{7002, 0}));
    EXPECT_FALSE(Exists("skin/png/7001.png.tmp"));
}

TEST_F(ResgenTest, FailsWithTheReasonAndWritesNothing) {
    const std::string badManifest = Write("bad.txt", "png 7001 40 10 2\ngif 7002 12 9 1\n");
    const std::string badStrings = Write("bad_strings.txt", "65206 \"Close\"\n65206 \"Shut\"\n");
    const std::string strings = Write("strings.txt", "65206 \"Close\"\n");
    const std::string badCaptions = Write("bad_captions.txt", "\"Pemu\nOK\n");
    const std::string badGlyph = Write("bad_glyph.txt", "png 7001 40 10 2 exlt\n");
    const std::string oneImage = Write("one.txt", "png 7001 40 10 2 exit\n");
    struct Row {
        std::string args;
        std::string message;
        const char* absent;
    };
    const Row rows[] = {
        {"images '" + badManifest + "' '" + m_dir + "/skin'", "line 2: kind must be png or bmp",
         "skin"},
        {"images '" + m_dir + "/missing.txt' '" + m_dir + "/skin'", "cannot open", "skin"},
        {"images '" + badGlyph + "' '" + m_dir + "/skin'", "line 1: unknown glyph \"exlt\"",
         "skin"},
        {"sheet '" + oneImage + "' '" + m_dir + "/noskin' '" + m_dir + "/sheet.png'",
         "image 7001 cannot be loaded", "sheet.png"},
        {"strings '" + badStrings + "' '" + m_dir + "/out.cpp'",
         "line 2: string 65206 is listed twice", "out.cpp"},
        {"pseudo '" + strings + "' '" + badCaptions + "' '" + m_dir + "/out.po'",
         "line 1: the text has no closing quote", "out.po"},
        {"translate x y", "usage: pemu_resgen", "out.po"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args);
        EXPECT_EQ(Run(row.args), 1);
        EXPECT_NE(m_errors.find(row.message), std::string::npos) << m_errors;
        EXPECT_FALSE(Exists(row.absent));
    }
}

}  // namespace
}  // namespace appres
