// Shows that the image channel allocates nothing per block in steady state:
// a counting operator new records allocations made on the channel's encode
// thread and on the capture thread (which runs the pool's fan-out and the
// channel's capture callback) while frames stream.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>

#include "tests/receiver/image/ImageReceiver.h"
#include "tests/vrxclientsdk/VRXClient/fake_capture_source.h"
#include "tests/vrxclientsdk/VRXClient/test_picture.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"
#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

// The replacement operators below pair malloc with free on purpose; GCC
// cannot see that once they are inlined into callers.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<int> g_allocations{0};

void CountIfWatched() {
    if (!g_counting.load(std::memory_order_relaxed)) {
        return;
    }
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    if (std::strcmp(name, "ib-encode") == 0 || std::strcmp(name, "fake-capture") == 0) {
        g_allocations.fetch_add(1);
    }
}

}  // namespace

void* operator new(std::size_t size) {
    CountIfWatched();
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    CountIfWatched();
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new(std::size_t size, std::align_val_t align) {
    CountIfWatched();
    const std::size_t a = static_cast<std::size_t>(align);
    if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return operator new(size, align);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

TEST(IBClientAllocationTest, SteadyStateAllocatesNothingPerBlock) {
    constexpr int kW = 320, kH = 240;
    struct Case {
        const char* name;
        int fmt;
    } cases[] = {{"LZO", 2}, {"JPEG", 4}, {"H.264", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        receiver::ImageReceiver::Options options;
        options.width = kW;
        options.height = kH;
        receiver::ImageReceiver rx(options);
        ASSERT_TRUE(rx.Start());
        FakeCaptureSource::Counters counters;
        FakeCaptureSource* source = nullptr;
        auto client = std::make_unique<IBClient>(ProcessGlobals::Get().Encoders());
        FrawlPool* pool = FrawlPool::Acquire();
        pool->SetCaptureFactory([&](const CaptureClientRecord&) {
            auto fake = std::make_unique<FakeCaptureSource>(counters, kW, kH);
            fake->SetPicture(MakeTestPicture(kW, kH));
            source = fake.get();
            return fake;
        });
        ASSERT_EQ(client->OpenConnect("127.0.0.1", {rx.Port()}), 0);
        ASSERT_EQ(client->Start(kW, kH, 32, 0, c.fmt, false, 1.0f, true, 0, 0), 0);
        // Warm up: the first frames size every buffer.
        for (int i = 0; i < 8; ++i) {
            source->QueueFrame({{0, 0, 63, 63}, {64, 64, 191, 127}, {0, 128, kW - 1, kH - 1}});
        }
        source->WaitIdle();
        ASSERT_TRUE(rx.WaitForMessages(10, 20000));
        const size_t warm = rx.MessageCount();
        const int frames = 20;
        for (int i = 0; i < frames; ++i) {
            source->QueueFrame({{0, 0, 63, 63}, {64, 64, 191, 127}, {0, 128, kW - 1, kH - 1}});
        }
        g_allocations = 0;
        g_counting = true;
        source->WaitIdle();
        const bool arrived = rx.WaitForMessages(warm + (c.fmt == 7 ? frames : frames * 3), 20000);
        g_counting = false;
        EXPECT_TRUE(arrived) << rx.Error();
        EXPECT_EQ(g_allocations.load(), 0);
        client.reset();
        FrawlPool::Release();
        EXPECT_EQ(rx.Error(), "");
    }
}
