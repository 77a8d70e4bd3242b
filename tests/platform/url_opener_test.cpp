// The desktop opener seam: the target reaches the opener program as its one
// argument without a shell, unsafe targets never start it, and every opener
// process is reaped.
#include "platform/url_opener.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/fake_url_opener.h"
#include "tests/support/TempDir.h"

namespace {

// A stand-in for xdg-open: appends "<argument count>|<first argument>" to
// `record`, or sleeps when told to by its argument.
std::string WriteRecorder(const testsupport::TempDir& dir, const std::string& record) {
    const std::string path = dir.File("opener");
    std::ofstream(path) << "#!/bin/sh\n"
                           "if [ \"$1\" = \"http://slow/\" ]; then exec sleep 30; fi\n"
                           "printf '%s|%s\\n' \"$#\" \"$1\" >> '"
                        << record << "'\n";
    ::chmod(path.c_str(), 0755);
    return path;
}

// Waits (up to 5 s of real time: the recorder is another process) until the
// record holds `lines` lines, and returns it.
std::string AwaitRecord(const std::string& record, size_t lines) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
        text = testsupport::ReadFile(record);
        if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return text;
}

bool NoChildLeft() {
    int status = 0;
    return ::waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(UrlOpenerTest, TheTargetIsOneArgumentThatNoShellReads) {
    testsupport::TempDir dir;
    const std::string record = dir.File("record");
    {
        auto opener = platform::UrlOpener::CreateWithProgramForTest(WriteRecorder(dir, record));
        ASSERT_NE(opener, nullptr);
        const std::string tricky =
            "http://example.com/a b?q=1;touch '" + dir.File("pwned") + "'&x=$(id)`id`";
        ASSERT_TRUE(opener->Open(tricky));
        EXPECT_EQ(AwaitRecord(record, 1), "1|" + tricky + "\n");
        ASSERT_TRUE(opener->Open("https://example.com/"));
        EXPECT_EQ(AwaitRecord(record, 2), "1|" + tricky + "\n1|https://example.com/\n");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("pwned")));
    EXPECT_TRUE(NoChildLeft());
}

TEST(UrlOpenerTest, UnsafeTargetsNeverStartTheOpener) {
    testsupport::TempDir dir;
    const std::string record = dir.File("record");
    auto opener = platform::UrlOpener::CreateWithProgramForTest(WriteRecorder(dir, record));
    ASSERT_NE(opener, nullptr);
    platform::FakeUrlOpener fake;
    for (const std::string& target :
         {std::string(), std::string("--help"), std::string("-http://x/"),
          std::string("http://x/\nhttp://y/"), std::string("http://x/\x7f"),
          std::string("http://x/\tb")}) {
        SCOPED_TRACE(target);
        EXPECT_FALSE(platform::IsSafeOpenerArgument(target));
        EXPECT_FALSE(opener->Open(target));
        EXPECT_FALSE(fake.Open(target));
    }
    EXPECT_TRUE(fake.Opened().empty());
    EXPECT_EQ(platform::TargetForLog("a\nb\x7f" + std::string(300, 'x')),
              "a?b?" + std::string(196, 'x'));
    opener.reset();
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_TRUE(NoChildLeft());
}

TEST(UrlOpenerTest, ARunningOpenerIsEndedAndReapedWithTheObject) {
    testsupport::TempDir dir;
    auto opener =
        platform::UrlOpener::CreateWithProgramForTest(WriteRecorder(dir, dir.File("record")));
    ASSERT_NE(opener, nullptr);
    ASSERT_TRUE(opener->Open("http://slow/"));
    auto start = std::chrono::steady_clock::now();
    opener.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(NoChildLeft());
}

// Folders and mail links reach the opener program as its one argument;
// what is not an existing folder or a plain mailto: link never starts it.
TEST(UrlOpenerTest, FoldersAndMailLinksAreCheckedThenOpened) {
    testsupport::TempDir dir;
    const std::string record = dir.File("record");
    const std::string folder = dir.File("log folder");
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory_symlink(folder, dir.File("link"));
    std::ofstream(dir.File("file")) << "x";
    {
        auto opener = platform::UrlOpener::CreateWithProgramForTest(WriteRecorder(dir, record));
        ASSERT_NE(opener, nullptr);
        struct Case {
            const char* name;
            std::string target;
            bool folder;  // else a mail link
            bool opened;
        } cases[] = {
            {"a folder with a blank", folder, true, true},
            {"a link to a folder", dir.File("link"), true, true},
            {"a file", dir.File("file"), true, false},
            {"a missing folder", dir.File("missing"), true, false},
            {"a relative path", "log", true, false},
            {"empty", "", true, false},
            {"an encoded link", "mailto:help@example.com?subject=Pemu%20Test%20Log", false, true},
            {"the scheme in capitals, no address", "MAILTO:?body=%0D%0A", false, true},
            {"a web address", "https://example.com/", false, false},
            {"a blank in the link", "mailto:a@b?subject=a b", false, false},
            {"a raw line break", "mailto:a@b?body=a\r\nb", false, false},
            {"a byte above ASCII", "mailto:a@b?body=\xC3\xA9", false, false},
        };
        std::vector<std::string> expected;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(c.folder ? opener->OpenFolder(c.target) : opener->OpenMailLink(c.target),
                      c.opened);
            if (c.opened) {
                expected.push_back("1|" + c.target);
            }
        }
        // The openers run side by side: their lines come in any order.
        std::istringstream lines(AwaitRecord(record, expected.size()));
        std::vector<std::string> recorded;
        for (std::string line; std::getline(lines, line);) {
            recorded.push_back(line);
        }
        std::sort(recorded.begin(), recorded.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(recorded, expected);

        platform::FakeUrlOpener fake;
        EXPECT_TRUE(fake.OpenFolder(folder));
        EXPECT_FALSE(fake.OpenFolder(dir.File("file")));
        EXPECT_TRUE(fake.OpenMailLink("mailto:?subject=x"));
        EXPECT_EQ(fake.Opened(), (std::vector<std::string>{folder, "mailto:?subject=x"}));
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(UrlOpenerTest, OnlyAbsoluteProgramsAndAFakeThatCanFail) {
    EXPECT_EQ(platform::UrlOpener::CreateWithProgramForTest("xdg-open"), nullptr);
    EXPECT_EQ(platform::UrlOpener::CreateWithProgramForTest(""), nullptr);
    auto missing = platform::UrlOpener::CreateWithProgramForTest("/nonexistent/xdg-open");
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Open("http://example.com/"));

    platform::FakeUrlOpener fake;
    EXPECT_TRUE(fake.Open("http://a/"));
    fake.SetWorks(false);
    EXPECT_FALSE(fake.Open("http://b/"));
    EXPECT_EQ(fake.Opened(), (std::vector<std::string>{"http://a/"}));
}

}  // namespace
