// Switching logging on: only "LogFile" changes in the settings file, a
// missing file or section is made, a first settings file is copied only
// where none exists, and a file that cannot be used stops the start.
#include "logtool/settings_edit.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/ini/ini_store.h"
#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

using testsupport::ReadFile;

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class SettingsEditTest : public ::testing::Test {
protected:
    bool Prepare(std::string* error = nullptr, std::string* notice = nullptr) {
        std::string e;
        std::string n;
        const bool ok = PrepareLogging(world.PemuConfig(), paths, &e, &n);
        if (error) {
            *error = e;
        }
        if (notice) {
            *notice = n;
        }
        return ok;
    }

    LogToolWorld world;
    LogPaths paths = world.Paths();
};

TEST_F(SettingsEditTest, OnlyLogFileChangesAndEveryOtherByteStays) {
    const std::string sdk = paths.sdkLog;
    struct Case {
        const char* name;
        std::optional<std::string> before;  // nullopt: no file
        std::string after;
    } cases[] = {
        {"no file", std::nullopt, "[Quorvane_Sender]\nLogFile=" + sdk + "\n"},
        {"another section only", "; the user's own words\r\n[Other]\r\nLogFile=keep me\r\n",
         "; the user's own words\r\n[Other]\r\nLogFile=keep me\r\n[Quorvane_Sender]\r\nLogFile=" +
             sdk + "\r\n"},
        {"the section without the key",
         "[Quorvane_Sender]\nJpegQuality = 80\n\n; last words\n[Next]\nA=1",
         "[Quorvane_Sender]\nJpegQuality = 80\n\n; last words\nLogFile=" + sdk + "\n[Next]\nA=1"},
        {"an old value in another case",
         "[quorvane_sender]\r\nMaxFPS=30\r\n  logfile = C:\\old.log ; gone\r\nVolume=80\r\n",
         "[quorvane_sender]\r\nMaxFPS=30\r\n  logfile = " + sdk + "\r\nVolume=80\r\n"},
        {"an empty value, no line end at the end",
         "[Quorvane_Sender]\nLogFile=", "[Quorvane_Sender]\nLogFile=" + sdk},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(paths.settingsFile);
        if (c.before) {
            std::filesystem::create_directories(paths.senderConfigFolder);
            WriteText(paths.settingsFile, *c.before);
        }
        std::string error;
        ASSERT_TRUE(Prepare(&error)) << error;
        EXPECT_EQ(ReadFile(paths.settingsFile), c.after);
        platform::IniStore store(paths.settingsFile);
        store.Load();
        EXPECT_EQ(store.Get("Quorvane_Sender", "LogFile"), sdk);
        EXPECT_TRUE(std::filesystem::is_directory(paths.logFolder));
    }
}

// CopyClientIni over the existence of its three files: the older settings
// file directly in the config folder, the source beside Log.ini and the
// target in the sender's folder.
TEST_F(SettingsEditTest, AFirstSettingsFileIsCopiedOnlyWhereNoneExists) {
    const std::string source = world.Bin() + "/Quorvane_Sender.ini";
    for (int mask = 0; mask < 8; ++mask) {
        const bool older = mask & 1;
        const bool haveSource = mask & 2;
        const bool target = mask & 4;
        SCOPED_TRACE("older " + std::to_string(older) + ", source " + std::to_string(haveSource) +
                     ", target " + std::to_string(target));
        std::filesystem::remove_all(paths.senderConfigFolder);
        std::filesystem::remove(paths.olderSettingsFile);
        std::filesystem::remove(source);
        if (older) {
            WriteText(paths.olderSettingsFile, "[Quorvane_Sender]\nVolume=1\n");
        }
        if (haveSource) {
            WriteText(source, "; defaults\n[Quorvane_Sender]\nVolume=80\n");
        }
        if (target) {
            std::filesystem::create_directories(paths.senderConfigFolder);
            WriteText(paths.settingsFile, "[Quorvane_Sender]\nVolume=5\n");
        }
        std::string error;
        ASSERT_TRUE(Prepare(&error)) << error;
        const std::string logLine = "LogFile=" + paths.sdkLog + "\n";
        std::string expected;
        if (target) {
            expected = "[Quorvane_Sender]\nVolume=5\n" + logLine;
        } else if (!older && haveSource) {
            expected = "; defaults\n[Quorvane_Sender]\nVolume=80\n" + logLine;
        } else {
            expected = "[Quorvane_Sender]\n" + logLine;
        }
        EXPECT_EQ(ReadFile(paths.settingsFile), expected);
        if (older) {
            EXPECT_EQ(ReadFile(paths.olderSettingsFile), "[Quorvane_Sender]\nVolume=1\n");
        }
        if (haveSource) {
            EXPECT_EQ(ReadFile(source), "; defaults\n[Quorvane_Sender]\nVolume=80\n");
        }
        // No temporary file stays behind.
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(paths.senderConfigFolder)) {
            files += entry.path().filename().string().find(".tmp-") == std::string::npos ? 0 : 1;
        }
        EXPECT_EQ(files, 0u);
    }
}

TEST_F(SettingsEditTest, AFileThatCannotBeUsedStopsOrIsKeptAside) {
    // Something that is no file in the settings file's place: nothing is
    // written and the path is named.
    std::filesystem::create_directories(paths.settingsFile);
    std::string error;
    EXPECT_FALSE(Prepare(&error));
    EXPECT_NE(error.find("cannot switch logging on in " + paths.settingsFile), std::string::npos)
        << error;
    EXPECT_TRUE(std::filesystem::is_directory(paths.settingsFile));

    // A source that is not text is not copied, and nothing is written.
    std::filesystem::remove(paths.settingsFile);
    const std::string source = world.Bin() + "/Quorvane_Sender.ini";
    WriteText(source, std::string("[Quorvane_Sender]\0", 18));
    EXPECT_FALSE(Prepare(&error));
    EXPECT_NE(error.find(source + ": cannot be copied"), std::string::npos) << error;
    EXPECT_FALSE(Exists(paths.settingsFile));
    std::filesystem::remove(source);

    // A settings file that is not text is kept aside by the store, as the
    // sender would; a fresh one holds the key and the notice says where
    // the old one went.
    const std::string binary("[Quorvane_Sender]\nVolume=\xFF\xFE\n");
    WriteText(paths.settingsFile, binary);
    std::string notice;
    ASSERT_TRUE(Prepare(&error, &notice)) << error;
    EXPECT_EQ(ReadFile(paths.settingsFile), "[Quorvane_Sender]\nLogFile=" + paths.sdkLog + "\n");
    EXPECT_NE(notice.find("kept as " + paths.settingsFile + ".bad-"), std::string::npos) << notice;
    const std::string aside = notice.substr(notice.find(paths.settingsFile + ".bad-"));
    EXPECT_EQ(ReadFile(aside.substr(0, aside.find(" and a new one"))), binary);
}

}  // namespace
}  // namespace logtool
