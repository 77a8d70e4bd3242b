#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "vrxclientsdk/VRXClient/EncoderModules.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

namespace {

// Points PEMU_MODULE_PATH at one folder for the scope.
class ScopedModulePath {
public:
    explicit ScopedModulePath(const std::string& dir) {
        ::setenv("PEMU_MODULE_PATH", dir.c_str(), 1);
    }
    ~ScopedModulePath() { ::unsetenv("PEMU_MODULE_PATH"); }
};

class EmptyFolder {
public:
    EmptyFolder() {
        char pattern[] = "/tmp/pemu-modules-XXXXXX";
        m_path = ::mkdtemp(pattern);
    }
    ~EmptyFolder() { std::filesystem::remove_all(m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

TEST(EncoderModulesTest, LoadsOnlyModulesWithTheirVersionEntry) {
    EmptyFolder empty;
    struct Case {
        const char* name;
        std::string folder;
        bool loaded;
    } cases[] = {
        {"built modules", PEMU_MODULE_DIR, true},
        {"empty folder", empty.Path(), false},
        {"modules without entries", PEMU_BROKEN_MODULE_DIR, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedModulePath path(c.folder);
        EncoderModules modules;
        ASSERT_EQ(modules.Jpeg() != nullptr, c.loaded);
        ASSERT_EQ(modules.H264() != nullptr, c.loaded);
        if (c.loaded) {
            EXPECT_EQ(modules.Jpeg()->Path(), c.folder + "/libPexlo.so");
            EXPECT_EQ(modules.H264()->Path(), c.folder + "/libVemrin.so");
            EXPECT_EQ(modules.Jpeg()->Entry<PexloVersionFn>(kPexloVersionEntry)(),
                      kPexloAbiVersion);
            EXPECT_EQ(modules.H264()->Entry<VemrinVersionFn>(kVemrinVersionEntry)(),
                      kVemrinAbiVersion);
        }
    }
}

TEST(EncoderModulesTest, H264ModuleCanBeLoadedAgainWhenItAppears) {
    EmptyFolder empty;
    std::unique_ptr<EncoderModules> modules;
    {
        ScopedModulePath path(empty.Path());
        modules = std::make_unique<EncoderModules>();
        ASSERT_EQ(modules->H264(), nullptr);
        EXPECT_EQ(modules->LoadH264Again(), nullptr);
    }
    ScopedModulePath path(PEMU_MODULE_DIR);
    platform::DynamicLibrary* loaded = modules->LoadH264Again();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(modules->H264(), loaded);
    EXPECT_EQ(modules->LoadH264Again(), loaded);  // loaded once, kept
    EXPECT_EQ(modules->Jpeg(), nullptr);          // only H.264 is retried
}

TEST(ProcessGlobalsTest, EncoderModulesAreLoadedOnceOnFirstUse) {
    ScopedModulePath path(PEMU_MODULE_DIR);
    platform::DynamicLibrary* jpeg = JpegEncoderModule();
    platform::DynamicLibrary* h264 = H264EncoderModule();
    ASSERT_NE(jpeg, nullptr);
    ASSERT_NE(h264, nullptr);
    EXPECT_EQ(JpegEncoderModule(), jpeg);
    EXPECT_EQ(H264EncoderModule(), h264);
    EXPECT_EQ(&ProcessGlobals::Get().Encoders(), &ProcessGlobals::Get().Encoders());
}
