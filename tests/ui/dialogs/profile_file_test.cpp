// profile.ini: reading the sections, saving the list whole, the Wi-Fi keys of
// the current profile, and a file that is not text.
#include "ui/dialogs/profile_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempDir.h"

namespace ui {
namespace {

void WriteRaw(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

ConnectionProfile Profile(std::string name, std::string ip = {}, std::string user = {}) {
    ConnectionProfile p;
    p.name = std::move(name);
    p.serverIp = std::move(ip);
    p.userName = std::move(user);
    return p;
}

TEST(ProfileFileTest, ReadingFollowsTheSections) {
    struct Row {
        const char* what;
        const char* text;
        size_t count;
        bool current;
        const char* currentIp;
    } rows[] = {
        {"section 2 without a name ends the list",
         "[1]\nProfileName=a\n[2]\nSSID=x\n[3]\nProfileName=c\n", 1, true, "0.0.0.0"},
        {"no section 1 name: no current profile", "[1]\nSSID=x\n[2]\nProfileName=b\n", 0, false,
         ""},
        {"stored address kept", "[1]\nProfileName=a\nServerIP=10.0.0.9\n", 1, true, "10.0.0.9"},
        {"a bad stored address shows 0.0.0.0", "[1]\nProfileName=a\nServerIP=10.0.0.999\n", 1, true,
         "0.0.0.0"},
        {"a name with only blanks is no name", "[1]\nProfileName=   \n", 0, false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        testsupport::TempDir dir;
        ProfileFile file(dir.File("profile.ini"));
        WriteRaw(file.Path(), row.text);
        std::vector<ConnectionProfile> list = {Profile("stale")};
        EXPECT_EQ(file.LoadProfiles(list), static_cast<int>(row.count));
        EXPECT_EQ(list.size(), row.count);
        ConnectionProfile current;
        EXPECT_EQ(file.LoadCurrentProfile(current), row.current);
        if (row.current) {
            EXPECT_EQ(current.serverIp, row.currentIp);
        }
    }
}

TEST(ProfileFileTest, ListFieldsStayPerProfileAndTheCurrentProfileDefaultsItsAddress) {
    testsupport::TempDir dir;
    ProfileFile file(dir.File("profile.ini"));
    WriteRaw(file.Path(),
             "[1]\nProfileName=first\n[2]\nProfileName=second\nServerIP=10.0.0.2\nUserName=Zoë\n"
             "LoginCode=1234\n[3]\nProfileName=third\n");
    std::vector<ConnectionProfile> list;
    ASSERT_EQ(file.LoadProfiles(list), 3);
    EXPECT_EQ(list[0].serverIp, "");  // the list reads a missing key as empty
    EXPECT_EQ(list[1].serverIp, "10.0.0.2");
    EXPECT_EQ(list[1].userName, "Zoë");
    EXPECT_EQ(list[1].loginCode, "1234");
    EXPECT_EQ(list[2].serverIp, "");
    EXPECT_EQ(list[2].userName, "");
    ConnectionProfile current;
    ASSERT_TRUE(file.LoadCurrentProfile(current));
    EXPECT_EQ(current.serverIp, "0.0.0.0");
}

TEST(ProfileFileTest, SavingReplacesTheFileWholeWithoutLoginCodes) {
    testsupport::TempDir dir;
    ProfileFile file(dir.File("sub/profile.ini"));  // the folder is made
    std::vector<ConnectionProfile> list = {Profile("Office", "10.0.0.7", "Jürgen Ødegård"),
                                           Profile("Home")};
    list[0].loginCode = "1234";
    list[0].key = "secret key";
    list[1].ssid = "home net";
    ASSERT_TRUE(file.SaveProfiles(list)) << file.LastError();
    const std::string text = testsupport::ReadFile(file.Path());
    EXPECT_EQ(text.find("LoginCode"), std::string::npos);
    EXPECT_EQ(text.find("UserName=\n"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(file.Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    std::vector<ConnectionProfile> back;
    ASSERT_EQ(file.LoadProfiles(back), 2);
    EXPECT_EQ(back[0].userName, "Jürgen Ødegård");
    EXPECT_EQ(back[0].key, "secret key");
    EXPECT_EQ(back[0].loginCode, "");
    EXPECT_EQ(back[1].ssid, "home net");

    // A shorter list leaves no section of the longer one behind.
    ASSERT_TRUE(file.SaveProfiles({Profile("Only")}));
    EXPECT_EQ(file.LoadProfiles(back), 1);
    EXPECT_EQ(testsupport::ReadFile(file.Path()).find("Office"), std::string::npos);
}

TEST(ProfileFileTest, ANamelessProfileRefusesTheSaveAndAnEmptyListRemovesTheFile) {
    testsupport::TempDir dir;
    ProfileFile file(dir.File("profile.ini"));
    ASSERT_TRUE(file.SaveProfiles({Profile("a"), Profile("b")}));
    const std::string before = testsupport::ReadFile(file.Path());

    EXPECT_FALSE(file.SaveProfiles({Profile("a"), Profile(""), Profile("c")}));
    EXPECT_FALSE(file.LastError().empty());
    EXPECT_EQ(testsupport::ReadFile(file.Path()), before);

    // A value that would break the file's lines is refused, file unchanged.
    ConnectionProfile broken = Profile("x");
    broken.key = "a\nProfileName=evil";
    EXPECT_FALSE(file.SaveProfiles({broken}));
    EXPECT_EQ(testsupport::ReadFile(file.Path()), before);

    EXPECT_TRUE(file.SaveProfiles({}));
    EXPECT_FALSE(std::filesystem::exists(file.Path()));
    EXPECT_TRUE(file.SaveProfiles({}));  // no file: still fine
}

TEST(ProfileFileTest, WifiKeysOfTheCurrentProfileAreSetEvenWhenEmptyAndOthersKept) {
    testsupport::TempDir dir;
    ProfileFile file(dir.File("profile.ini"));
    WriteRaw(file.Path(),
             "[1]\nProfileName=a\nServerIP=10.0.0.1\nWPAKey=old\nUserName=u\n[2]\nProfileName=b\n");
    ASSERT_TRUE(file.SaveWifiToCurrentProfile("", "RecvAP", ""));
    std::vector<ConnectionProfile> list;
    ASSERT_EQ(file.LoadProfiles(list), 2);
    EXPECT_EQ(list[0].ssid, "RecvAP");
    EXPECT_EQ(list[0].serverIp, "");
    EXPECT_EQ(list[0].key, "");
    EXPECT_EQ(list[0].userName, "u");
    EXPECT_NE(testsupport::ReadFile(file.Path()).find("WPAKey="), std::string::npos);
}

TEST(ProfileFileTest, AFileThatIsNotTextLoadsNothingIsKeptAsideAndNamed) {
    testsupport::TempDir dir;
    ProfileFile file(dir.File("profile.ini"));
    const std::string hostile("[1]\nProfileName=a\0b\n", 20);
    WriteRaw(file.Path(), hostile);
    std::vector<ConnectionProfile> list;
    EXPECT_EQ(file.LoadProfiles(list), 0);
    EXPECT_NE(file.LastError().find("profile.ini"), std::string::npos) << file.LastError();
    // The bytes are kept in a file of their own, never overwritten.
    bool kept = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        kept = kept || testsupport::ReadFile(entry.path().string()) == hostile;
    }
    EXPECT_TRUE(kept);

    // A folder in the file's place is neither read nor replaced.
    testsupport::TempDir other;
    ProfileFile folder(other.File("profile.ini"));
    std::filesystem::create_directory(folder.Path());
    EXPECT_EQ(folder.LoadProfiles(list), 0);
    EXPECT_FALSE(folder.LastError().empty());
    EXPECT_FALSE(folder.SaveProfiles({Profile("a")}));
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path()));
}

// A save killed at any point leaves the old list or the new one, whole.
TEST(ProfileFileTest, AKilledSaveLeavesAWholeFile) {
    testsupport::TempDir dir;
    const std::string path = dir.File("profile.ini");
    ProfileFile file(path);
    std::vector<ConnectionProfile> many;
    for (int i = 0; i < 300; ++i) {
        many.push_back(Profile("p" + std::to_string(i), "10.0.0.1", std::string(200, 'u')));
    }
    ASSERT_TRUE(file.SaveProfiles(many));
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ProfileFile writer(path);
        for (int i = 0;; ++i) {
            many[0].ssid = std::to_string(i);
            writer.SaveProfiles(many);
        }
    }
    int changes = 0;
    std::string last;
    for (int i = 0; i < 100000 && changes < 5; ++i) {
        std::vector<ConnectionProfile> read;
        ASSERT_EQ(ProfileFile(path).LoadProfiles(read), 300);
        if (read[0].ssid != last) {
            ++changes;
            last = read[0].ssid;
        }
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    std::vector<ConnectionProfile> read;
    EXPECT_EQ(ProfileFile(path).LoadProfiles(read), 300);
}

}  // namespace
}  // namespace ui
