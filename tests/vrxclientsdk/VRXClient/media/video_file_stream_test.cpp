#include "vrxclientsdk/VRXClient/media/VideoFileStream.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/wide_text.h"
#include "tests/support/OwnLoopbackAddress.h"
#include "tests/vrxclientsdk/VRXClient/media/curl_fetch.h"
#include "tests/vrxclientsdk/VRXClient/media/media_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"

using mediatest::CurlFetch;
using mediatest::LocalUrl;

namespace {

class VideoFileStreamTest : public ::testing::Test {
protected:
    VideoFileStreamTest() {
        m_first = platform::Utf8ToWide(m_dir.File("first.mp4"));
        m_second = platform::Utf8ToWide(m_dir.File("second.mkv"));
        m_firstBytes = mediatest::WriteRandomFile(m_dir.File("first.mp4"), 50000, 1);
        m_secondBytes = mediatest::WriteRandomFile(m_dir.File("second.mkv"), 30000, 2);
    }
    void TearDown() override { EXPECT_EQ(VideoFileStream::ServerUseCount(), 0); }

    // Status of a GET of `path` on `port`.
    static int Status(uint16_t port, const std::string& path) {
        return CurlFetch(LocalUrl(port, path)).status;
    }

    mediatest::ScopedMediaEnvironment m_env{PEMU_MODULE_DIR};
    testsupport::TempDir m_dir;
    std::wstring m_first;
    std::wstring m_second;
    std::string m_firstBytes;
    std::string m_secondBytes;
    const uint16_t m_port = mediatest::FreePort();
};

TEST_F(VideoFileStreamTest, PublishesAFileAndWithdrawsIt) {
    VideoFileStream stream;
    ASSERT_EQ(stream.Initialize(m_port, false), 0) << stream.GetErrorMessage();
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1);
    std::string url;
    ASSERT_EQ(stream.Start(m_first, url), 0);
    const mediatest::HttpReply reply = CurlFetch(LocalUrl(m_port, url), {"-r", "100-"});
    EXPECT_EQ(reply.status, 206);
    EXPECT_TRUE(reply.body == m_firstBytes.substr(100));

    EXPECT_EQ(stream.Stop(m_first), 0);
    EXPECT_FALSE(stream.IsFileRegistered());
    EXPECT_EQ(Status(m_port, url), 404);
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1) << "the server stays for the next play";
    EXPECT_EQ(stream.Shutdown(), 0);
    EXPECT_EQ(Status(m_port, url), 0) << "the last reference stopped the server";
}

TEST_F(VideoFileStreamTest, OperationsOutOfOrderGiveTheirCodes) {
    VideoFileStream stream;
    std::string url = "unchanged";
    EXPECT_EQ(stream.Start(m_first, url), qkerr::kHwkNotRunning);
    EXPECT_EQ(url, "unchanged");
    EXPECT_EQ(stream.Stop(m_first), qkerr::kHwkNotRunning);
    EXPECT_EQ(stream.Shutdown(), 0);

    struct Case {
        uint16_t port;
        bool transcode;
        int code;
    } cases[] = {
        {0, false, qkerr::kHwkInit},
        {80, false, qkerr::kHwkInit},
        {1023, false, qkerr::kHwkInit},
        {m_port, true, qkerr::kHwktNotEnabled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.port) + (c.transcode ? " transcode" : ""));
        EXPECT_EQ(stream.Initialize(c.port, c.transcode), c.code);
        EXPECT_FALSE(stream.IsServerStarted());
        EXPECT_EQ(stream.Start(m_first, url), qkerr::kHwkNotRunning);
    }

    ASSERT_EQ(stream.Initialize(m_port, false), 0);
    EXPECT_EQ(stream.Stop(m_first), 0) << "nothing published: nothing to withdraw";
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1);
}

TEST_F(VideoFileStreamTest, ARepeatedStartNeverLeavesAStalePath) {
    VideoFileStream stream;
    ASSERT_EQ(stream.Initialize(m_port, false), 0);
    std::string first;
    ASSERT_EQ(stream.Start(m_first, first), 0);
    std::string same;
    ASSERT_EQ(stream.Start(m_first, same), 0);
    EXPECT_EQ(same, first) << "the same file keeps its path";

    std::string second;
    ASSERT_EQ(stream.Start(m_second, second), 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(Status(m_port, first), 404) << "the replaced file is withdrawn";
    const mediatest::HttpReply reply = CurlFetch(LocalUrl(m_port, second));
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body == m_secondBytes);

    EXPECT_EQ(stream.Start(platform::Utf8ToWide(m_dir.File("none.mp4")), second),
              qkerr::kHwkRegister);
    EXPECT_FALSE(stream.IsFileRegistered());
    EXPECT_NE(stream.GetErrorMessage().find("bTranscode=0,hwk(t) err=-6528503"), std::string::npos);
}

TEST_F(VideoFileStreamTest, TheServerOfAPortIsSharedAndCounted) {
    VideoFileStream a;
    VideoFileStream b;
    ASSERT_EQ(a.Initialize(m_port, false), 0);
    ASSERT_EQ(a.Initialize(m_port, false), 0) << "bypass: the same stream reuses its server";
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1);
    ASSERT_EQ(b.Initialize(m_port, false), 0);
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 2);
    std::string urlA;
    std::string urlB;
    ASSERT_EQ(a.Start(m_first, urlA), 0);
    ASSERT_EQ(b.Start(m_second, urlB), 0);

    EXPECT_EQ(a.Shutdown(), 0);
    EXPECT_EQ(Status(m_port, urlA), 404) << "a shut-down stream leaves nothing published";
    EXPECT_EQ(Status(m_port, urlB), 200) << "the other client's server keeps running";

    VideoFileStream c;
    EXPECT_EQ(c.Initialize(m_port, true), qkerr::kHwkMultipleInstances);
    EXPECT_EQ(Status(m_port, urlB), 200);

    {
        VideoFileStream d;
        std::string urlD;
        ASSERT_EQ(d.Initialize(m_port, false), 0);
        ASSERT_EQ(d.Start(m_first, urlD), 0);
        EXPECT_EQ(Status(m_port, urlD), 200);
        urlA = urlD;
    }
    EXPECT_EQ(Status(m_port, urlA), 404) << "the destructor withdraws its file";
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1);
    EXPECT_EQ(b.Shutdown(), 0);
    EXPECT_EQ(Status(m_port, urlB), 0);
}

