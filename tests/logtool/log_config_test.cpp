// Log.ini: the four names are required plain names, MailTo is an address,
// the file is found in the current folder before the program's, and the
// one installed beside the tool gives the sender's own paths.
#include "logtool/log_config.h"

#include <gtest/gtest.h>

#include "app/settings/sender_paths.h"
#include "logtool/log_paths.h"
#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

std::string IniWith(const std::string& key, const std::string& value) {
    std::string text = "[LOG]\n";
    for (const auto& [k, v] : {std::pair<std::string, std::string>{"AppTempFolderName", "Pemu"},
                               {"ININame", "Pemu.ini"},
                               {"SectionName", "Pemu"},
                               {"AppName", "pemu"}}) {
        if (k != key) {
            text += k + "=" + v + "\n";
        }
    }
    if (!value.empty() || key == "MailTo") {
        text += key + "=" + value + "\n";
    }
    return text;
}

TEST(LogConfigTest, TheFourNamesAreRequiredPlainNames) {
    const std::string longName(129, 'a');
    std::string longWide;
    for (int i = 0; i < 128; ++i) {
        longWide += "\xE6\xBC\xA2";  // 128 characters of three bytes each
    }
    struct Case {
        const char* name;
        std::string key;
        std::string value;
        std::string error;  // a part of the message; empty: accepted
    } cases[] = {
        {"missing AppName", "AppName", "", "AppName of section [LOG] is missing or empty"},
        {"missing ININame", "ININame", "", "ININame"},
        {"missing SectionName", "SectionName", "", "SectionName"},
        {"missing AppTempFolderName", "AppTempFolderName", "", "AppTempFolderName"},
        {"a slash", "AppTempFolderName", "../../etc", "AppTempFolderName (\"../../etc\") is not"},
        {"a dot", "ININame", ".", "ININame (\".\") is not a plain name"},
        {"two dots", "AppName", "..", "AppName (\"..\") is not a plain name"},
        {"a control character", "AppName", "pe\x01mu", "AppName (\"pe?mu\")"},
        {"129 characters", "ININame", longName, "ININame"},
        {"128 characters of UTF-8", "AppTempFolderName", longWide, ""},
        {"a section name no file can hold", "SectionName", "a]b", "SectionName (\"a]b\") cannot"},
        {"an address", "MailTo", "help+log@example.com", ""},
        {"no address", "MailTo", "", ""},
        {"a blank in the address", "MailTo", "help desk@example.com", "MailTo"},
        {"a long address", "MailTo", std::string(121, 'a') + "@example", "MailTo"},
        {"UTF-8 in the address", "MailTo", "h\xC3\xA9lp@example.com", "MailTo"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ConfigResult r = ParseLogConfig(IniWith(c.key, c.value), "/tools/Log.ini");
        if (c.error.empty()) {
            ASSERT_TRUE(r.config) << r.error;
            EXPECT_EQ(r.config->folder, "/tools");
        } else {
            EXPECT_FALSE(r.config);
            EXPECT_NE(r.error.find("/tools/Log.ini: "), std::string::npos) << r.error;
            EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        }
    }
}

TEST(LogConfigTest, NamesAndKeysMatchWithoutRegardToCase) {
    const ConfigResult r = ParseLogConfig(
        "; comment\r\n[log]\r\nappname = pemu \r\nININAME=\"Quorvane_Sender.ini\"\r\n"
        "sectionname=Quorvane_Sender\r\nAppTempFolderName=Pemu Quorvane Sender\r\n",
        "/x/Log.ini");
    ASSERT_TRUE(r.config) << r.error;
    EXPECT_EQ(r.config->appName, "pemu");
    EXPECT_EQ(r.config->iniName, "Quorvane_Sender.ini");
    EXPECT_EQ(r.config->appTempFolderName, "Pemu Quorvane Sender");
    EXPECT_EQ(r.config->mailTo, "");
}

TEST(LogConfigTest, TheCurrentFolderComesBeforeTheProgramsFolder) {
    testsupport::TempDir dir;
    const std::string cwd = dir.File("cwd");
    const std::string bin = dir.File("bin");
    std::filesystem::create_directory(cwd);
    std::filesystem::create_directory(bin);

    ConfigResult none = LoadLogConfig(cwd, bin);
    EXPECT_FALSE(none.config);
    EXPECT_NE(none.error.find("no Log.ini in the current folder (" + cwd +
                              ") or beside the program (" + bin + ")"),
              std::string::npos)
        << none.error;

    WriteText(bin + "/Log.ini", kPemuLogIni);
    ConfigResult beside = LoadLogConfig(cwd, bin);
    ASSERT_TRUE(beside.config) << beside.error;
    EXPECT_EQ(beside.config->folder, bin);
    EXPECT_EQ(beside.config->mailTo, "support@example.com");

    WriteText(cwd + "/Log.ini", IniWith("AppName", "other"));
    ConfigResult current = LoadLogConfig(cwd, bin);
    ASSERT_TRUE(current.config) << current.error;
    EXPECT_EQ(current.config->folder, cwd);
    EXPECT_EQ(current.config->appName, "other");

    WriteText(cwd + "/Log.ini", std::string("[LOG]\nAppName=pe\0mu\n", 19));
    ConfigResult binary = LoadLogConfig(cwd, bin);
    EXPECT_FALSE(binary.config);
    EXPECT_NE(binary.error.find(cwd + "/Log.ini: cannot be read"), std::string::npos)
        << binary.error;
}

// The Log.ini installed beside the tool names the sender, so the tool
// writes the settings file the sender reads and collects the log folder it
// writes to.
TEST(LogConfigTest, TheInstalledFileGivesTheSendersOwnPaths) {
    testsupport::TempDir empty;
    const ConfigResult r = LoadLogConfig(empty.Path().string(), PEMU_BIN_DIR);
    ASSERT_TRUE(r.config) << r.error;
    EXPECT_EQ(r.config->appName, "pemu");
    EXPECT_EQ(r.config->sectionName, pemuapp::kSettingsSection);
    EXPECT_EQ(r.config->mailTo, "");
    const LogPaths ours = LogPaths::Under("/c", "/d", *r.config);
    const pemuapp::SenderPaths sender = pemuapp::SenderPaths::Under("/c", "/d");
    EXPECT_EQ(ours.senderConfigFolder, sender.configFolder);
    EXPECT_EQ(ours.settingsFile, sender.settingsFile);
    EXPECT_EQ(ours.logFolder, sender.logFolder);
    EXPECT_EQ(ours.sdkLog, sender.logFolder + "/Pemu Quorvane Sender_SDK.log");
    EXPECT_EQ(ours.systemLog, sender.logFolder + "/System.log");
    EXPECT_EQ(ours.olderSettingsFile, "/c/Quorvane_Sender.ini");
}

}  // namespace
}  // namespace logtool
