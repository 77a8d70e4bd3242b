#include "tests/receiver/media/MediaFetcher.h"

#include <gtest/gtest.h>

#include "tests/receiver/command/CommandWire.h"

namespace {

TEST(MediaFetcher, ReadsOnlyLoopbackMediaUrls) {
    struct Row {
        const char* url;
        bool ok;
        const char* host;
        uint16_t port;
        const char* path;
    };
    const Row rows[] = {
        {"http://127.000.000.001:8080/a1b2", true, "127.0.0.1", 8080, "/a1b2"},
        {"http://127.0.0.9:65535/x/y?z", true, "127.0.0.9", 65535, "/x/y?z"},
        {"http://192.168.001.010:8080/a", false, "", 0, ""},  // never off the machine
        {"http://127.0.0.1:0/a", false, "", 0, ""},
        {"http://127.0.0.1:70000/a", false, "", 0, ""},
        {"http://127.0.0.256:80/a", false, "", 0, ""},
        {"http://127.0.0.1/a", false, "", 0, ""},
        {"mmsh://127.000.000.001:8080", false, "", 0, ""},
        {"http://127.0.0.1x:80/a", false, "", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        receiver_sim::MediaUrl url;
        ASSERT_EQ(receiver_sim::ParseMediaUrl(row.url, &url), row.ok);
        if (row.ok) {
            EXPECT_EQ(url.host, row.host);
            EXPECT_EQ(url.port, row.port);
            EXPECT_EQ(url.path, row.path);
        }
    }
}

TEST(MediaFetcher, FindsTheUrlOfBothPlayRequests) {
    const std::string url = "http://127.000.000.001:8080/f";
    receiver_sim::SenderFrame video;
    video.code = receiver_sim::wire::kPlayVideo;
    video.payload.assign(260, 0);
    video.payload[2] = static_cast<uint8_t>(url.size());
    std::copy(url.begin(), url.end(), video.payload.begin() + 4);
    EXPECT_EQ(receiver_sim::PlayRequestUrl(video), url);
    video.payload[3] = 0x01;  // longer than the frame: no URL
    EXPECT_EQ(receiver_sim::PlayRequestUrl(video), "");

    receiver_sim::SenderFrame audio;
    audio.code = receiver_sim::wire::kPlayAudio;
    audio.payload.assign(292, 0);
    std::copy(url.begin(), url.end(), audio.payload.begin() + 4);
    EXPECT_EQ(receiver_sim::PlayRequestUrl(audio), url);
}

}  // namespace
