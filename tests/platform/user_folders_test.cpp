// The folder function and the user name, from the environment.
#include "platform/user_folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/user_name.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

using testsupport::ScopedEnv;

TEST(UserFoldersTest, FollowTheBaseDirectoryRules) {
    ScopedEnv home("HOME", "/home/u");
    struct Row {
        UserFolderKind kind;
        const char* variable;
        std::optional<std::string> value;
        const char* expected;
    } rows[] = {
        {UserFolderKind::kConfig, "XDG_CONFIG_HOME", "/x/conf", "/x/conf"},
        {UserFolderKind::kConfig, "XDG_CONFIG_HOME", "/x/conf/", "/x/conf"},
        {UserFolderKind::kConfig, "XDG_CONFIG_HOME", std::nullopt, "/home/u/.config"},
        {UserFolderKind::kConfig, "XDG_CONFIG_HOME", "", "/home/u/.config"},
        {UserFolderKind::kConfig, "XDG_CONFIG_HOME", "relative", "/home/u/.config"},
        {UserFolderKind::kData, "XDG_DATA_HOME", "/x/data", "/x/data"},
        {UserFolderKind::kData, "XDG_DATA_HOME", std::nullopt, "/home/u/.local/share"},
        {UserFolderKind::kCache, "XDG_CACHE_HOME", "/x/cache", "/x/cache"},
        {UserFolderKind::kCache, "XDG_CACHE_HOME", std::nullopt, "/home/u/.cache"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.variable) + "=" + r.value.value_or("(unset)"));
        ScopedEnv env(r.variable, r.value);
        EXPECT_EQ(UserFolder(r.kind), r.expected);
    }
}

TEST(UserFoldersTest, AppFolderIsMadePrivateAndNamesStayInside) {
    testsupport::TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", dir.Path().string());
    std::string error;
    const std::string made = AppFolder(UserFolderKind::kData, "Pemu Quorvane Sender/log", true);
    EXPECT_EQ(made, dir.File("Pemu Quorvane Sender/log"));
    struct stat st {};
    ASSERT_EQ(::stat(made.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    for (const char* name : {"", "..", "a/../b", "/etc", "a//b", "a/"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(AppFolder(UserFolderKind::kData, name, true, &error), "");
        EXPECT_FALSE(error.empty());
    }
    // A file where a folder should be.
    std::ofstream(dir.File("file")) << "x";
    EXPECT_EQ(AppFolder(UserFolderKind::kData, "file/sub", true, &error), "");
    EXPECT_NE(error.find("not a folder"), std::string::npos) << error;
}

TEST(UserNameTest, EnvironmentFirstAndCutOnACharacterBoundary) {
    {
        ScopedEnv user("USER", "alice");
        EXPECT_EQ(UserName(), "alice");
    }
    {
        // 31 two-byte characters and a third byte: 63 bytes would cut the
        // 32nd character in two, so only 62 are kept.
        std::string name = "a";
        for (int i = 0; i < 40; ++i) {
            name += "\xc3\xa9";  // é
        }
        ScopedEnv user("USER", name);
        EXPECT_EQ(UserName(), name.substr(0, 63));
        ScopedEnv user2("USER", name.substr(1));
        EXPECT_EQ(UserName(), name.substr(1, 62));
    }
    {
        ScopedEnv user("USER", std::nullopt);
        EXPECT_FALSE(UserName().empty());  // from the password database
        EXPECT_LE(UserName().size(), kMaxUserNameBytes);
    }
}

}  // namespace
}  // namespace platform