TEST_F(VideoFileStreamTest, WhileAStreamHasAReceiverOnlyItAndThisHostAreAnswered) {
    const std::string receiver = testsupport::OwnLoopbackAddress(224, 0x0f);
    const std::string stranger = testsupport::OwnLoopbackAddress(240, 0x0f);
    // Status of a GET of `path` from the local address `from`.
    auto from = [this](const std::string& address, const std::string& path) {
        return CurlFetch(LocalUrl(m_port, path), {"--interface", address}).status;
    };
    // A client without a receiver keeps the server and its file throughout.
    VideoFileStream open;
    ASSERT_EQ(open.Initialize(m_port, false), 0) << open.GetErrorMessage();
    std::string url;
    ASSERT_EQ(open.Start(m_second, url), 0);
    EXPECT_EQ(from(stranger, url), 200) << "no receiver yet: every peer is answered";

    VideoFileStream stream;
    stream.SetReceiver(::inet_addr(receiver.c_str()));
    ASSERT_EQ(stream.Initialize(m_port, false), 0);
    EXPECT_EQ(from(receiver, url), 200);
    EXPECT_EQ(from(stranger, url), 0) << "refused";
    EXPECT_EQ(Status(m_port, url), 200) << "this host is always answered";
    {
        // Another client of the same receiver ends first: the receiver stays
        // the only one answered.
        VideoFileStream same;
        same.SetReceiver(::inet_addr(receiver.c_str()));
        ASSERT_EQ(same.Initialize(m_port, false), 0);
    }
    EXPECT_EQ(from(stranger, url), 0);

    stream.SetReceiver(::inet_addr(stranger.c_str()));
    EXPECT_EQ(from(stranger, url), 200);
    EXPECT_EQ(from(receiver, url), 0) << "the earlier receiver's allowance went";

    EXPECT_EQ(stream.Shutdown(), 0);
    EXPECT_EQ(from(receiver, url), 200) << "the stream's end withdrew its allowance";
    EXPECT_EQ(open.Shutdown(), 0);
}

TEST_F(VideoFileStreamTest, ServersOfTwoPortsStopOnlyWithTheLastReference) {
    VideoFileStream a;
    VideoFileStream b;
    const uint16_t other = mediatest::FreePort();
    ASSERT_EQ(a.Initialize(m_port, false), 0);
    ASSERT_EQ(b.Initialize(other, false), 0);
    std::string urlB;
    ASSERT_EQ(b.Start(m_second, urlB), 0);
    EXPECT_EQ(a.Shutdown(), 0);
    EXPECT_EQ(Status(other, urlB), 200) << "releasing one port leaves the other serving";
    VideoFileStream c;
    ASSERT_EQ(c.Initialize(m_port, false), 0) << "the idle server of the port is taken up again";
    std::string urlC;
    ASSERT_EQ(c.Start(m_first, urlC), 0);
    EXPECT_EQ(Status(m_port, urlC), 200);
    EXPECT_EQ(c.Shutdown(), 0);
    EXPECT_EQ(b.Shutdown(), 0);
    EXPECT_EQ(Status(other, urlB), 0);
    EXPECT_EQ(Status(m_port, "/"), 0);
}

TEST_F(VideoFileStreamTest, MovingToAnotherPortWithdrawsAndReleases) {
    VideoFileStream stream;
    ASSERT_EQ(stream.Initialize(m_port, false), 0);
    std::string url;
    ASSERT_EQ(stream.Start(m_first, url), 0);
    const uint16_t other = mediatest::FreePort();
    ASSERT_EQ(stream.Initialize(other, false), 0);
    EXPECT_FALSE(stream.IsFileRegistered());
    EXPECT_EQ(VideoFileStream::ServerUseCount(), 1);
    ASSERT_EQ(stream.Start(m_first, url), 0);
    EXPECT_EQ(Status(other, url), 200);
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(VideoFileStreamTest, TwentyStartStopCyclesEndClean) {
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        VideoFileStream stream;
        ASSERT_EQ(stream.Initialize(m_port, false), 0) << stream.GetErrorMessage();
        std::string url;
        ASSERT_EQ(stream.Start(i % 2 ? m_first : m_second, url), 0);
        ASSERT_EQ(CurlFetch(LocalUrl(m_port, url), {"-r", "0-9"}).status, 206);
        ASSERT_EQ(stream.Stop(m_first), 0);
        ASSERT_EQ(stream.Shutdown(), 0);
        ASSERT_EQ(VideoFileStream::ServerUseCount(), 0);
    }
}

}  // namespace

namespace {

// A program that exits while a stream still serves (no shutdown, no
// destructor of the stream) ends cleanly: the server stops at exit.
TEST(VideoFileStreamExitTest, ExitingWhileServingEndsCleanly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            mediatest::ScopedMediaEnvironment env(PEMU_MODULE_DIR);
            static VideoFileStream* stream = new VideoFileStream;
            if (stream->Initialize(mediatest::FreePort(), false) != 0) {
                std::_Exit(3);
            }
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
