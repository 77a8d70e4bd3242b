// The quick profile file: the saved profile first, the others kept in
// order less its namesake, nothing changed by a nameless profile.
#include "app/maindlg/quick_profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TempDir.h"

namespace pemuapp {
namespace {

std::string Text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(QuickProfile, SavedFirstOthersKeptNamesakeReplaced) {
    testsupport::TempDir dir;
    const std::string path = dir.File("cfg/profile.ini");  // the folder is made
    const QuickProfile a{"A", "", "10.0.0.1", "ann", ""};
    const QuickProfile b{"B", "", "10.0.0.2", "bob", "k"};
    ASSERT_TRUE(SaveQuickProfile(path, a, false));
    ASSERT_TRUE(SaveQuickProfile(path, b, false));
    EXPECT_EQ(ReadQuickProfiles(path), (std::vector<QuickProfile>{b, a}));
    const QuickProfile a2{"A", "", "10.0.0.9", "ann", ""};
    ASSERT_TRUE(SaveQuickProfile(path, a2, false));
    EXPECT_EQ(ReadQuickProfiles(path), (std::vector<QuickProfile>{a2, b}));

    const std::string before = Text(path);
    ASSERT_TRUE(SaveQuickProfile(path, {"", "", "10.0.0.3", "x", ""}, false));
    EXPECT_EQ(Text(path), before);  // a nameless profile changes nothing
}

TEST(QuickProfile, NetworkNameOnlyAfterAJoinAndUtf8UserBytes) {
    testsupport::TempDir dir;
    const std::string path = dir.File("profile.ini");
    const struct {
        const char* ssid;
        bool joined;
        const char* kept;
    } rows[] = {{"Lab", true, "Lab"}, {"Lab", false, ""}, {kExistingNetwork, true, ""}};
    for (const auto& row : rows) {
        ASSERT_TRUE(
            SaveQuickProfile(path, {"P", row.ssid, "10.0.0.1", "J\xC3\xBCrgen", ""}, row.joined));
        const auto list = ReadQuickProfiles(path);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].ssid, row.kept) << row.ssid << row.joined;
    }
    EXPECT_NE(Text(path).find("UserName=J\xC3\xBCrgen"), std::string::npos);
    EXPECT_EQ(Text(path).find("SSID"), std::string::npos);
}

}  // namespace
}  // namespace pemuapp
