// The settings file: its keys and defaults, hostile and missing files, the
// folders it prepares and one-key writes shared with other programs.
#include "app/settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "tests/support/TempDir.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public testing::Test {
protected:
    void SetUp() override {
        paths = SenderPaths::Under(dir.File("config"), dir.File("data"));
        ASSERT_EQ(log.Open(dir.File("app.log").c_str(), LOG_DEBUG, false), 0);
    }

    void WriteSettings(const std::string& body) {
        fs::create_directories(paths.configFolder);
        std::ofstream(paths.settingsFile, std::ios::binary) << "[Quorvane_Sender]\n" << body;
    }
    SenderSettings Load(const SettingsLoadContext& context = {}) {
        SettingsFile file(paths, &log);
        SenderSettings s;
        loaded = file.Load(context, &s);
        return s;
    }
    std::string LogText() { return testsupport::ReadFile(dir.File("app.log")); }

    testsupport::TempDir dir;
    SenderPaths paths;
    Logger log;
    bool loaded = false;
};

TEST_F(SettingsFileTest, NoFileAnywhereGivesTheTableDefaults) {
    const fs::path workingFolder = fs::current_path();
    const SenderSettings s = Load();
    EXPECT_EQ(fs::current_path(), workingFolder);  // never changed to test a folder
    EXPECT_FALSE(loaded);
    const SenderSettings defaults;
    EXPECT_EQ(s.volume, 80);  // the table's default, whatever a constructor held
    EXPECT_EQ(s.maxFps, 30);
    EXPECT_EQ(s.jpegQuality, 65);
    EXPECT_FALSE(s.JpegQualityChanged());
    EXPECT_EQ(s.rebootCountdown, 90);
    EXPECT_EQ(s.audioRefreshFreq, 360);
    EXPECT_EQ(s.languageId, "English");
    EXPECT_EQ(s.logLevel, 600);
    EXPECT_TRUE(s.autoWifi && s.enableZamp && s.firstTimeStartApplication && s.logAppend);
    EXPECT_EQ(s.resolutionMode, kResolutionMiddle);
    EXPECT_EQ(s.codecType, kCodecAuto);
    // The folders are made, private.
    for (const std::string& folder : {paths.configFolder, paths.logFolder, paths.scratchFolder}) {
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0) << folder;
        EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
    }
}

