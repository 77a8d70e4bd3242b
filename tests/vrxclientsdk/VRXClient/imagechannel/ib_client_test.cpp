// The image channel against the receiver simulator: a scripted capture
// source feeds the pool, the channel encodes and sends, and the simulated
// receiver parses every message strictly and decodes it into its canvas.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/fake_clock.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRPClient/ErrorCodes.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"

namespace {

constexpr int kW = 320, kH = 240;
constexpr int kWaitMs = 20000;  // a bound for events, never waited out when all is well

class IBClientTest : public testing::Test {
protected:
    void SetUp() override {
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.keepPayloads = true;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ASSERT_TRUE(rx->Start());
        client = std::make_unique<IBClient>(ProcessGlobals::Get().Encoders());
        pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([this](const CaptureClientRecord&) {
            auto fake = std::make_shared<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(picture);
            source = fake;
            return std::make_unique<SharedCaptureSource>(fake);
        });
        client->SetWaitHandshake(true);
        ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx->Port()}), 0);
    }
    void TearDown() override {
        client.reset();
        platform::SetClockForTest(nullptr);  // the channel's threads are gone
        FrawlPool::Release();
        EXPECT_EQ(rx->Error(), "") << "the receiver's strict parser refused a message";
    }

    int StartWith(int fmt) { return client->Start(kW, kH, 32, 0, fmt, false, 1.0f, true, 0, 0); }

    // Waits for the three refreshes the encode thread asks for at start.
    void WaitForStartRefreshes() {
        ASSERT_TRUE(rx->WaitForMessages(3, kWaitMs)) << rx->Error();
        source->WaitIdle();
    }

    // Waits for messages until `done` holds; false after kWaitMs or an error.
    template <typename Pred>
    bool Eventually(Pred done) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (!done()) {
            if (std::chrono::steady_clock::now() > until || !rx->Error().empty()) {
                return false;
            }
            rx->WaitForMessages(rx->MessageCount() + 1, 50);
        }
        return true;
    }

    // Messages received with the given et (frame blocks, refreshes, re-sent areas).
    size_t CountEt(uint32_t et) {
        size_t n = 0;
        for (const auto& m : rx->Messages()) {
            n += m.header.et == et;
        }
        return n;
    }

    // Queues frames of incompressible pixels while the receiver does not
    // read, and returns once the socket is full: the bytes sent stop growing.
    void FillTheSocket() {
        rx->SetReading(false);
        std::vector<uint8_t> noise(kW * kH * 4);
        uint32_t seed = 7;
        for (auto& b : noise) {
            seed = seed * 1103515245u + 12345u;
            b = static_cast<uint8_t>(seed >> 24);
        }
        for (int frame = 0; frame < 100; ++frame) {  // far more than the buffers hold
            source->QueueFrame({{0, 0, kW - 1, kH - 1}}, noise);
        }
        double last = -1;
        for (int i = 0; i < 200 && client->GetBytesSent() != last; ++i) {
            last = client->GetBytesSent();
            rx->WaitForDisconnect(100);  // stays connected: a 100 ms pause
        }
    }

    bool CanvasEqualsPicture() {
        receiver::Canvas canvas = rx->CanvasCopy();
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const uint8_t* got = canvas.Row(y) + x * 4;
                const uint8_t* want = &picture[(y * kW + x) * 4];
                if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
                    return false;
                }
            }
        }
        return true;
    }

    double CanvasPsnr() {
        receiver::Canvas canvas = rx->CanvasCopy();
        receiver::Canvas reference(kW, kH);
        reference.Put(0, 0, kW, kH, picture.data(), kW * 4);
        return receiver::Psnr(canvas, 0, 0, reference, 0, 0, kW, kH);
    }

    std::vector<uint8_t> picture = MakeTestPicture(kW, kH);
    platform::FakeClock clock{5000};  // installed by tests that step time
    FakeCaptureSource::Counters counters;
    // The newest source the pool made; kept alive here after the pool let it go.
    std::shared_ptr<FakeCaptureSource> source;
    FrawlPool* pool = nullptr;
    std::unique_ptr<receiver::ImageReceiver> rx;
    std::unique_ptr<IBClient> client;
};

}  // namespace

