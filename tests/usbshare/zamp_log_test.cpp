#include "usbshare/ZampLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/support/TempDir.h"
#include "tests/usbshare/write_file.h"

namespace {

class ZampLogTest : public ::testing::Test {
protected:
    ~ZampLogTest() override { porvane::ZampLog::Instance().Disable(); }
    testsupport::TempDir m_dir;
};

}  // namespace

TEST_F(ZampLogTest, OffWritesNothingAndCreatesNoFile) {
    porvane::ZampLog::Instance().Disable();
    WriteLog("never %d\n", 1);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(ZampLogTest, FirstLineEmptiesTheFileAndLinesCarryTheTime) {
    platform::FakeClock clock;
    clock.SetLocal({7, 5, 3, 999});
    platform::ScopedClockOverride use(clock);
    porvane_test::WriteFile(m_dir.Path() / "ZAMP.log", "left over from the last run\n");
    porvane::ZampLog::Instance().Enable(m_dir.File("ZAMP.log"));
    WriteLog("ZAMP Version:%s\n", "0015");
    WriteLog("no line feed %d", 5);
    EXPECT_EQ(testsupport::ReadFile(m_dir.File("ZAMP.log")),
              "07:05:03:ZAMP Version:0015\n07:05:03:no line feed 5\n");
}

TEST_F(ZampLogTest, UnopenableFileDropsLinesUntilItCanBeOpened) {
    const std::string path = m_dir.File("log/ZAMP.log");
    porvane::ZampLog::Instance().Enable(path);
    WriteLog("dropped\n");
    EXPECT_FALSE(std::filesystem::exists(path));
    std::filesystem::create_directories(m_dir.Path() / "log");
    WriteLog("kept\n");
    EXPECT_NE(testsupport::ReadFile(m_dir.File("log/ZAMP.log")).find("kept"), std::string::npos);
    EXPECT_EQ(testsupport::ReadFile(m_dir.File("log/ZAMP.log")).find("dropped"), std::string::npos);
}

TEST_F(ZampLogTest, LinesFromManyThreadsNeverInterleave) {
    porvane::ZampLog::Instance().Enable(m_dir.File("ZAMP.log"));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                WriteLog("thread %d line %d %s\n", t, i, std::string(100, 'a' + t).c_str());
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    porvane::ZampLog::Instance().Disable();
    // Every line is exactly one whole line: its own time prefix, its
    // thread's text, nothing of another line before or after.
    const std::regex whole(R"(^\d\d:\d\d:\d\d:thread (\d) line (\d+) ([a-d]{100})$)");
    std::istringstream in(testsupport::ReadFile(m_dir.File("ZAMP.log")));
    std::set<std::pair<int, int>> seen;
    std::string line;
    while (std::getline(in, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        const int t = std::stoi(m[1]);
        EXPECT_EQ(m[3].str(), std::string(100, static_cast<char>('a' + t))) << line;
        EXPECT_TRUE(seen.insert({t, std::stoi(m[2])}).second) << line;
    }
    EXPECT_EQ(seen.size(), 800u);
}
