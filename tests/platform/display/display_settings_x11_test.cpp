#include "platform/display/display_settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <string>

#include "tests/support/XvfbServer.h"

namespace {

// DISPLAY names `display` for the scope.
class ScopedDisplay {
public:
    explicit ScopedDisplay(const std::string& display) {
        if (const char* old = ::getenv("DISPLAY")) {
            m_old = old;
            m_had = true;
        }
        ::setenv("DISPLAY", display.c_str(), 1);
    }
    ~ScopedDisplay() {
        if (m_had) {
            ::setenv("DISPLAY", m_old.c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }

private:
    std::string m_old;
    bool m_had = false;
};

bool Has(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

TEST(DisplaySettingsX11, ReadsTheScreenAndRecordsWhatXCannotChange) {
    testsupport::XvfbServer x("320x240x24");
    ASSERT_FALSE(x.Display().empty());
    ScopedDisplay display(x.Display());
    auto settings = platform::DisplaySettings::Create();
    ASSERT_NE(settings, nullptr);

    platform::DesktopConfig config;
    ASSERT_TRUE(settings->GetDesktopConfig(0, &config));
    EXPECT_EQ(config.width, 320);
    EXPECT_EQ(config.height, 240);
    EXPECT_EQ(config.depth, 24);
    EXPECT_FALSE(settings->GetDesktopConfig(1, &config));
    EXPECT_EQ(settings->GetAccel(), platform::DisplaySettings::kFullAccel);

    struct Row {
        const char* name;
        int width, height, depth;
        const char* recorded;  // the start of the line it leaves
    };
    const Row rows[] = {
        {"16-bit colour", 320, 240, 16, "SetDisplay depth 16 (stays 24)"},
        {"a size the server does not offer", 1234, 567, 0, "SetDisplay 1234x567 (not offered"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(settings->SetDisplay(0, row.width, row.height, row.depth));
        EXPECT_EQ(settings->SetDisplayEx(0, row.width, row.height, row.depth, 1), 0);
        EXPECT_TRUE(Has(settings->Recorded(), row.recorded));
        ASSERT_TRUE(settings->GetDesktopConfig(0, &config));
        EXPECT_EQ(config.width, 320);
        EXPECT_EQ(config.depth, 24);
    }
    settings->BackupComposition();
    settings->SetComposition(false);
    EXPECT_TRUE(Has(settings->Recorded(), "SetComposition 0"));
}

// The virtual server has one output, "screen", with one mode of no known
// rate: what a real server lists per output comes back the same way.
TEST(DisplaySettingsX11, ListsTheOutputsAndTheirModes) {
    testsupport::XvfbServer x("320x240x24");
    ASSERT_FALSE(x.Display().empty());
    ScopedDisplay display(x.Display());
    auto settings = platform::DisplaySettings::Create();
    ASSERT_NE(settings, nullptr);
    const std::vector<platform::DisplayOutput> outputs = settings->AttachedOutputs();
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_TRUE(outputs[0].primary);
    EXPECT_FALSE(outputs[0].mirroring);
    EXPECT_EQ(outputs[0].name, "screen");
    EXPECT_EQ(settings->GetModes(0), (std::vector<platform::DisplayMode>{{320, 240, 0}}));
    EXPECT_TRUE(settings->GetModes(1).empty());
    // Nothing changed yet: nothing to put back.
    settings->RestoreAll();
    platform::DesktopConfig config;
    ASSERT_TRUE(settings->GetDesktopConfig(0, &config));
    EXPECT_EQ(config.width, 320);
}

TEST(DisplaySettingsX11, NoDisplayMeansNoSettings) {
    ScopedDisplay display(":99999");
    EXPECT_EQ(platform::DisplaySettings::Create(), nullptr);
}

}  // namespace