TEST_F(IBClientTest, LzoBlocksDecodeByteExactAlsoWhenCutIntoStrips) {
    client->SetBufferSize(kW * kH * 4 / 3);  // a full frame needs three strips
    ASSERT_EQ(StartWith(2), 0) << client->GetErrorMessage();
    WaitForStartRefreshes();
    picture = MakeTestPicture(kW, kH, 3);
    source->QueueFrame({{0, 0, 63, 31}, {100, 100, 319, 239}}, picture);
    source->QueueFrame({{0, 0, kW - 1, kH - 1}}, picture);
    EXPECT_TRUE(Eventually([&] { return CanvasEqualsPicture(); }));
    for (const auto& m : rx->Messages()) {
        EXPECT_LE(m.header.rawSize, static_cast<uint32_t>(kW * kH * 4 / 3));
        EXPECT_EQ(m.header.bitsPerPixel, 32);
        EXPECT_EQ(m.header.split, 0);
    }
}

// Limits calibrated with the test picture: the whole canvas measured 37.6 dB
// at quality 85 and 43.2 dB at 100 (4:2:0 bounds the top quality).
TEST_F(IBClientTest, JpegReachesItsPsnrAtQuality85And100) {
    struct Case {
        int quality;
        double minPsnr;
    } cases[] = {{85, 35.0}, {100, 40.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality);
        client->SetJpegQuality(c.quality);
        ASSERT_EQ(StartWith(4), 0) << client->GetErrorMessage();
        WaitForStartRefreshes();
        picture = MakeTestPicture(kW, kH, c.quality);
        for (int frame = 0; frame < 6; ++frame) {
            source->QueueFrame({{0, 0, kW - 1, kH - 1}}, picture);
        }
        EXPECT_TRUE(Eventually([&] { return CanvasPsnr() >= c.minPsnr; })) << CanvasPsnr();
        client->Stop(false);
    }
}

// After the first frames (sent whole), JPEG blocks cover only what changed:
// each is coded where it lies in the captured frame, its rows a frame's width
// apart, or, with a module that lacks the stride entry, from a packed copy.
// Either way every block shows its own part of the new picture.
TEST_F(IBClientTest, JpegBlocksOfPartOfTheFrameShowTheirOwnPixels) {
    // The module source outlives every channel: the fixture drops its client last.
    struct StrideLessModules : EncoderModuleSource {
        std::unique_ptr<platform::DynamicLibrary> jpeg =
            platform::DynamicLibrary::Load("PexloWithoutStride");
        platform::DynamicLibrary* Jpeg() const override { return jpeg.get(); }
        platform::DynamicLibrary* H264() const override { return nullptr; }
        platform::DynamicLibrary* LoadH264Again() override { return nullptr; }
    };
    static StrideLessModules strideLess;
    ASSERT_NE(strideLess.jpeg, nullptr);
    ASSERT_EQ(strideLess.jpeg->Symbol(kPexloEncodeStrideEntry), nullptr);
    const std::vector<FakeCaptureSource::Rect> quarters = {{0, 0, kW / 2 - 1, kH / 2 - 1},
                                                           {kW / 2, 0, kW - 1, kH / 2 - 1},
                                                           {0, kH / 2, kW / 2 - 1, kH - 1},
                                                           {kW / 2, kH / 2, kW - 1, kH - 1}};
    for (bool stride : {true, false}) {
        SCOPED_TRACE(stride ? "the module reads rows apart" : "the module needs packed rows");
        if (!stride) {
            client = std::make_unique<IBClient>(strideLess);
            client->SetWaitHandshake(true);
            ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx->Port()}), 0);
        }
        client->SetDirtyRectRefresh(false);  // no quality-100 passes over the blocks
        ASSERT_EQ(StartWith(4), 0) << client->GetErrorMessage();
        WaitForStartRefreshes();
        for (int frame = 0; frame < 6; ++frame) {  // past the whole frames of the start
            source->QueueFrame(quarters, MakeTestPicture(kW, kH, 50 + frame));
        }
        source->WaitIdle();
        picture = MakeTestPicture(kW, kH, 90 + (stride ? 1 : 0));
        source->QueueFrame(quarters, picture);
        EXPECT_TRUE(Eventually([&] { return CanvasPsnr() >= 35.0; })) << CanvasPsnr();
        const receiver::ImageBlockHeader last = rx->Messages().back().header;
        EXPECT_EQ(last.x2 - last.x1 + 1, kW / 2);  // a quarter, not the whole frame
        client->Stop(false);
    }
}

