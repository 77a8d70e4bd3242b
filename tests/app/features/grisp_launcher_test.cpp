// The Grisp commands against a small stand-in program beside a fake program
// folder: what it is started with and where, and what happens when it is
// missing or cannot be run.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/features/grisp_launcher.h"
#include "app/features/main_window_features.h"
#include "tests/app/features/fake_feature_host.h"
#include "tests/app/features/log_capture.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// A Grisp that notes its working folder and its arguments, one a line.
void WriteGrisp(const fs::path& folder, bool executable) {
    const fs::path program = folder / pemuapp::kGrispName;
    std::ofstream(program) << "#!/bin/sh\n"
                              "{ pwd; for a in \"$@\"; do echo \"$a\"; done; } >> \""
                           << (folder / "calls.txt").string() << "\"\n";
    ::chmod(program.c_str(), executable ? 0755 : 0644);
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(GrispLauncherTest, BothCommandsStartGrispInTheProgramsFolderWithThisProgramsPath) {
    testsupport::TempDir dir;
    const fs::path folder = fs::canonical(dir.Path());
    WriteGrisp(folder, true);
    pemuapp::GrispLauncher grisp(folder.string(), "/opt/pemu/pemu");
    EXPECT_TRUE(grisp.OnOpenGrisp());
    grisp.WaitAll();
    EXPECT_TRUE(grisp.OnCopyDesktop());
    grisp.WaitAll();
    EXPECT_EQ(Lines(folder / "calls.txt"),
              (std::vector<std::string>{folder.string(), "/opt/pemu/pemu", folder.string(),
                                        "CopyDeskTop@/opt/pemu/pemu"}));
}

TEST(GrispLauncherTest, AMissingOrUnrunnableGrispIsLoggedAndNothingStarts) {
    for (bool present : {false, true}) {
        SCOPED_TRACE(present);
        testsupport::TempDir dir;
        if (present) {
            WriteGrisp(dir.Path(), false);
        }
        featuretest::LogCapture log;
        featuretest::FakeFeatureHost host;
        {
            pemuapp::MainWindowFeatures features(host, {.grispFolder = dir.Path().string()});
            EXPECT_TRUE(features.OnCommand(pemuapp::kCmdOpenGrisp));
            EXPECT_TRUE(features.OnCommand(pemuapp::kCmdCopyToDesktop));
            features.Grisp().WaitAll();
        }
        const std::vector<std::string> warnings = log.Warnings();
        ASSERT_EQ(warnings.size(), 2u);
        EXPECT_NE(warnings[0].find("Grisp is not installed beside the program"), std::string::npos);
        EXPECT_FALSE(fs::exists(dir.Path() / "calls.txt"));
        EXPECT_TRUE(host.runner.Records().empty());
    }
}

}  // namespace
