// Showing a picture file end to end: two image channels with the same
// picture share one picture-file source through the capture pool, and each
// receiver simulator's canvas shows the picture exactly (LZO).
#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <chrono>
#include <fstream>
#include <memory>

#include "tests/receiver/image/ImageReceiver.h"
#include "tests/support/TempDir.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/capture/quillet/QuilletApi.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr int kWaitMs = 20000;  // a bound for events, never waited out when all is well

// Writes the test picture as a JPEG file; returns its pixels as a JPEG
// decoder reads them back (B, G, R, X), the reference for the canvas.
std::vector<uint8_t> WritePicture(const std::string& path) {
    const std::vector<uint8_t> picture = MakeTestPicture(kW, kH);
    tjhandle tj = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(tj, picture.data(), kW, kW * 4, kH, TJPF_BGRX, &jpeg, &size, TJSAMP_444, 90, 0);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
    tjDestroy(tj);
    tj = tjInitDecompress();
    std::vector<uint8_t> decoded(static_cast<size_t>(kW) * kH * 4);
    tjDecompress2(tj, jpeg, size, decoded.data(), kW, kW * 4, kH, TJPF_BGRX, TJFLAG_ACCURATEDCT);
    tjDestroy(tj);
    tjFree(jpeg);
    return decoded;
}

bool CanvasEquals(receiver::ImageReceiver& rx, const std::vector<uint8_t>& picture) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
    while (std::chrono::steady_clock::now() < until && rx.Error().empty()) {
        const receiver::Canvas canvas = rx.CanvasCopy();
        bool equal = true;
        for (int y = 0; y < kH && equal; ++y) {
            for (int x = 0; x < kW; ++x) {
                const uint8_t* got = canvas.Row(y) + x * 4;
                const uint8_t* want = &picture[(static_cast<size_t>(y) * kW + x) * 4];
                if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
                    equal = false;
                    break;
                }
            }
        }
        if (equal) {
            return true;
        }
        rx.WaitForMessages(rx.MessageCount() + 1, 50);
    }
    return false;
}

TEST(PictureEndToEndTest, TwoChannelsShareOnePictureSource) {
    testsupport::TempDir dir;
    const std::string path = dir.File("slide.jpg");
    const std::vector<uint8_t> reference = WritePicture(path);

    receiver::ImageReceiver::Options options;
    options.width = kW;
    options.height = kH;
    receiver::ImageReceiver first(options), second(options);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(second.Start());

    FrawlPool* pool = FrawlPool::Acquire();
    int sources = 0;
    pool->SetCaptureFactory([&sources](const CaptureClientRecord& record) {
        ++sources;  // called under the pool lock
        return CreateCaptureSource(record, nullptr);
    });
    {
        IBClient a(ProcessGlobals::Get().Encoders()), b(ProcessGlobals::Get().Encoders());
        for (auto [client, rx] : {std::pair{&a, &first}, std::pair{&b, &second}}) {
            client->SetWaitHandshake(true);
            ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx->Port()}), 0);
            client->SetImageFile(std::u16string(path.begin(), path.end()));
            // The pool starts and refreshes the shared source under its lock;
            // each channel's start asks for refreshes at once.
            ASSERT_EQ(client->Start(kW, kH, 32, 0, 2, false, 1.0f, true, 0, 0), 0)
                << client->GetErrorMessage();
        }
        EXPECT_TRUE(CanvasEquals(first, reference));
        EXPECT_TRUE(CanvasEquals(second, reference));
        EXPECT_EQ(sources, 2);  // one per Open: the second replaced the first's
        a.Stop(false);
        b.Stop(false);
    }
    FrawlPool::Release();
    EXPECT_EQ(first.Error(), "");
    EXPECT_EQ(second.Error(), "");
}

TEST(PictureEndToEndTest, AnUnreadablePictureFailsTheStart) {
    testsupport::TempDir dir;
    const std::string path = dir.File("missing.jpg");
    receiver::ImageReceiver::Options options;
    options.width = kW;
    options.height = kH;
    receiver::ImageReceiver rx(options);
    ASSERT_TRUE(rx.Start());
    FrawlPool* pool = FrawlPool::Acquire();
    pool->SetCaptureFactory(
        [](const CaptureClientRecord& record) { return CreateCaptureSource(record, nullptr); });
    {
        IBClient client(ProcessGlobals::Get().Encoders());
        client.SetWaitHandshake(true);
        ASSERT_EQ(client.OpenConnect("127.0.0.1", {rx.Port()}), 0);
        client.SetImageFile(std::u16string(path.begin(), path.end()));
        EXPECT_EQ(client.Start(kW, kH, 32, 0, 4, false, 1.0f, true, 0, 0),
                  qkerr::kOpenJpegFileEngine);
        EXPECT_NE(client.GetErrorMessage().find(std::to_string(kQuilletCannotRead)),
                  std::string::npos)
            << client.GetErrorMessage();
    }
    FrawlPool::Release();
}

}  // namespace
