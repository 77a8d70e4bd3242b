// The image channel's encode path, one 1920 x 1080 frame at a time: the copy
// out of the captured frame (IBMask), each coding, and the message framing.
// Run: <build>/bin/image_encode_bench
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/dynload.h"
#include "vrxclientsdk/VRXClient/capture/FrameBufferBase.h"
#include "vrxclientsdk/VRXClient/imagechannel/ImageBlockMessage.h"
#include "vrxclientsdk/VRXClient/imagechannel/LzoCompressor.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

namespace {

constexpr int kW = 1920, kH = 1080;

// A desktop-like frame: gradient, a window with text strokes, a noisy patch.
std::vector<uint8_t> Frame(int phase) {
    std::vector<uint8_t> px(size_t(kW) * kH * 4);
    uint32_t seed = 99;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = &px[(size_t(y) * kW + x) * 4];
            int b = x * 255 / kW, g = y * 255 / kH, r = 90;
            if ((x + phase * 16) % kW > 200 && (x + phase * 16) % kW < 700 && y > 100 && y < 500) {
                b = g = r = (y % 14 < 2 && x % 6 < 4) ? 30 : 235;
            }
            if (x > 900 && y > 450) {
                seed = seed * 1103515245u + 12345u;
                const int n = int((seed >> 16) & 31) - 16;
                b = 120 + n, g = 110 + n, r = 70 + n;
            }
            p[0] = uint8_t(b), p[1] = uint8_t(g), p[2] = uint8_t(r), p[3] = 0;
        }
    }
    return px;
}

IMAGE_BLOCK WholeFrame(std::vector<uint8_t>& frame, uint32_t format) {
    IMAGE_BLOCK b;
    b.pBits = frame.data();
    b.stride = kW * 4;
    b.frameRows = kH;
    b.sourceFormat = COLOR_FORMAT_BGRX;
    b.colorFormat = format;
    b.x2 = kW - 1;
    b.y2 = kH - 1;
    return b;
}

void BM_IBMaskCopy(benchmark::State& state) {
    std::vector<uint8_t> frame = Frame(0);
    std::vector<uint8_t> out(frame.size());
    IMAGE_BLOCK b = WholeFrame(frame, static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(IBMask(out.data(), &b));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_IBMaskCopy)->Arg(COLOR_FORMAT_JPEG)->Arg(COLOR_FORMAT_BGRA)->Arg(COLOR_FORMAT_RGB565);

void BM_LzoFrame(benchmark::State& state) {
    std::vector<uint8_t> frame = Frame(0);
    auto lzo = LzoCompressor::Create();
    ImageBlockMessage message;
    message.Reserve(LzoCompressor::Bound(frame.size()));
    long n = 0;
    for (auto _ : state) {
        n = lzo->Compress(frame.data(), frame.size(), message.EncodedArea(),
                          message.EncodedCapacity());
        message.Finish(ImageBlockFields{}, static_cast<uint32_t>(n));
    }
    state.counters["ratio"] = double(frame.size()) / double(n);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
}
BENCHMARK(BM_LzoFrame);

void BM_JpegFrame(benchmark::State& state) {
    auto module = platform::DynamicLibrary::Load(kPexloModuleName);
    if (!module) {
        state.SkipWithError("Pexlo not found");
        return;
    }
    auto init = module->Entry<PexloInitFn>(kPexloInitEntry);
    auto encode = module->Entry<PexloEncodeFn>(kPexloEncodeEntry);
    auto close = module->Entry<PexloCloseFn>(kPexloCloseEntry);
    void* handle = init();
    std::vector<uint8_t> frame = Frame(0);
    std::vector<uint8_t> out(frame.size());
    unsigned long length = 0;
    for (auto _ : state) {
        length = out.size();
        encode(handle, out.data(), &length, frame.data(), kW, kH, kPexloPixelBits,
               static_cast<int>(state.range(0)), kPexloSubsample420);
    }
    state.counters["bytes"] = double(length);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size()));
    close(handle);
}
BENCHMARK(BM_JpegFrame)->Arg(85)->Arg(100);

void BM_H264Frame(benchmark::State& state) {
    auto module = platform::DynamicLibrary::Load(kVemrinModuleName);
    if (!module) {
        state.SkipWithError("Vemrin not found");
        return;
    }
    auto init = module->Entry<H264EncodeInitFn>(kH264EncodeInitEntry);
    auto encode = module->Entry<H264EncodeExFn>(kH264EncodeExEntry);
    auto close = module->Entry<H264EncodeCloseFn>(kH264EncodeCloseEntry);
    void* handle = nullptr;
    init(&handle, kW, kH, 85);
    std::vector<std::vector<uint8_t>> frames = {Frame(0), Frame(1)};
    std::vector<uint8_t> out(frames[0].size());
    size_t i = 0;
    unsigned long length = 0;
    for (auto _ : state) {
        length = out.size();
        int type = kVemrinAnyFrame;
        encode(handle, frames[i++ % 2].data(), out.data(), &length, &type);
    }
    state.counters["bytes"] = double(length);
    close(handle);
}
BENCHMARK(BM_H264Frame);

}  // namespace
