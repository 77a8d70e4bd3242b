#include "vrxclientsdk/VRXClient/media/HWKStream.h"

#include <gtest/gtest.h>

#include "platform/wide_text.h"
#include "tests/vrxclientsdk/VRXClient/media/curl_fetch.h"
#include "tests/vrxclientsdk/VRXClient/media/foreign_listener.h"
#include "tests/vrxclientsdk/VRXClient/media/media_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/HWKTStream.h"

using mediatest::CurlFetch;
using mediatest::HeaderValue;
using mediatest::LocalUrl;

namespace {

class HWKStreamTest : public ::testing::Test {
protected:
    mediatest::ScopedMediaEnvironment m_env{PEMU_MODULE_DIR};
    testsupport::TempDir m_dir;
};

TEST_F(HWKStreamTest, ServesARegisteredFileByteForByteWithRanges) {
    const std::string content = mediatest::WriteRandomFile(m_dir.File("clip.mp4"), 200000);
    HWKStream stream;
    ASSERT_EQ(stream.GetErrorCode(), 0);
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0) << stream.GetErrorMessage();
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(m_dir.File("clip.mp4")), url), 0);
    EXPECT_EQ(stream.RegisteredUrl(), url);

    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string body;
        std::string contentRange;
    } cases[] = {
        {"GET", {"-r", "0-"}, 206, content, "bytes 0-199999/200000"},
        {"GET of everything", {"-H", "Accept: */*"}, 200, content, ""},
        {"HEAD", {"-I"}, 200, "", ""},
        {"first bytes", {"-r", "0-99"}, 206, content.substr(0, 100), "bytes 0-99/200000"},
        {"open end", {"-r", "199990-"}, 206, content.substr(199990), "bytes 199990-199999/200000"},
        {"suffix", {"-r", "-50"}, 206, content.substr(199950), "bytes 199950-199999/200000"},
        {"end past the file",
         {"-r", "150000-999999"},
         206,
         content.substr(150000),
         "bytes 150000-199999/200000"},
        {"HEAD of a range", {"-I", "-r", "10-19"}, 206, "", "bytes 10-19/200000"},
        {"unsatisfiable", {"-r", "200000-"}, 416, "", "bytes */200000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const mediatest::HttpReply reply = CurlFetch(LocalUrl(port, url), c.args);
        EXPECT_EQ(reply.status, c.status);
        // curl -I writes the header block where a body would go: no content came.
        const std::string& expected = c.args.front() == "-I" ? reply.headers : c.body;
        EXPECT_TRUE(reply.body == expected) << "body of " << reply.body.size() << " bytes";
        EXPECT_EQ(HeaderValue(reply.headers, "Content-Range"), c.contentRange);
        if (c.status != 416) {
            EXPECT_EQ(HeaderValue(reply.headers, "Content-Type"), "video/mp4");
            EXPECT_EQ(HeaderValue(reply.headers, "Accept-Ranges"), "bytes");
        }
    }
    EXPECT_EQ(HeaderValue(CurlFetch(LocalUrl(port, url), {"-I"}).headers, "Content-Length"),
              "200000");
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(HWKStreamTest, AnswersOnlyPublishedPaths) {
    const std::string file = m_dir.File("song.mp3");
    mediatest::WriteRandomFile(file, 1000);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0) << stream.GetErrorMessage();
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    // "/", 22 characters of the random key, then the extension.
    ASSERT_EQ(url.size(), 1 + 22 + 4);
    EXPECT_EQ(url.substr(23), ".mp3");
    std::string again;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), again), 0);
    EXPECT_NE(again, url) << "every registration gets a fresh path";

    const std::string unpublished[] = {
        "/",          "/" + std::string(22, 'A') + ".mp3", url.substr(0, url.size() - 1), url + "/",
        "/.." + file, "/../../../../etc/passwd",           "/%2e%2e/%2e%2e/etc/passwd",   file,
    };
    for (const std::string& path : unpublished) {
        SCOPED_TRACE(path);
        EXPECT_EQ(CurlFetch(LocalUrl(port, path)).status, 404);
    }
    EXPECT_EQ(CurlFetch(LocalUrl(port, url)).status, 200);

    // Withdrawing forgets the path registered last (`again`); `url` stays.
    ASSERT_EQ(stream.DeregisterFile(), 0);
    EXPECT_EQ(CurlFetch(LocalUrl(port, again)).status, 404);
    EXPECT_EQ(CurlFetch(LocalUrl(port, url)).status, 200);
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(HWKStreamTest, WithdrawalAlwaysForgetsTheRegisteredUrl) {
    const std::string file = m_dir.File("a.wmv");
    mediatest::WriteRandomFile(file, 10);
    HWKStream stream;
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    ASSERT_EQ(stream.DeregisterFile(), 0);
    EXPECT_TRUE(stream.RegisteredUrl().empty());
    // The module no longer knows the (now empty) path: refused, still empty.
    EXPECT_EQ(stream.DeregisterFile(), qkerr::kHwkDeregister);
    EXPECT_TRUE(stream.RegisteredUrl().empty());

    const std::string missing = m_dir.File("missing.mp4");
    url = "unchanged";
    EXPECT_EQ(stream.RegisterFile(platform::Utf8ToWide(missing), url), qkerr::kHwkRegister);
    EXPECT_EQ(url, "unchanged");
    EXPECT_NE(stream.GetErrorMessage().find(missing), std::string::npos);
    EXPECT_EQ(stream.RegisterFile(platform::Utf8ToWide(m_dir.Path().string()), url),
              qkerr::kHwkRegister)
        << "a folder is not published";
}