TEST_F(IBClientTest, TheFirstH264MessageAndEachRefreshAreIdrPictures) {
    client->SetKeyFrameInterval(0);  // key frames only when asked for
    ASSERT_EQ(StartWith(7), 0) << client->GetErrorMessage();
    WaitForStartRefreshes();
    for (int frame = 1; frame <= 3; ++frame) {
        picture = MakeTestPicture(kW, kH, frame);
        source->QueueFrame({{0, 0, 31, 31}}, picture);
    }
    ASSERT_TRUE(Eventually([&] { return CountEt(FakeCaptureSource::kFrameEt) == 3; }));
    // Counted before the refresh is asked for: its message can arrive at once.
    const size_t before = rx->MessageCount();
    client->RefreshScreenImage();
    ASSERT_TRUE(rx->WaitForMessages(before + 1, kWaitMs));
    // Calibrated: the refreshed picture measured 41.5 dB.
    EXPECT_GE(CanvasPsnr(), 39.5);
    const auto messages = rx->Messages();
    ASSERT_EQ(messages.front().header.et, FakeCaptureSource::kRefreshEt);
    ASSERT_EQ(messages.back().header.et, FakeCaptureSource::kRefreshEt);
    for (const auto& m : messages) {
        const bool refresh = m.header.et == FakeCaptureSource::kRefreshEt;
        EXPECT_EQ(m.keyFrame, refresh) << "serial " << m.header.serial;
        EXPECT_EQ(m.header.x2, kW - 1);  // whole pictures
        EXPECT_EQ(m.header.y2, kH - 1);
        if (refresh) {
            auto alone = receiver::BlockDecoder::CreateH264();
            receiver::Canvas canvas(kW, kH);
            bool key = false;
            EXPECT_EQ(alone->Decode(m.header, reinterpret_cast<const uint8_t*>(m.payload.data()),
                                    canvas, &key),
                      "")
                << "a refresh decodes on its own";
        }
    }
}

TEST_F(IBClientTest, AReceiverThatNeverAcknowledgesIsNotWaitedFor) {
    rx->SetAckMode(receiver::ImageReceiver::AckMode::kNever);
    client->SetAckWaitStepForTest(1000);  // a wait would take minutes
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    for (int frame = 0; frame < 20; ++frame) {
        source->QueueFrame({{0, 0, 15, 15}});
    }
    EXPECT_TRUE(Eventually([&] { return CountEt(FakeCaptureSource::kFrameEt) == 20; }));
}

TEST_F(IBClientTest, WithheldAcknowledgementsStallEachFrameOnlyBoundedly) {
    rx->SetAckMode(receiver::ImageReceiver::AckMode::kManual);
    client->SetAckWaitStepForTest(1);  // 250 steps of 1 ms per stalled frame
    client->SetAckWindow(2);
    ASSERT_EQ(StartWith(2), 0);
    ASSERT_TRUE(rx->WaitForMessages(1, kWaitMs));
    rx->ReleaseAcks(1);  // one acknowledgement: from now on the window counts
    WaitForStartRefreshes();
    for (int frame = 0; frame < 10; ++frame) {
        source->QueueFrame({{0, 0, 15, 15}});
    }
    EXPECT_TRUE(Eventually([&] { return CountEt(FakeCaptureSource::kFrameEt) == 10; }));
    EXPECT_GE(rx->WithheldAcks(), 10u);
}

TEST_F(IBClientTest, StopReturnsPromptlyWhenTheReceiverStoppedReading) {
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    FillTheSocket();
    const auto begin = std::chrono::steady_clock::now();
    client->Stop(false);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_LT(took, std::chrono::seconds(5));  // not the 30 s send limit
    EXPECT_EQ(client->GetState(), 0);
    rx->SetReading(true);
}

