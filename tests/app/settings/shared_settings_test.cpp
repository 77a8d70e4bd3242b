// The settings file that the sender, its USB library and the log tool share:
// written where the sender keeps it, found there by the USB library.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/settings/settings_file.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"
#include "usbshare/ClientDeviceControl.h"
#include "usbshare/ZampLog.h"

namespace pemuapp {
namespace {

TEST(SharedSettingsTest, TheUsbLibraryFindsLogFileInTheSendersConfigFolder) {
    testsupport::TempDir dir;
    testsupport::ScopedEnv config("XDG_CONFIG_HOME", dir.File("config"));
    testsupport::ScopedEnv data("XDG_DATA_HOME", dir.File("data"));
    const SenderPaths paths = SenderPaths::FromUserFolders();
    EXPECT_EQ(paths.settingsFile, dir.File("config/Pemu Quorvane Sender/Quorvane_Sender.ini"));

    // The sender's start prepares the folders; the log tool writes LogFile.
    SettingsFile settings(paths, nullptr);
    SenderSettings values;
    settings.Load({}, &values);
    ASSERT_TRUE(settings.WriteSetting("LogFile", "QuorvaneSender.log"));

    {
        CClientDeviceControl control;
        char* noAddress = nullptr;
        EXPECT_EQ(control.Init(noAddress, nullptr, nullptr, false), -1);
    }
    porvane::ZampLog::Instance().Disable();
    const std::string log = testsupport::ReadFile(paths.logFolder + "/ZAMP.log");
    EXPECT_NE(log.find("ZAMP Version:0015"), std::string::npos) << log;
    EXPECT_NE(log.find("IP Address is NULL"), std::string::npos) << log;
    // Nothing was written where the data folder would have held settings.
    EXPECT_FALSE(std::filesystem::exists(paths.dataFolder + "/Quorvane_Sender.ini"));
}

}  // namespace
}  // namespace pemuapp
