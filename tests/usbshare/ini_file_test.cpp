#include "usbshare/IniFile.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "tests/usbshare/write_file.h"

TEST(IniFileTest, ReadsValuesLikeTheSenderSettingsFile) {
    testsupport::TempDir dir;
    porvane_test::WriteFile(
        dir.Path() / "s.ini",
        "; comment\n[Other]\nSeconds=9\n[Quorvane_Sender]\r\n"
        "  logfile = C:\\log\\x.log  \r\nSeconds=1\nInterval=-3\nJunk=12abc\nEmpty=\n"
        "Seconds=7\n");
    porvane::IniFile ini;
    ASSERT_TRUE(ini.Load(dir.File("s.ini")));
    struct Row {
        const char* key;
        int def;
        int expected;
    };
    const Row ints[] = {
        {"Seconds", 2, 1},                      // the first occurrence in the section wins
        {"interval", 10, -3}, {"Junk", 0, 12},  // leading digits only
        {"Empty", 5, 0},                        // present but no digits
        {"Missing", 10, 10},
    };
    for (const Row& row : ints) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(ini.GetInt("quorvane_sender", row.key, row.def), row.expected);
    }
    EXPECT_EQ(ini.GetString("Quorvane_Sender", "LogFile", ""), "C:\\log\\x.log");
    EXPECT_EQ(ini.GetString("Quorvane_Sender", "LogFile", "", 3), "C:\\");
    EXPECT_EQ(ini.GetString("Quorvane_Sender", "Nothing", "dflt"), "dflt");
}

TEST(IniFileTest, MissingFileGivesDefaults) {
    porvane::IniFile ini;
    EXPECT_FALSE(ini.Load("/nonexistent/folder/file.ini"));
    EXPECT_EQ(ini.GetInt("Quorvane_Sender", "Interval", 10), 10);
    EXPECT_EQ(ini.GetString("Quorvane_Sender", "LogFile", ""), "");
}