TEST_F(IBClientTest, SixteenBitLzoBlocksOfOddWidthDecodeExactly) {
    struct Case {
        const char* name;
        bool rgb565;
    } cases[] = {{"5-6-5", true}, {"5-5-5", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The receiver must read the words as the sender wrote them.
        client.reset();
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        options.rgb565 = c.rgb565;
        rx = std::make_unique<receiver::ImageReceiver>(options);
        ASSERT_TRUE(rx->Start());
        client = std::make_unique<IBClient>(ProcessGlobals::Get().Encoders());
        ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx->Port()}), 0);
        client->Set16BitRGB(c.rgb565);
        ASSERT_EQ(client->Start(kW, kH, 16, 0, 2, false, 1.0f, true, 0, 0), 0)
            << client->GetErrorMessage();
        source->QueueFrame({{3, 5, 107, 66}, {200, 101, 318, 238}});  // widths 105 and 119
        // Expected: the picture through the 16-bit format and back.
        std::vector<uint8_t> words(kW * kH * 2), wide(kW * kH * 4);
        IMAGE_BLOCK whole;
        whole.pBits = picture.data();
        whole.stride = kW * 4;
        whole.frameRows = kH;
        whole.sourceFormat = COLOR_FORMAT_BGRX;
        whole.colorFormat = c.rgb565 ? COLOR_FORMAT_RGB565 : COLOR_FORMAT_RGB555;
        whole.x2 = kW - 1;
        whole.y2 = kH - 1;
        IBMask(words.data(), &whole);
        whole.pBits = words.data();
        whole.stride = kW * 2;
        whole.sourceFormat = whole.colorFormat;
        whole.colorFormat = COLOR_FORMAT_BGRX;
        IBMask(wide.data(), &whole);
        std::vector<uint8_t> original = picture;
        picture = wide;
        EXPECT_TRUE(Eventually([&] { return CanvasEqualsPicture(); }));
        for (const auto& m : rx->Messages()) {
            EXPECT_EQ(m.header.bitsPerPixel, 16);
        }
        picture = original;
        EXPECT_EQ(rx->Error(), "");
    }
}

TEST_F(IBClientTest, BlackFramesOfACapturedWindowAreSkipped) {
    client->SetWindowCapture(0x2a00001, false);
    std::vector<uint8_t> black(kW * kH * 4, 0);
    picture = black;
    pool->SetCaptureFactory([&](const CaptureClientRecord&) {
        auto fake = std::make_shared<FakeCaptureSource>(counters, kW, kH);
        fake->SetPicture(black);
        source = fake;
        return std::make_unique<SharedCaptureSource>(fake);
    });
    ASSERT_EQ(StartWith(2), 0);
    for (int frame = 0; frame < 5; ++frame) {
        source->QueueFrame({{0, 0, 63, 63}});
    }
    source->WaitIdle();
    EXPECT_EQ(rx->MessageCount(), 0u);  // refreshes and frames alike
    picture = MakeTestPicture(kW, kH, 1);
    source->QueueFrame({{0, 0, kW - 1, kH - 1}}, picture);
    EXPECT_TRUE(Eventually([&] { return CanvasEqualsPicture(); }));
}

TEST_F(IBClientTest, JpegWidensTheFirstFiveFramesThenSendsBlocksAtTheirOwnSize) {
    client->SetDirtyRectRefresh(false);  // every message is then one whole frame
    ASSERT_EQ(StartWith(4), 0);
    for (int frame = 0; frame < 8; ++frame) {
        source->QueueFrame({{20, 5, 40, 9}});
    }
    ASSERT_TRUE(Eventually([&] { return CountEt(FakeCaptureSource::kFrameEt) == 8; }));
    // Refresh frames count as frames too: the n-th message completes frame n.
    const auto messages = rx->Messages();
    for (size_t i = 0; i < messages.size(); ++i) {
        const receiver::ImageBlockHeader& h = messages[i].header;
        if (h.et != FakeCaptureSource::kFrameEt) {
            continue;
        }
        SCOPED_TRACE(testing::Message() << "frame " << i + 1);
        const bool widened = i + 1 < 5;
        EXPECT_EQ(h.x1, widened ? 0 : 16);  // else aligned to the 16-pixel grid
        EXPECT_EQ(h.y1, 0);
        EXPECT_EQ(h.x2, widened ? kW - 1 : 47);
        EXPECT_EQ(h.y2, widened ? kH - 1 : 15);
    }
}

