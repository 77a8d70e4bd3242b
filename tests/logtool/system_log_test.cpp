// The system log: journalctl is found on PATH or the step is skipped, its
// output lands in System.log, and the collection is bounded in time and
// size.
#include "logtool/system_log.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "tests/logtool/logtool_test_support.h"

namespace logtool {
namespace {

using testsupport::ReadFile;

void WriteScript(const std::string& path, const std::string& body) {
    WriteText(path, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
}

TEST(SystemLogTest, JournalctlIsFoundOnAbsolutePathEntriesOnly) {
    testsupport::TempDir dir;
    for (const char* folder : {"a", "b", "c"}) {
        std::filesystem::create_directory(dir.Path() / folder);
    }
    WriteText(dir.File("a/journalctl"), "not executable");
    ::chmod(dir.File("a/journalctl").c_str(), 0644);
    std::filesystem::create_directory(dir.File("b/journalctl"));  // a folder of that name
    WriteScript(dir.File("c/journalctl"), "exit 0");
    const std::string a = dir.File("a");
    const std::string b = dir.File("b");
    const std::string c = dir.File("c");
    EXPECT_EQ(FindOnPath("journalctl", a + ":" + b + ":" + c), c + "/journalctl");
    EXPECT_EQ(FindOnPath("journalctl", "::" + a + ":" + c + ":"), c + "/journalctl");
    EXPECT_EQ(FindOnPath("journalctl", a + ":" + b), "");
    EXPECT_EQ(FindOnPath("journalctl", ""), "");
    // A relative entry would depend on the current folder.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    EXPECT_EQ(FindOnPath("journalctl", "c"), "");
    std::filesystem::current_path(before);
}

class SystemLogRunTest : public ::testing::Test {
protected:
    SystemLogResult Collect(const std::string& script, SystemLogLimits limits = {}) {
        if (!script.empty()) {
            WriteScript(world.Folder("path") + "/journalctl", script);
        }
        return CollectSystemLog(kSince, out, limits, world.Folder("path"));
    }

    static constexpr std::time_t kSince = 1700000000;
    LogToolWorld world;
    std::string out = world.Folder("System.log");
};

TEST_F(SystemLogRunTest, WithoutJournalctlTheStepIsSkipped) {
    const SystemLogResult r = Collect("");
    EXPECT_FALSE(r.written);
    EXPECT_EQ(r.line, "System log: skipped (journalctl not found)");
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SystemLogRunTest, TheJournalSinceTheStartLandsInTheFile) {
    const SystemLogResult r = Collect("for a in \"$@\"; do echo \"[$a]\"; done");
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.line, "System log: " + out);
    EXPECT_EQ(ReadFile(out), "[--since]\n[" + JournalTime(kSince) + "]\n[--no-pager]\n");
    EXPECT_TRUE(
        std::regex_match(JournalTime(kSince), std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));
}

TEST_F(SystemLogRunTest, TheCollectionIsBoundedAndSaysWhy) {
    struct Case {
        const char* name;
        std::string script;
        SystemLogLimits limits;
        std::string line;  // the start of the result line
        size_t bytes;      // of the file
    } cases[] = {
        {"too much output",
         "exec /usr/bin/yes journal",
         {10000, 100000},
         "System log: cut at 100000 bytes, in ",
         100000},
        {"no end in time",
         "echo early; exec /bin/sleep 30",
         {300, 1 << 20},
         "System log: journalctl took longer than 300 ms; what came is in ",
         6},
        {"an error code",
         "echo partial; exit 3",
         {10000, 1 << 20},
         "System log: journalctl ended with code 3; what came is in ",
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = std::chrono::steady_clock::now();
        const SystemLogResult r = Collect(c.script, c.limits);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
        EXPECT_TRUE(r.written);
        EXPECT_EQ(r.line, c.line + out);
        EXPECT_EQ(std::filesystem::file_size(out), c.bytes);
    }
}

}  // namespace
}  // namespace logtool
