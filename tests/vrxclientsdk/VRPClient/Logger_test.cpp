#include "vrxclientsdk/VRPClient/Logger.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(LoggerTest, LineShapeAndLevelWords) {
    platform::FakeClock clock;
    clock.SetLocal({7, 5, 3, 9});
    platform::ScopedClockOverride use(clock);
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("l.log").c_str(), LOG_DEBUG, false), 0);
    struct Case {
        int level;
        const char* word;
    } cases[] = {{0, "FATAL "},   {100, "ALERT "}, {200, "CRIT  "},
                 {300, "ERROR "}, {400, "WARN  "}, {500, "NOTICE"},
                 {600, "INFO  "}, {700, "DEBUG "}, {650, "UNKNOWN"}};
    for (const Case& c : cases) {
        log.Print(c.level, "msg %d", c.level);
    }
    auto lines = Lines(testsupport::ReadFile(dir.File("l.log")));
    ASSERT_EQ(lines.size(), std::size(cases));
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(cases[i].level);
        EXPECT_EQ(lines[i], std::string("07:05:03.009 ") + cases[i].word + "| msg " +
                                std::to_string(cases[i].level));
    }
}

TEST(LoggerTest, ThresholdFiltersLevels) {
    struct Case {
        int threshold;
        size_t written;  // of the eight named levels
    } cases[] = {{0, 1}, {300, 4}, {650, 7}, {700, 8}};
    const int levels[] = {0, 100, 200, 300, 400, 500, 600, 700};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.threshold);
        testsupport::TempDir dir;
        Logger log;
        ASSERT_EQ(log.Open(dir.File("t.log").c_str(), c.threshold, false), 0);
        for (int level : levels) {
            log.Print(level, "x");
        }
        EXPECT_EQ(Lines(testsupport::ReadFile(dir.File("t.log"))).size(), c.written);
    }
}

TEST(LoggerTest, UnopenedOrFailedLoggerWritesNothing) {
    Logger never;
    never.Print(LOG_FATAL, "nothing");  // no writer: must not crash or write
    EXPECT_FALSE(never.IsEnabled(LOG_FATAL));

    testsupport::TempDir dir;
    Logger failed;
    EXPECT_EQ(failed.Open((dir.Path() / "no/such/dir/x.log").c_str(), LOG_DEBUG, true), -10);
    EXPECT_FALSE(failed.IsEnabled(LOG_FATAL));
}

TEST(LoggerTest, AppendKeepsEarlierContentTruncateDoesNot) {
    testsupport::TempDir dir;
    const std::string path = dir.File("a.log");
    {
        Logger log;
        ASSERT_EQ(log.Open(path.c_str(), LOG_DEBUG, false), 0);
        log.Print(LOG_INFO, "first");
    }
    {
        Logger log;
        ASSERT_EQ(log.Open(path.c_str(), LOG_DEBUG, true), 0);
        log.Print(LOG_INFO, "second");
    }
    auto appended = Lines(testsupport::ReadFile(path));
    ASSERT_EQ(appended.size(), 2u);
    {
        Logger log;
        ASSERT_EQ(log.Open(path.c_str(), LOG_DEBUG, false), 0);
        log.Print(LOG_INFO, "third");
    }
    auto truncated = Lines(testsupport::ReadFile(path));
    ASSERT_EQ(truncated.size(), 1u);
    EXPECT_NE(truncated[0].find("third"), std::string::npos);
}

TEST(LoggerTest, NoPathWritesToStandardError) {
    Logger log;
    ASSERT_EQ(log.Open(nullptr, LOG_INFO, false), 0);
    testing::internal::CaptureStderr();
    log.Print(LOG_INFO, "to stderr %s", "ok");
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("INFO  | to stderr ok\n"), std::string::npos) << err;
}

TEST(LoggerTest, WriteAppendsSourceSuffixAsLiteralText) {
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("s.log").c_str(), LOG_DEBUG, false), 0);
    log.Write("C:\\build\\VRPClient\\CmdClient.cpp", 42, LOG_INFO, "Login %s", "ok");
    // A '%' in the path must come out as it stands, not act as a directive.
    log.Write("/src/%s%n%d/odd%.cpp", 7, LOG_INFO, "plain");
    auto lines = Lines(testsupport::ReadFile(dir.File("s.log")));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with("| Login ok [CmdClient.cpp:42]")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with("| plain [odd%.cpp:7]")) << lines[1];
}

TEST(LoggerTest, ConcurrentWritersNeverInterleave) {
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("c.log").c_str(), LOG_DEBUG, false), 0);
    constexpr int kThreads = 8, kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) {
                log.Write(__FILE__, __LINE__, LOG_INFO, "thread %d line %d %s", t, i,
                          "payload-payload-payload-payload-payload-payload");
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    auto lines = Lines(testsupport::ReadFile(dir.File("c.log")));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    const std::regex shape(
        R"(\d\d:\d\d:\d\d\.\d{3} INFO  \| thread \d line \d+ (payload-){5}payload \[Logger_test\.cpp:\d+\])");
    for (const std::string& line : lines) {
        ASSERT_TRUE(std::regex_match(line, shape)) << line;
    }
}

TEST(LoggerTest, ReopenWhileOtherThreadsWrite) {
    testsupport::TempDir dir;
    Logger log;
    ASSERT_EQ(log.Open(dir.File("r0.log").c_str(), LOG_DEBUG, false), 0);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            log.Print(LOG_INFO, "busy");
        }
    });
    for (int i = 1; i <= 50; ++i) {
        ASSERT_EQ(
            log.Open(dir.File("r" + std::to_string(i % 3) + ".log").c_str(), LOG_DEBUG, i % 2), 0);
    }
    stop = true;
    writer.join();
    for (const auto& line : Lines(testsupport::ReadFile(dir.File("r1.log")))) {
        ASSERT_TRUE(line.ends_with("INFO  | busy")) << line;
    }
}

}  // namespace