TEST_F(HWKStreamTest, StartFailsWhenAnotherProgramHoldsThePort) {
    mediatest::ForeignListener stranger;
    ASSERT_NE(stranger.Port(), 0);
    HWKStream stream;
    EXPECT_EQ(stream.StartServer(stranger.Port()), qkerr::kHwkInit);
    EXPECT_NE(stream.GetErrorMessage().find(std::to_string(stranger.Port())), std::string::npos);
    EXPECT_FALSE(stream.IsServing()) << "the failed server's thread is joined";

    // A port this process already serves is refused too.
    HWKStream first;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(first.StartServer(port), 0);
    EXPECT_EQ(stream.StartServer(port), qkerr::kHwkInit);
    EXPECT_TRUE(first.IsServing());
    EXPECT_EQ(first.Shutdown(), 0);
}

TEST_F(HWKStreamTest, ShutdownJoinsTheServerAndARestartServesAgain) {
    const std::string file = m_dir.File("b.avi");
    mediatest::WriteRandomFile(file, 100);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0);
    ASSERT_TRUE(stream.IsServing());
    EXPECT_EQ(stream.Shutdown(), 0);
    EXPECT_FALSE(stream.IsServing());
    EXPECT_EQ(CurlFetch(LocalUrl(port, "/")).status, 0) << "nothing listens any more";
    EXPECT_EQ(stream.Shutdown(), 0) << "a second shutdown has nothing to stop";

    ASSERT_EQ(stream.StartServer(port), 0);
    ASSERT_EQ(stream.StartServer(port), 0) << "a start while serving restarts";
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    EXPECT_EQ(CurlFetch(LocalUrl(port, url)).status, 200);
}

TEST(HWKStreamModuleTest, AMissingModuleOrEntryIsNeverCalled) {
    testsupport::TempDir empty;
    testsupport::TempDir dir;
    const std::string file = dir.File("c.mp4");
    mediatest::WriteRandomFile(file, 10);
    const std::string folders[] = {empty.Path().string(), PEMU_BROKEN_HARNWICK_DIR};
    for (const std::string& folder : folders) {
        SCOPED_TRACE(folder);
        mediatest::ScopedMediaEnvironment env(folder);
        HWKStream stream;  // the broken module aborts when one of its entries runs
        EXPECT_EQ(stream.GetErrorCode(), qkerr::kHwkLoad);
        EXPECT_FALSE(stream.HasAllFunctions());
        EXPECT_EQ(stream.StartServer(mediatest::FreePort()), qkerr::kHwkLoad);
        std::string url;
        EXPECT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), qkerr::kHwkLoad);
        EXPECT_EQ(stream.DeregisterFile(), qkerr::kHwkLoad);
        EXPECT_EQ(stream.Shutdown(), 0);
    }
}

TEST(HWKTStreamTest, EveryOperationIsDisabled) {
    HWKTStream stream;
    std::string url = "kept";
    EXPECT_EQ(stream.CheckEnabled(), qkerr::kHwktNotEnabled);
    EXPECT_EQ(stream.StartServer(), qkerr::kHwktNotEnabled);
    EXPECT_EQ(stream.RegisterFile(L"/tmp/x.mp4", url), qkerr::kHwktNotEnabled);
    EXPECT_EQ(stream.DeregisterFile(), qkerr::kHwktNotEnabled);
    EXPECT_EQ(url, "kept");
    EXPECT_EQ(stream.GetErrorCode(), qkerr::kHwktNotEnabled);
}

}  // namespace