TEST_F(SettingsFileTest, ValuesReadByTheirTypes) {
    struct Row {
        const char* line;
        std::function<bool(const SenderSettings&)> check;
    } rows[] = {
        {"AutoWifi=True", [](auto& s) { return !s.autoWifi; }},  // flags are exact
        {"AutoWifi=true", [](auto& s) { return s.autoWifi; }},
        {"EnableZAMP=yes", [](auto& s) { return !s.enableZamp; }},
        {"LogAppend=TRUE", [](auto& s) { return s.logAppend; }},  // any case
        {"LogAppend=no", [](auto& s) { return !s.logAppend; }},
        {"CodecType=h264", [](auto& s) { return s.codecType == kCodecAuto; }},
        {"CodecType=H264", [](auto& s) { return s.codecType == kCodecH264; }},
        {"CodecType=JPEG", [](auto& s) { return s.codecType == kCodecJpeg; }},
        {"ResolutionMode=Medium", [](auto& s) { return s.resolutionMode == kResolutionSmall; }},
        {"ResolutionMode=Large", [](auto& s) { return s.resolutionMode == kResolutionLarge; }},
        {"LogLevel=verbose", [](auto& s) { return s.logLevel == 600; }},
        {"LogLevel=debug", [](auto& s) { return s.logLevel == 700; }},
        {"LogLevel=Warn", [](auto& s) { return s.logLevel == 400; }},
        // An empty number is its default, not 0.
        {"JpegQuality=", [](auto& s) { return s.jpegQuality == 65 && !s.JpegQualityChanged(); }},
        {"JpegQuality=85", [](auto& s) { return s.jpegQuality == 85 && s.JpegQualityChanged(); }},
        {"JpegQuality=0", [](auto& s) { return s.jpegQuality == 65; }},
        {"JpegQuality=150", [](auto& s) { return s.jpegQuality == 65; }},
        {"MaxFPS=0", [](auto& s) { return s.maxFps == 30; }},
        {"MaxFPS=60", [](auto& s) { return s.maxFps == 60; }},
        {"CursorSize=9", [](auto& s) { return s.cursorSize == 1; }},
        {"CursorSize=4", [](auto& s) { return s.cursorSize == 4; }},
        {"Volume=500", [](auto& s) { return s.volume == 80; }},
        {"Volume=-1", [](auto& s) { return s.volume == 80; }},
        {"Volume=", [](auto& s) { return s.volume == 80; }},
        {"Volume=50abc", [](auto& s) { return s.volume == 50; }},  // leading digits
        {"RebootCountdown=abc", [](auto& s) { return s.rebootCountdown == 0; }},
        {"TVExpandWidth=12", [](auto& s) { return s.tvExpandWidth == 12; }},
        {"LoginCode= 1234 ", [](auto& s) { return s.loginCode == "1234"; }},
        {"LanguageID=Korean", [](auto& s) { return s.languageId == "Korean"; }},
        {"FilterPrefixWord=\" QK\"", [](auto& s) { return s.filterPrefixWord == " QK"; }},
        {"LogFile=sdk.log", [](auto& s) { return s.LibraryLogWanted(); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        WriteSettings(std::string(r.line) + "\n");
        const SenderSettings s = Load();
        EXPECT_TRUE(loaded);
        EXPECT_TRUE(r.check(s));
    }
    WriteSettings("FilterPrefixWord=" + std::string(2000, 'x') + "\n");
    EXPECT_EQ(Load().filterPrefixWord.size(), kMaxSettingChars);
    // Out-of-range values are logged with the default taken.
    EXPECT_NE(LogText().find("JpegQuality=150 is outside 1..100; default 65"), std::string::npos);
}

TEST_F(SettingsFileTest, RulesThatDependOnTheSystem) {
    WriteSettings("EnableASC=false\nVolume=60\nLanguageID=German\n");
    int backups = 0;
    SettingsLoadContext modern;
    modern.backupAccel = [&] { ++backups; };
    SenderSettings s = Load(modern);
    EXPECT_TRUE(s.enableAsc);  // code 19: not read, on
    EXPECT_EQ(backups, 0);
    EXPECT_EQ(s.volume, 60);
    EXPECT_EQ(s.languageId, "German");

    SettingsLoadContext older = modern;
    older.osCode = 18;
    older.defaultOutputAudible = [] { return false; };  // muted or none
    older.languageFromRegistry = "Korean";
    s = Load(older);
    EXPECT_FALSE(s.enableAsc);
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(s.volume, 0);
    EXPECT_EQ(s.languageId, "Korean");
}

TEST_F(SettingsFileTest, AMissingFileIsCopiedFromTheStartFolderElseTheProgramFolder) {
    const std::string start = dir.File("start"), program = dir.File("program");
    fs::create_directories(start);
    fs::create_directories(program);
    std::ofstream(program + "/Quorvane_Sender.ini") << "[Quorvane_Sender]\nMaxFPS=20\n";
    SettingsLoadContext context;
    context.startFolder = start;
    context.programFolder = program;
    EXPECT_EQ(Load(context).maxFps, 20);
    EXPECT_TRUE(loaded);

    // An existing file is never overwritten by a default.
    std::ofstream(start + "/Quorvane_Sender.ini") << "[Quorvane_Sender]\nMaxFPS=10\n";
    EXPECT_EQ(Load(context).maxFps, 20);
    fs::remove(paths.settingsFile);
    EXPECT_EQ(Load(context).maxFps, 10);  // the start folder comes first

    struct stat st {};
    ASSERT_EQ(::stat(paths.settingsFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(SettingsFileTest, ACorruptFileIsSetAsideAndTheDefaultsAreUsed) {
    fs::create_directories(paths.configFolder);
    const char bytes[] = "[Quorvane_Sender]\nMaxFPS=20\0\n";
    std::ofstream(paths.settingsFile, std::ios::binary) << std::string(bytes, sizeof bytes - 1);
    const SenderSettings s = Load();
    EXPECT_EQ(s.maxFps, 30);
    EXPECT_FALSE(fs::exists(paths.settingsFile));
    int aside = 0;
    for (const auto& e : fs::directory_iterator(paths.configFolder)) {
        aside += e.path().filename().string().find("Quorvane_Sender.ini.bad-") == 0;
    }
    EXPECT_EQ(aside, 1);
    EXPECT_NE(LogText().find("NUL byte"), std::string::npos);
}

TEST_F(SettingsFileTest, TheScratchFolderLosesItsFilesOnly) {
    fs::create_directories(paths.scratchFolder + "/keep");
    const std::string outside = dir.File("outside.txt");
    std::ofstream(outside) << "user's";
    std::ofstream(paths.scratchFolder + "/old.jpg") << "x";
    std::ofstream(paths.scratchFolder + "/keep/inner.jpg") << "x";
    std::ofstream(paths.scratchFolder + "/.hidden") << "x";
    fs::create_symlink(outside, paths.scratchFolder + "/link");
    Load();
    EXPECT_FALSE(fs::exists(paths.scratchFolder + "/old.jpg"));
    EXPECT_FALSE(fs::is_symlink(paths.scratchFolder + "/link"));
    EXPECT_TRUE(fs::exists(paths.scratchFolder + "/keep/inner.jpg"));
    EXPECT_TRUE(fs::exists(paths.scratchFolder + "/.hidden"));
    EXPECT_EQ(testsupport::ReadFile(outside), "user's");  // a link's target is not ours
}

TEST_F(SettingsFileTest, WritesGoThroughAndLoginCodesStayOutOfTheLog) {
    WriteSettings("; kept\nLoginCode=4821\nMaxFPS=30\n");
    SettingsFile file(paths, &log);
    SenderSettings s;
    ASSERT_TRUE(file.Load({}, &s));
    EXPECT_EQ(s.loginCode, "4821");
    ASSERT_TRUE(file.WriteSetting("MaxFPS", 25));
    ASSERT_TRUE(file.WriteFlag("AutoWifi", false));
    EXPECT_EQ(testsupport::ReadFile(paths.settingsFile),
              "[Quorvane_Sender]\n; kept\nLoginCode=4821\nMaxFPS=25\nAutoWifi=false\n");
    // Another program's write is seen by the single-key read.
    platform::IniStore other(paths.settingsFile);
    ASSERT_TRUE(other.Write("Quorvane_Sender", "SelectAPName", "Room 4"));
    EXPECT_EQ(file.ReadSetting("selectapname"), "Room 4");
    EXPECT_EQ(file.ReadSetting("Missing"), "");
    EXPECT_FALSE(file.WriteSetting("LoginCode", "12\n34"));
    EXPECT_EQ(LogText().find("4821"), std::string::npos);
}

}  // namespace
}  // namespace pemuapp