TEST_F(IBClientTest, AreasSentBelowQuality100ComeBackOnceWhenRefreshIsOn) {
    for (bool on : {true, false}) {
        SCOPED_TRACE(on ? "dirty-rectangle refresh on" : "off");
        platform::SetClockForTest(&clock);
        client->SetDirtyRectRefresh(on);
        const size_t base = rx->MessageCount();
        // Messages of this round with the given et.
        auto count = [&](uint32_t et) {
            const auto messages = rx->Messages();
            size_t n = 0;
            for (size_t i = base; i < messages.size(); ++i) {
                n += messages[i].header.et == et;
            }
            return n;
        };
        const int refreshesBefore = counters.refreshFrames.load();
        ASSERT_EQ(StartWith(4), 0);
        // Let the start-up refreshes (sent at quality 100) pass first, so
        // that none of them covers the areas below.
        ASSERT_TRUE(Eventually([&] { return count(FakeCaptureSource::kRefreshEt) >= 3; }));
        source->WaitIdle();
        ASSERT_TRUE(Eventually([&] {
            return count(FakeCaptureSource::kRefreshEt) ==
                   static_cast<size_t>(counters.refreshFrames.load() - refreshesBefore);
        }));
        for (int frame = 0; frame < 6; ++frame) {   // past the widened first frames
            source->QueueFrame({{0, 0, 127, 95}});  // 12288 pixels: quality 85
        }
        ASSERT_TRUE(Eventually([&] { return count(FakeCaptureSource::kFrameEt) == 6; }));
        EXPECT_EQ(count(0), 0u);  // re-sent areas carry et 0; nothing is old yet
        clock.Advance(1200);
        source->QueueFrame({{200, 200, 215, 215}});
        ASSERT_TRUE(Eventually([&] { return count(FakeCaptureSource::kFrameEt) == 7; }));
        if (on) {
            EXPECT_TRUE(Eventually([&] { return count(0) > 0; }));
        }
        const size_t resent = count(0);
        clock.Advance(1200);
        source->QueueFrame({{200, 200, 215, 215}});
        ASSERT_TRUE(Eventually([&] { return count(FakeCaptureSource::kFrameEt) == 8; }));
        source->QueueFrame({{200, 200, 215, 215}});
        ASSERT_TRUE(Eventually([&] { return count(FakeCaptureSource::kFrameEt) == 9; }));
        if (on) {
            EXPECT_GT(resent, 0u);
        } else {
            EXPECT_EQ(resent, 0u);
        }
        // Areas sent at 100 since are not sent again.
        EXPECT_LE(count(0), resent + 1);
        client->Stop(false);
    }
}

TEST_F(IBClientTest, AMessageThatCannotGoOutFor30SecondsEndsTheConnectionBehindIt) {
    platform::SetClockForTest(&clock);
    client->SetAckWindow(0);  // no pacing: fill the socket at once
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    FillTheSocket();
    EXPECT_NE(client->GetErrorCode(), qkerr::kSendImageBlock);
    // Time moves on in 30 s steps until a blocked send gives up.
    EXPECT_TRUE(Eventually([&] {
        clock.Advance(30000);
        return client->GetErrorCode() == qkerr::kSendImageBlock || client->GetState() == 200;
    }));
    // The message went out in part: nothing may follow it, so the connection
    // ends through the loss path, and the receiver reads a stream that
    // parses up to the end.
    rx->SetReading(true);
    EXPECT_TRUE(rx->WaitForDisconnect(kWaitMs));
    EXPECT_TRUE(Eventually([&] { return client->GetState() == 200; }));
    EXPECT_EQ(rx->Error(), "");
}

TEST_F(IBClientTest, AStopInTheMiddleOfAMessageNeverLetsOtherBytesFollowIt) {
    client->SetAckWindow(0);
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    FillTheSocket();  // the receiver reads nothing: the message in progress cannot finish
    client->Stop(false);
    rx->SetReading(true);
    if (client->GetState() == 200) {
        // The cut message went with its connection: a new one carries on.
        ASSERT_TRUE(rx->WaitForDisconnect(kWaitMs));
        ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx->Port()}), 0);
    }
    const size_t before = rx->MessageCount();
    ASSERT_EQ(StartWith(2), 0);
    EXPECT_TRUE(Eventually([&] { return rx->MessageCount() >= before + 3; }));
    EXPECT_EQ(rx->Error(), "");
    EXPECT_EQ(rx->Connections(), 2u);
    client->Stop(false);
}

