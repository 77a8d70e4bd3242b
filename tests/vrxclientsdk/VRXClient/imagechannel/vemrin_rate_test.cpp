// The H.264 module's rate: the x264 settings it picks for a quality and a
// picture size (read back from the settings x264 writes into the stream),
// and the rate cap held over a stream of hard motion as ffprobe measures it.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/child_process.h"
#include "tests/receiver/image/BlockDecoder.h"
#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/imagechannel/vemrin_module.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

namespace {

// The value of `key=` in x264's settings text, "" when absent.
std::string Setting(const std::string& stream, const std::string& key) {
    const size_t options = stream.find("options:");
    if (options == std::string::npos) {
        return {};
    }
    const size_t at = stream.find(" " + key + "=", options);
    if (at == std::string::npos) {
        return {};
    }
    const size_t from = at + key.size() + 2;
    return stream.substr(from, stream.find_first_of(" \0", from) - from);
}

// Picture `i` of a busy screen: the test desktop scrolling sideways, and a
// video-like half that changes all over in every picture.
std::vector<uint8_t> MotionPicture(int w, int h, int i) {
    std::vector<uint8_t> px = MakeTestPicture(w, h, i * 4);
    uint32_t seed = 7919u * static_cast<uint32_t>(i + 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w / 2; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int n = static_cast<int>((seed >> 16) % 25) - 12;
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            for (int c = 0; c < 3; ++c) {
                p[c] = static_cast<uint8_t>(std::clamp(p[c] + n, 0, 255));
            }
        }
    }
    for (size_t k = 3; k < px.size(); k += 4) {
        px[k] = 0xFF;
    }
    return px;
}

// ffprobe's packet sizes of the raw H.264 stream in `path`; empty when it fails.
std::vector<long> PacketSizes(const std::string& path, const testsupport::TempDir& dir) {
    const std::string out = dir.File("packets");
    const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    auto ffprobe = platform::ChildProcess::Start(
        "/usr/bin/ffprobe",
        {"-v", "error", "-f", "h264", "-show_entries", "packet=size", "-of", "csv=p=0", path},
        nullptr, fd);
    ::close(fd);
    if (!ffprobe) {
        return {};
    }
    const int status = ffprobe->Wait();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    std::vector<long> sizes;
    std::istringstream lines(testsupport::ReadFile(out));
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            sizes.push_back(std::stol(line));
        }
    }
    return sizes;
}

}  // namespace

TEST(VemrinRateTest, QualityAndSizeGiveTheRateFactorAndTheCap) {
    Vemrin vemrin;
    ASSERT_TRUE(vemrin.init && vemrin.encode && vemrin.close);
    const struct Case {
        int width, height, quality;
        const char* crf;
        const char* maxRate;  // kbit/s: 20 Mbit/s at 1920 x 1080, by pixel count
    } cases[] = {
        {1920, 1080, 85, "23.0", "20000"}, {1920, 1080, 100, "12.0", "20000"},
        {1280, 720, 85, "23.0", "8888"},   {640, 480, 50, "48.7", "2962"},
        {320, 240, 1, "51.0", "740"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " q" << c.quality);
        void* handle = nullptr;
        ASSERT_EQ(vemrin.init(&handle, static_cast<uint16_t>(c.width),
                              static_cast<uint16_t>(c.height), c.quality),
                  0);
        const std::vector<uint8_t> src = MakeTestPicture(c.width, c.height);
        std::vector<uint8_t> out(src.size());
        unsigned long length = out.size();
        int type = kVemrinAnyFrame;
        ASSERT_EQ(vemrin.encode(handle, src.data(), out.data(), &length, &type), 0);
        vemrin.close(handle);
        const std::string stream(reinterpret_cast<const char*>(out.data()), length);
        EXPECT_EQ(Setting(stream, "crf"), c.crf);
        EXPECT_EQ(Setting(stream, "vbv_maxrate"), c.maxRate);
        EXPECT_EQ(Setting(stream, "bframes"), "0");
    }
}

// Two seconds of hard motion at quality 85, with a refresh (key frame at
// quality 100) at the start and one in the middle. A refresh may take more
// than the buffer (four picture times of the cap), and the picture after it
// what the refresh left; every other picture fits the buffer, and the motion
// stays under the cap plus one buffer. Every picture decodes.
TEST(VemrinRateTest, MotionStaysUnderTheCapAndRefreshesAreExempt) {
    Vemrin vemrin;
    ASSERT_TRUE(vemrin.init && vemrin.encode && vemrin.reconfig && vemrin.close);
    constexpr int kW = 1280, kH = 720, kPictures = 120;
    constexpr double kCapBytesPerSecond = 8888 * 1000 / 8.0;
    constexpr double kBufferBytes = 592 * 1000 / 8.0;  // four picture times
    void* handle = nullptr;
    ASSERT_EQ(vemrin.init(&handle, kW, kH, 85), 0);
    auto decoder = receiver::BlockDecoder::CreateH264();
    ASSERT_NE(decoder, nullptr);
    receiver::Canvas canvas(kW, kH);
    testsupport::TempDir dir;
    const std::string path = dir.File("motion.h264");
    std::ofstream file(path, std::ios::binary);
    std::vector<uint8_t> out(static_cast<size_t>(kW) * kH * 4);
    std::vector<uint8_t> src;
    for (int i = 0; i < kPictures; ++i) {
        SCOPED_TRACE(testing::Message() << "picture " << i);
        const bool refresh = i == 0 || i == kPictures / 2;
        ASSERT_EQ(vemrin.reconfig(handle, refresh ? 100 : 85), 0);
        src = MotionPicture(kW, kH, i);
        unsigned long length = out.size();
        int type = refresh ? kVemrinKeyFrame : kVemrinAnyFrame;
        ASSERT_EQ(vemrin.encode(handle, src.data(), out.data(), &length, &type), 0);
        receiver::ImageBlockHeader hd;
        hd.bitsPerPixel = 32;
        hd.encoding = 7;
        hd.x2 = kW - 1;
        hd.y2 = kH - 1;
        hd.rawSize = kW * kH * 4;
        hd.length = static_cast<uint32_t>(length);
        bool key = false;
        ASSERT_EQ(decoder->Decode(hd, out.data(), canvas, &key), "");
        EXPECT_EQ(key, refresh);
        file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(length));
    }
    file.close();
    vemrin.close(handle);

    const std::vector<long> sizes = PacketSizes(path, dir);
    ASSERT_EQ(sizes.size(), static_cast<size_t>(kPictures));
    double motionBytes = 0;
    int motionPictures = 0;
    for (int i = 0; i < kPictures; ++i) {
        const int sinceRefresh = i % (kPictures / 2);
        if (sinceRefresh == 0) {
            EXPECT_GT(sizes[i], kBufferBytes) << "refresh " << i << " was held to the cap";
        } else if (sinceRefresh > 1) {
            EXPECT_LE(sizes[i], kBufferBytes) << "picture " << i;
            motionBytes += static_cast<double>(sizes[i]);
            ++motionPictures;
        }
    }
    EXPECT_LE(motionBytes, kCapBytesPerSecond * motionPictures / 60.0 + kBufferBytes);
    EXPECT_GT(motionBytes, kCapBytesPerSecond * motionPictures / 60.0 / 2);  // the cap binds
    // Quality gives way, but the picture is still the picture.
    receiver::Canvas source(kW, kH);
    source.Put(0, 0, kW, kH, src.data(), static_cast<size_t>(kW) * 4);
    EXPECT_GE(receiver::Psnr(canvas, 0, 0, source, 0, 0, kW, kH), 28.0);
}
