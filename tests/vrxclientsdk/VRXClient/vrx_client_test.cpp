// The client facade without a login: its settings and their limits, the
// library log and its banner, the discovery cache and busy state, the
// operations this build lacks, and destruction while receiver events arrive.
#include "vrxclientsdk/VRXClient/VRXClient.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

namespace {

using facadetest::Ip;
using facadetest::SimReceiver;
using facadetest::TestClient;

TEST(VRXClientSettings, SettersKeepTheirValuesInRange) {
    TestClient client;
    struct Row {
        int jpeg, jpegKept;
        int enlarge, enlargeKept;
        double cursor, cursorKept;
        int x, y, xKept, yKept;
    } rows[] = {
        {85, 85, 2, 2, 2.5, 2.5, 3, 4, 3, 4},
        {0, 1, 0, 1, 0.5, 1.0, -5, 7, 0, 7},
        {101, 100, -3, 1, 9.0, 4.0, 0, -1, 0, 0},
        {-20, 1, 1, 1, std::nan(""), 1.0, 250, 250, 250, 250},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.jpeg);
        client.SetJpegQuality(row.jpeg);
        client.SetEnlargeFactor(row.enlarge);
        client.SetCursorScale(row.cursor);
        client.SetDeOverscanOffset(row.x, row.y);
        EXPECT_EQ(client.JpegQuality(), row.jpegKept);
        EXPECT_EQ(client.EnlargeFactor(), row.enlargeKept);
        EXPECT_DOUBLE_EQ(client.CursorScale(), row.cursorKept);
        EXPECT_EQ(client.DeOverscanX(), row.xKept);
        EXPECT_EQ(client.DeOverscanY(), row.yKept);
    }
}

TEST(VRXClientSettings, DefaultsBeforeAnyLogin) {
    TestClient client;
    EXPECT_EQ(client.GetStatus(), 200);
    EXPECT_EQ(client.GetPlayImageMode(), 0x80);
    EXPECT_EQ(client.GetImageCodingInUse(), 0);
    EXPECT_EQ(client.GetDeviceBpp(), 16);
    EXPECT_FALSE(client.IsBusy());
    EXPECT_EQ(client.GetPeerAddress(), 0u);
    int w = 0, h = 0;
    EXPECT_EQ(client.GetDeviceResolution(&w, &h), qkerr::kDisconnected);
    EXPECT_EQ(client.RefreshScreenImage(), qkerr::kDisconnected);
    EXPECT_EQ(client.PausePlayImage(), qkerr::kDisconnected);
    EXPECT_EQ(client.StopPlayImage(), 0);  // nothing to stop
}

TEST(VRXClientSettings, OperationsWithoutALoginReportTheDisconnection) {
    SenderServer client;
    EXPECT_EQ(client.HideScreen(), qkerr::kDisconnected);
    EXPECT_NE(client.GetErrorMessage().find("VRXClient is disconnected."), std::string::npos)
        << client.GetErrorMessage();
    EXPECT_EQ(client.StartPlayImage(0x80), qkerr::kDisconnected);
    EXPECT_EQ(client.PlayVideoFileW(L"/nonexistent.mp4", true, 0), qkerr::kDisconnected);
    EXPECT_EQ(client.StartK7RM(0, 0, 16, 16, 0, 0, false), qkerr::kDisconnected);
    EXPECT_EQ(client.TakeAuxSocket(), platform::kInvalidSocket);
    EXPECT_EQ(client.PlayImageFile(static_cast<const wchar_t*>(nullptr), 0x80),
              qkerr::kFileNotExist);
}

// Runs `body` with the working folder switched to a fresh temporary folder.
class LibraryLogTest : public testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_dir.Path());
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::string LogText() { return testsupport::ReadFile(m_dir.File(VRXClient::kLibraryLogName)); }

    testsupport::TempDir m_dir;
    std::filesystem::path m_previous;
};

TEST_F(LibraryLogTest, NoLogFileMeansNoLibraryLog) {
    { TestClient client; }
    EXPECT_FALSE(std::filesystem::exists(m_dir.File(VRXClient::kLibraryLogName)));
}