TEST_F(IBClientTest, AGracefulStopDrainsTheQueuedMessagesOrDropsTheConnection) {
    client->SetAckWindow(0);
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    // A reading receiver takes everything: the connection is kept.
    client->Stop(true);
    EXPECT_EQ(client->GetState(), 0);

    // One that reads nothing cannot: what is queued goes with the
    // connection, so that no old picture reaches the next projection.
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    FillTheSocket();
    client->Stop(true);
    EXPECT_EQ(client->GetState(), 200);
    rx->SetReading(true);
    EXPECT_TRUE(rx->WaitForDisconnect(kWaitMs));
    EXPECT_EQ(rx->Error(), "");
}

TEST_F(IBClientTest, TheSendBufferIsThreeMegabytesAsTheSystemReportsIt) {
    // The system caps what a program may ask for; below the cap the buffer
    // must be exactly the channel's, not twice it.
    std::ifstream limitFile("/proc/sys/net/core/wmem_max");
    int limit = 0;
    if (!(limitFile >> limit) || limit < 0x300000 / 2) {
        GTEST_SKIP() << "the system's send buffer limit is below the channel's buffer";
    }
    EXPECT_EQ(client->GetSendBufferBytes(), 0x300000);
}

TEST_F(IBClientTest, TheTestsSourceStaysUsableAfterThePoolDroppedIt) {
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    client->Stop(false);  // the pool closes and frees its capture object
    source->QueueFrame({{0, 0, 15, 15}});
    source->WaitIdle();
    EXPECT_EQ(source->GetStatus(), STATUS_STOPPED);
}

TEST_F(IBClientTest, StartFailuresCarryTheirCodes) {
    struct Case {
        const char* name;
        int devw, fmt;
        bool failOpen, failStart, imageFile;
        int frameWidth;  // 0: the output width
        int code;
    } cases[] = {
        {"empty receiver picture", 0, 2, false, false, false, 0, qkerr::kOpenCapture},
        {"capture cannot open", kW, 2, true, false, false, 0, qkerr::kOpenCapture},
        {"picture file cannot open", kW, 2, true, false, true, 0, qkerr::kOpenJpegFileEngine},
        {"capture cannot start", kW, 2, false, true, false, 0, qkerr::kStartCapture},
        {"H.264 frame buffer wider than the output", kW, 7, false, false, false, kW + 16,
         qkerr::kOpenCapture},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pool->SetCaptureFactory([&](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH, c.frameWidth);
            if (c.failOpen) {
                fake->FailOpen(-3);
            }
            if (c.failStart) {
                fake->FailStart();
            }
            return fake;
        });
        client->SetImageFile(c.imageFile ? u"/pictures/a.jpg" : u"");
        EXPECT_EQ(client->Start(c.devw, kH, 32, 0, c.fmt, false, 1.0f, true, 0, 0), c.code);
        EXPECT_EQ(client->GetErrorCode(), c.code);
        EXPECT_EQ(client->GetState(), 0);
    }
}

TEST_F(IBClientTest, APausedChannelSendsOnlyTheRefreshItAskedFor) {
    ASSERT_EQ(StartWith(2), 0);
    WaitForStartRefreshes();
    client->Pause();
    EXPECT_EQ(client->GetState(), 2);
    const size_t before = rx->MessageCount();
    for (int frame = 0; frame < 3; ++frame) {
        source->QueueFrame({{0, 0, 15, 15}});
    }
    source->WaitIdle();
    client->RefreshScreenImage();
    ASSERT_TRUE(rx->WaitForMessages(before + 1, kWaitMs));
    source->WaitIdle();
    const auto messages = rx->Messages();
    for (size_t i = before; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].header.et, FakeCaptureSource::kRefreshEt);
    }
}

TEST_F(IBClientTest, NoSocketMeansState200) {
    IBClient unconnected(ProcessGlobals::Get().Encoders());
    EXPECT_EQ(unconnected.GetState(), 200);
}

TEST_F(IBClientTest, StartStopAndDestroyUnderContinuousDelivery) {
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_EQ(StartWith(round % 2 ? 4 : 2), 0) << client->GetErrorMessage();
        for (int frame = 0; frame < 5; ++frame) {
            source->QueueFrame({{0, 0, 63, 63}, {64, 64, 127, 127}});
        }
        if (round == 4) {
            client.reset();  // destroyed while blocks are in delivery
            break;
        }
        client->Stop(round % 2 == 0);
    }
}
