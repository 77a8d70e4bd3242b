// The settings store on disk: writes that keep other writers' keys, a kill
// that never leaves half a file, and files that are not text set aside.
#include "platform/ini/ini_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempDir.h"

namespace platform {
namespace {

void WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> AsideFiles(const testsupport::TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.find(".bad-") != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

TEST(IniStoreTest, WriteKeepsOtherKeysAndTheFileIsPrivate) {
    testsupport::TempDir dir;
    const std::string path = dir.File("sub/Quorvane_Sender.ini");
    IniStore first(path);
    EXPECT_EQ(first.Load(), IniStore::LoadResult::kMissing);
    ASSERT_TRUE(first.Write("Quorvane_Sender", "AutoWifi", "false"));

    // Another writer with a stale view: its write must not drop AutoWifi.
    IniStore second(path);
    ASSERT_TRUE(second.Write("Quorvane_Sender", "LogFile", "sdk.log"));
    ASSERT_TRUE(first.Write("quorvane_sender", "autowifi", "true"));
    EXPECT_EQ(testsupport::ReadFile(path), "[Quorvane_Sender]\nAutoWifi=true\nLogFile=sdk.log\n");

    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(dir.File("sub").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    std::string reason;
    EXPECT_FALSE(first.Write("Quorvane_Sender", "LoginCode", "12\n34", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(first.Get("Quorvane_Sender", "LoginCode"), std::nullopt);
}

// Two processes, 200 keys each, interleaved: every key arrives.
TEST(IniStoreTest, TwoProcessesWritingManyKeysLoseNone) {
    testsupport::TempDir dir;
    const std::string path = dir.File("shared.ini");
    constexpr int kKeys = 200;
    pid_t children[2];
    for (int c = 0; c < 2; ++c) {
        children[c] = ::fork();
        ASSERT_GE(children[c], 0);
        if (children[c] == 0) {
            IniStore store(path);
            bool ok = true;
            for (int k = 0; k < kKeys; ++k) {
                ok = store.Write("S", "p" + std::to_string(c) + "k" + std::to_string(k),
                                 std::to_string(k)) &&
                     ok;
            }
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    IniStore reader(path);
    ASSERT_EQ(reader.Load(), IniStore::LoadResult::kLoaded);
    EXPECT_EQ(reader.Document().Entries("S").size(), 2u * kKeys);
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < kKeys; ++k) {
            EXPECT_EQ(reader.Get("S", "p" + std::to_string(c) + "k" + std::to_string(k)),
                      std::to_string(k));
        }
    }
    EXPECT_TRUE(AsideFiles(dir).empty());
}

// A writer killed at any point leaves the old file whole: it never writes
// the file itself, only a temporary one that is renamed over it.
TEST(IniStoreTest, AKilledWriterLeavesTheOldFileWhole) {
    testsupport::TempDir dir;
    const std::string path = dir.File("s.ini");
    const std::string before = "[S]\nA=1\n";
    WriteRaw(path, before);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IniStore store(path);
        const std::string big(400000, 'x');
        for (int i = 0;; ++i) {
            store.Write("S", "B", big + std::to_string(i));
        }
    }
    // Read while it writes until several new versions were seen; each read
    // is one whole version. Then kill it in the middle of its work.
    std::string last = before;
    int versions = 0;
    for (int i = 0; i < 200000 && versions < 10; ++i) {
        const std::string text = testsupport::ReadFile(path);
        ASSERT_TRUE(text == before || (text.rfind("[S]\nA=1\nB=", 0) == 0 && text.back() == '\n'))
            << text.substr(0, 40) << " ... (" << text.size() << " bytes)";
        if (text != last) {
            ++versions;
            last = text;
        }
    }
    EXPECT_GE(versions, 10);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    IniStore reader(path);
    EXPECT_EQ(reader.Load(), IniStore::LoadResult::kLoaded);
    EXPECT_EQ(reader.Get("S", "A"), "1");
}

TEST(IniStoreTest, AFileThatIsNotTextIsSetAsideAndDefaultsAreUsed) {
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"NUL byte", std::string("[S]\nA=1\0\n", 9)},
        {"bad UTF-8", "[S]\nA=\xff\xfe\n"},
        {"larger than 1 MiB", "[S]\nA=" + std::string(IniStore::kMaxFileBytes, 'x') + "\n"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        testsupport::TempDir dir;
        const std::string path = dir.File("s.ini");
        WriteRaw(path, r.bytes);
        IniStore store(path);
        std::string reason;
        EXPECT_EQ(store.Load(&reason), IniStore::LoadResult::kSetAside);
        EXPECT_NE(reason.find("defaults are used"), std::string::npos) << reason;
        EXPECT_EQ(store.Get("S", "A"), std::nullopt);
        EXPECT_FALSE(std::filesystem::exists(path));
        ASSERT_EQ(AsideFiles(dir).size(), 1u);
        // What the user had is kept byte for byte.
        EXPECT_EQ(testsupport::ReadFile(store.SetAsidePath()), r.bytes);
        // A write starts a fresh file beside it.
        ASSERT_TRUE(store.Write("S", "A", "2"));
        EXPECT_EQ(testsupport::ReadFile(path), "[S]\nA=2\n");
    }
}

TEST(IniStoreTest, ThingsThatAreNoFileAreNotOpenedOrReplaced) {
    testsupport::TempDir dir;
    const std::string fifo = dir.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    IniStore store(fifo);
    // A FIFO in the file's place neither hangs the reader nor is parsed,
    // moved or replaced.
    EXPECT_EQ(store.Load(), IniStore::LoadResult::kUnreadable);
    EXPECT_FALSE(store.Write("S", "A", "1"));
    EXPECT_TRUE(AsideFiles(dir).empty());

    const std::string folder = dir.File("folder.ini");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    IniStore onFolder(folder);
    EXPECT_NE(onFolder.Load(), IniStore::LoadResult::kLoaded);
    EXPECT_FALSE(onFolder.Write("S", "A", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace platform