TEST_F(LibraryLogTest, EveryClientAppendsItsBannerToAnExistingLog) {
    std::ofstream(m_dir.File(VRXClient::kLibraryLogName)) << "earlier line\n";
    {
        TestClient first;
        TestClient second;  // must not cut the first client's lines
        first.SetJpegQuality(70);
    }
    const std::string log = LogText();
    EXPECT_EQ(log.rfind("earlier line\n", 0), 0u);
    size_t banners = 0;
    for (size_t at = log.find("| ======== Begin VRXClient Log ========"); at != std::string::npos;
         at = log.find("| ======== Begin VRXClient Log ========", at + 1)) {
        ++banners;
        // The version line follows the banner line.
        const size_t next = log.find('\n', at) + 1;
        EXPECT_NE(log.find("| VRX Client SDK Version: 140522 stb", next), std::string::npos);
        EXPECT_LT(log.find("VRX Client SDK Version", next), log.find('\n', next));
    }
    EXPECT_EQ(banners, 2u);
    EXPECT_NE(log.find("This log file is created on "), std::string::npos);
    EXPECT_NE(log.find("SetJpegQuality 70"), std::string::npos);
    EXPECT_NE(log.find("======== End VRXClient Log ========"), std::string::npos);
}

TEST_F(LibraryLogTest, LogThatCannotBeCreatedIsReported) {
    TestClient client;
    const std::string path = m_dir.File("missing-folder/client.log");
    EXPECT_EQ(client.SetLog(path.c_str(), 700, true), qkerr::kCreateLogFile);
    EXPECT_EQ(client.GetErrorMessage().rfind("Failed to create log file \"" + path + "\"", 0), 0u);
}

TEST(VRXClientDiscovery, SecondDiscoveryWhileOneRunsFindsNothingAtOnce) {
    TestClient client;
    // The announcer's answer is served from the sender's idle step, where the
    // test also tries a second discovery on the same facade.
    std::vector<DevAnnounce> found;
    ASSERT_EQ(facadetest::Discover(client, {{"127.0.0.2", 4000}}, &found), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].GetCommandPort(), 4000);

    bool sawBusy = false;
    int secondResult = -1;
    std::vector<DevAnnounce> untouched(3);
    ASSERT_EQ(facadetest::Discover(client, {{"127.0.0.2", 4001}}, &found,
                                   [&] {
                                       sawBusy = client.IsBusy();
                                       secondResult = client.DeviceDiscover(untouched, nullptr,
                                                                            false, 1, 1, 1);
                                   }),
              0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].GetCommandPort(), 4001);
    EXPECT_TRUE(sawBusy);
    EXPECT_EQ(secondResult, 0);
    EXPECT_EQ(untouched.size(), 3u);
    EXPECT_FALSE(client.IsBusy());
}

// A connected facade destroyed while its receiver floods it with events of
// every routing kind: plain callbacks, and login events that take the
// facade's operation lock. Run under ThreadSanitizer too.
TEST(VRXClientShutdown, DestroyingAConnectedFacadeWhileEventsArrive) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        SimReceiver receiver("127.0.0.2");
        auto client = std::make_unique<TestClient>();
        ASSERT_EQ(facadetest::Discover(*client, {{"127.0.0.2", receiver.sim->Port()}}), 0);
        ASSERT_EQ(client->Login(Ip("127.0.0.2"), "alice", "6049"), 0) << client->GetErrorMessage();
        std::vector<uint8_t> login(80, 0);
        std::vector<uint8_t> change(64, 'k');
        std::thread flood([&] {
            receiver.sim->FloodEvents(0xc3, {1}, 300);
            receiver.sim->FloodEvents(0x84, login, 300);
            receiver.sim->FloodEvents(0x96, change, 300);
        });
        ASSERT_TRUE(facadetest::WaitUntil([&] { return client->sidebarEvents.load() > 0; }));
        client.reset();  // while the flood goes on
        flood.join();
        EXPECT_TRUE(receiver.sim->WaitForNoOpenConnection());
    }
}

TEST(VRXClientShutdown, LossOfTheReceiverLogsOutAndTellsTheApplication) {
    SimReceiver receiver("127.0.0.2");
    TestClient client;
    ASSERT_EQ(facadetest::Discover(client, {{"127.0.0.2", receiver.sim->Port()}}), 0);
    ASSERT_EQ(client.Login(Ip("127.0.0.2"), "alice", "6049"), 0) << client.GetErrorMessage();
    receiver.sim->CloseClient();
    ASSERT_TRUE(facadetest::WaitUntil([&] { return client.closeEvents.load() == 1; }));
    EXPECT_EQ(client.GetStatus(), 200);
    EXPECT_EQ(client.GetPeerAddress(), 0u);
    EXPECT_LT(client.GetErrorCode(), 0);
}

}  // namespace
