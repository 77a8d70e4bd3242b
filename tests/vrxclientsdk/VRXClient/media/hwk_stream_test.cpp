#include "vrxclientsdk/VRXClient/media/HWKStream.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/media_bind_address.h"
#include "platform/wide_text.h"
#include "tests/vrxclientsdk/VRXClient/facade_test_env.h"
#include "tests/vrxclientsdk/VRXClient/media/curl_fetch.h"
#include "tests/vrxclientsdk/VRXClient/media/foreign_listener.h"
#include "tests/vrxclientsdk/VRXClient/media/media_test_env.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/media/HWKTStream.h"
#include "vrxclientsdk/VRXClient/media/LocalServerProbe.h"

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

// A peer that connects from `from` to 127.0.0.1:`port`.
int ConnectFrom(const char* from, uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from, &local.sin_addr);
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_port = htons(port);
    ::inet_pton(AF_INET, "127.0.0.1", &remote.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True once the server ended `fd` (end of stream or reset), reading and
// dropping whatever it sent before.
bool ServerEnded(int fd, int limitMs = 15000) {
    char buffer[65536];
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0 && ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) <= 0) {
            return true;
        }
    }
    return false;
}

TEST_F(HWKStreamTest, SlowPeersNeitherHoldTheServerNorOutlastTheirDeadline) {
    const std::string file = m_dir.File("c.mp4");
    const std::string content = mediatest::WriteRandomFile(file, 5000);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0);
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);

    // Peers that send their request head one byte at a time, forever.
    std::vector<int> slow;
    for (const char* from : {"127.0.0.2", "127.0.0.3"}) {
        for (int i = 0; i < 8; ++i) {
            slow.push_back(ConnectFrom(from, port));
            ASSERT_GE(slow.back(), 0);
        }
    }
    std::atomic<bool> trickle{true};
    std::thread trickler([&] {
        while (trickle.load()) {
            for (int fd : slow) {
                ::send(fd, "G", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    });
    const mediatest::HttpReply reply = CurlFetch(LocalUrl(port, url), {"--max-time", "8"});
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body == content);
    for (int fd : slow) {
        EXPECT_TRUE(ServerEnded(fd));
    }
    trickle = false;
    trickler.join();
    for (int fd : slow) {
        ::close(fd);
    }
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(HWKStreamTest, ShutdownEndsConnectionsOfPeersThatStoppedReading) {
    const std::string file = m_dir.File("big.mp4");
    mediatest::WriteRandomFile(file, 32 << 20);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0);
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    const int reader = ConnectFrom("127.0.0.1", port);
    ASSERT_GE(reader, 0);
    const std::string request = "GET " + url + " HTTP/1.1\r\nHost: x\r\n\r\n";
    ASSERT_EQ(::send(reader, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    char first[16];
    ASSERT_GT(::recv(reader, first, sizeof first, 0), 0);  // the answer began; no more is read

    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        stream.Shutdown();
        stopped = true;
    });
    // Bounded by the server's stop, not by the peer's write timeout.
    EXPECT_TRUE(facadetest::WaitUntil([&] { return stopped.load(); }, 10000));
    stopper.join();
    EXPECT_TRUE(ServerEnded(reader));
    ::close(reader);
}

TEST_F(HWKStreamTest, OnlyRegularFilesAreServed) {
    const std::string file = m_dir.File("d.mp4");
    mediatest::WriteRandomFile(file, 100);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0);
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    // The published path is replaced by a FIFO that nobody writes.
    ASSERT_EQ(::unlink(file.c_str()), 0);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(CurlFetch(LocalUrl(port, url), {"--max-time", "8"}).status, 404);
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(HWKStreamTest, EveryRangeHeaderFollowsTheRangeRules) {
    const std::string file = m_dir.File("e.mp4");
    const std::string content = mediatest::WriteRandomFile(file, 1000);
    HWKStream stream;
    const uint16_t port = mediatest::FreePort();
    ASSERT_EQ(stream.StartServer(port), 0);
    std::string url;
    ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
    const struct {
        const char* range;
        int status;
        std::string body;
        std::string contentRange;
    } cases[] = {
        {"items=0-5", 200, content, ""},
        {"Bytes=0-9", 206, content.substr(0, 10), "bytes 0-9/1000"},
        {"bytes=0-99999999999999999999999", 206, content, "bytes 0-999/1000"},
        {"bytes=99999999999999999999999-", 416, "", "bytes */1000"},
        {"bytes=9-0", 200, content, ""},
        {"bytes=1000-", 416, "", "bytes */1000"},
        {"bytes=0-1,5-6", 200, content, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.range);
        const mediatest::HttpReply reply =
            CurlFetch(LocalUrl(port, url), {"-H", std::string("Range: ") + c.range});
        EXPECT_EQ(reply.status, c.status);
        EXPECT_TRUE(reply.body == c.body) << reply.body.size() << " bytes";
        EXPECT_EQ(HeaderValue(reply.headers, "Content-Range"), c.contentRange);
    }
    // Another method, and a request line that is no HTTP, are refused.
    EXPECT_EQ(CurlFetch(LocalUrl(port, url), {"-X", "DELETE"}).status, 405);
    EXPECT_EQ(stream.Shutdown(), 0);
}

TEST_F(HWKStreamTest, ServesAndIsProbedOnAnotherBindAddress) {
    ::setenv(platform::kMediaBindAddressVariable, "127.0.0.2", 1);
    const std::string file = m_dir.File("f.mp4");
    const std::string content = mediatest::WriteRandomFile(file, 300);
    {
        HWKStream stream;
        const uint16_t port = mediatest::FreePort();
        ASSERT_EQ(stream.StartServer(port), 0) << stream.GetErrorMessage();
        std::string url;
        ASSERT_EQ(stream.RegisterFile(platform::Utf8ToWide(file), url), 0);
        const auto reply =
            CurlFetch("http://127.0.0.2:" + std::to_string(port) + url, {"--max-time", "8"});
        EXPECT_EQ(reply.status, 200);
        EXPECT_TRUE(reply.body == content);
        EXPECT_EQ(stream.Shutdown(), 0);
    }
    EXPECT_EQ(ProbeAddress("0.0.0.0"), "127.0.0.1");
    EXPECT_EQ(ProbeAddress("127.0.0.2"), "127.0.0.2");
    ::setenv(platform::kMediaBindAddressVariable, "127.0.0.1", 1);
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
