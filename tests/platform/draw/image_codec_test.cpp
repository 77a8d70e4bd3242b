#include <gtest/gtest.h>
#include <turbojpeg.h>
#include <zlib.h>

#include <climits>
#include <cstring>

#include "platform/byte_order.h"
#include "platform/draw/bmp_codec.h"
#include "platform/draw/image_decoder.h"
#include "platform/draw/jpeg_decoder.h"
#include "platform/draw/painter.h"
#include "platform/draw/png_codec.h"

namespace platform {
namespace {

// A small picture with distinct colours, an odd width (row padding) and,
// for PNG, a transparent and a half-transparent pixel.
std::unique_ptr<Surface> TestPicture(bool withAlpha) {
    auto s = Surface::Create(5, 3);
    {
        Painter p(*s);
        p.FillRect({0, 0, 5, 3}, Argb(0xFF204060));
        p.FillRect({0, 0, 1, 1}, Argb(0xFFFF0000));
        p.FillRect({4, 0, 5, 1}, Argb(0xFF00FF00));
        p.FillRect({0, 2, 1, 3}, Argb(0xFF0000FF));
        p.FillRect({4, 2, 5, 3}, kMagentaKey);
    }
    if (withAlpha) {
        uint32_t* row0 = s->MutablePixels();
        row0[1] = PremultiplyArgb(Argb(0x80FF0000));
        row0[2] = 0;
        s->MarkDirty();
    }
    return s;
}

void ExpectSamePixels(const Surface& want, const Surface& got, int tolerance = 0) {
    ASSERT_EQ(got.Width(), want.Width());
    ASSERT_EQ(got.Height(), want.Height());
    for (int y = 0; y < want.Height(); ++y) {
        for (int x = 0; x < want.Width(); ++x) {
            const Argb a = want.PixelAt(x, y);
            const Argb b = got.PixelAt(x, y);
            SCOPED_TRACE(testing::Message() << "pixel " << x << "," << y << " want " << std::hex
                                            << a.value << " got " << b.value);
            EXPECT_EQ(a.Alpha(), b.Alpha());
            EXPECT_NEAR(a.Red(), b.Red(), tolerance);
            EXPECT_NEAR(a.Green(), b.Green(), tolerance);
            EXPECT_NEAR(a.Blue(), b.Blue(), tolerance);
        }
    }
}

std::vector<uint8_t> EncodeTestPng(const Surface& s) {
    std::vector<uint8_t> png;
    std::string reason;
    EXPECT_TRUE(EncodePng(s, &png, &reason)) << reason;
    return png;
}

// A JPEG made by the real encoder: quality 95, no chroma subsampling.
std::vector<uint8_t> EncodeTestJpeg(const Surface& s) {
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int rc =
        tjCompress2(tj, reinterpret_cast<const unsigned char*>(s.ConstPixels()), s.Width(),
                    s.Stride(), s.Height(), TJPF_BGRA, &out, &size, TJSAMP_444, 95, 0);
    EXPECT_EQ(rc, 0) << tjGetErrorStr2(tj);
    std::vector<uint8_t> jpeg(out, out + size);
    tjFree(out);
    tjDestroy(tj);
    return jpeg;
}

std::unique_ptr<Surface> SolidPicture(int w, int h, Argb colour) {
    auto s = Surface::Create(w, h);
    s->Clear(colour);
    return s;
}

// A valid PNG whose header announces another size (with a correct CRC, so
// the size check itself is what rejects it).
std::vector<uint8_t> PngWithSize(uint32_t w, uint32_t h) {
    auto png = EncodeTestPng(*SolidPicture(2, 2, Argb(0xFF112233)));
    // Signature (8), IHDR length (4), "IHDR" (4), then width and height.
    platform::PutU32BE(png.data() + 16, w);
    platform::PutU32BE(png.data() + 20, h);
    platform::PutU32BE(png.data() + 29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

std::vector<uint8_t> JpegWithSize(uint16_t w, uint16_t h) {
    auto jpeg = EncodeTestJpeg(*SolidPicture(8, 8, Argb(0xFF808080)));
    for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // baseline frame header
            jpeg[i + 5] = h >> 8;
            jpeg[i + 6] = h & 0xFF;
            jpeg[i + 7] = w >> 8;
            jpeg[i + 8] = w & 0xFF;
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header in the test JPEG";
    return jpeg;
}

std::vector<uint8_t> TestBmp(BmpLayout layout = {}) {
    std::vector<uint8_t> bmp;
    EncodeBmp(*TestPicture(false), layout, &bmp);
    return bmp;
}

TEST(ImageCodecTest, PngRoundTripKeepsEveryPixelAndAlpha) {
    auto picture = TestPicture(true);
    ASSERT_EQ(picture->PixelAt(2, 0), Argb(0));
    const auto png = EncodeTestPng(*picture);
    std::string reason;
    auto image = DecodeImage(png, &reason);
    ASSERT_NE(image, nullptr) << reason;
    EXPECT_EQ(image->Format(), ImageFormat::kPng);
    EXPECT_FALSE(image->TakesColourKey());
    ExpectSamePixels(*picture, image->Pixels());

    // A half-transparent pixel comes back premultiplied as it went in.
    auto half = SolidPicture(1, 1, Argb(0x80FF0000));
    auto back = DecodePng(EncodeTestPng(*half), &reason);
    ASSERT_NE(back, nullptr) << reason;
    EXPECT_EQ(back->Pixels().PixelAt(0, 0), Argb(0x80FF0000));
}

TEST(ImageCodecTest, BmpRoundTripInEveryLayout) {
    const BmpLayout layouts[] = {{24, false}, {24, true}, {32, false}, {32, true}};
    auto picture = TestPicture(false);
    for (const BmpLayout& layout : layouts) {
        SCOPED_TRACE(testing::Message() << layout.bitsPerPixel << " bits, "
                                        << (layout.topDown ? "top-down" : "bottom-up"));
        std::string reason;
        auto image = DecodeImage(TestBmp(layout), &reason);
        ASSERT_NE(image, nullptr) << reason;
        EXPECT_EQ(image->Format(), ImageFormat::kBmp);
        EXPECT_TRUE(image->TakesColourKey());
        ExpectSamePixels(*picture, image->Pixels());
    }
}

TEST(ImageCodecTest, Bmp32IgnoresTheAlphaByte) {
    auto bmp = TestBmp({32, true});
    for (size_t i = 54 + 3; i < bmp.size(); i += 4)
        bmp[i] = 0;  // every alpha byte zero: still an opaque bitmap
    std::string reason;
    auto image = DecodeBmp(bmp, &reason);
    ASSERT_NE(image, nullptr) << reason;
    ExpectSamePixels(*TestPicture(false), image->Pixels());
}

TEST(ImageCodecTest, JpegDecodesWhatTheRealEncoderWrote) {
    auto picture = Surface::Create(32, 16);
    Painter p(*picture);
    p.FillRect({0, 0, 16, 16}, Argb(0xFFC03020));
    p.FillRect({16, 0, 32, 16}, Argb(0xFF2080E0));
    std::string reason;
    auto image = DecodeImage(EncodeTestJpeg(*picture), &reason);
    ASSERT_NE(image, nullptr) << reason;
    EXPECT_EQ(image->Format(), ImageFormat::kJpeg);
    // Flat 8 x 8 blocks survive quality 95 almost unchanged.
    ExpectSamePixels(*picture, image->Pixels(), 4);
}

TEST(ImageCodecTest, HostileFilesAreRejectedWithAReason) {
    auto bmp = TestBmp();
    auto truncatedBmp = bmp;
    truncatedBmp.resize(bmp.size() - 1);
    auto hugeBmp = bmp;
    platform::PutU32LE(hugeBmp.data() + 18, 100000);
    platform::PutU32LE(hugeBmp.data() + 22, 100000);
    auto minHeightBmp = bmp;
    platform::PutU32LE(minHeightBmp.data() + 22, static_cast<uint32_t>(INT_MIN));
    auto zeroWidthBmp = bmp;
    platform::PutU32LE(zeroWidthBmp.data() + 18, 0);
    auto paletteBmp = bmp;
    paletteBmp[28] = 8;
    auto rleBmp = bmp;
    platform::PutU32LE(rleBmp.data() + 30, 1);
    auto bigHeaderBmp = bmp;
    platform::PutU32LE(bigHeaderBmp.data() + 14, 0x7FFFFFF0);
    auto farDataBmp = bmp;
    platform::PutU32LE(farDataBmp.data() + 10, 0xFFFFFFF0);
    auto fieldsBmp = TestBmp({32, false});
    platform::PutU32LE(fieldsBmp.data() + 30, 3);  // bit fields, but the masks are pixel bytes

    auto png = EncodeTestPng(*TestPicture(true));
    auto truncatedPng = png;
    truncatedPng.resize(png.size() / 2);
    auto damagedPng = png;
    damagedPng[png.size() / 2] ^= 0x5A;  // breaks the data chunk's CRC

    auto jpeg = EncodeTestJpeg(*SolidPicture(64, 64, Argb(0xFF336699)));
    auto truncatedJpeg = jpeg;
    truncatedJpeg.resize(jpeg.size() / 2);
    std::vector<uint8_t> noiseJpeg = {0xFF, 0xD8, 0xFF, 0x00, 0x00, 0x13, 0x37};

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"empty", {}, "not a PNG, BMP or JPEG"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "not a PNG, BMP or JPEG"},
        {"BMP header only", {bmp.begin(), bmp.begin() + 20}, "shorter than its headers"},
        {"BMP one byte short", truncatedBmp, "run past the end"},
        {"BMP 100000 x 100000", hugeBmp, "beyond the limits"},
        {"BMP height INT_MIN", minHeightBmp, "beyond the limits"},
        {"BMP zero width", zeroWidthBmp, "beyond the limits"},
        {"BMP 8 bits", paletteBmp, "not supported"},
        {"BMP RLE", rleBmp, "compressed"},
        {"BMP huge info header", bigHeaderBmp, "does not fit"},
        {"BMP data offset past the end", farDataBmp, "run past the end"},
        {"BMP odd bit-field masks", fieldsBmp, "masks"},
        {"PNG truncated", truncatedPng, "truncated PNG"},
        {"PNG damaged", damagedPng, "PNG"},
        {"PNG 20000 x 1", PngWithSize(20000, 1), "beyond the limits"},
        {"PNG 10000 x 10000", PngWithSize(10000, 10000), "beyond the limits"},
        {"JPEG truncated", truncatedJpeg, "damaged JPEG"},
        {"JPEG noise", noiseJpeg, "damaged JPEG"},
        {"JPEG 65000 x 65000", JpegWithSize(65000, 65000), "beyond the limits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string reason;
        EXPECT_EQ(DecodeImage(c.bytes, &reason), nullptr);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << "reason: " << reason;
    }
}

TEST(ImageCodecTest, EveryTruncationOfAValidFileIsRejected) {
    const std::vector<uint8_t> files[] = {TestBmp(), EncodeTestPng(*TestPicture(true)),
                                          EncodeTestJpeg(*SolidPicture(16, 16, Argb(0xFF445566)))};
    for (const auto& file : files) {
        for (size_t len = 0; len < file.size(); ++len) {
            SCOPED_TRACE(testing::Message()
                         << "first " << len << " of " << file.size() << " bytes");
            std::string reason;
            EXPECT_EQ(DecodeImage(std::span(file.data(), len), &reason), nullptr);
            EXPECT_FALSE(reason.empty());
        }
        EXPECT_NE(DecodeImage(file, nullptr), nullptr);
    }
}

TEST(ImageCodecTest, FlippedBytesNeverCrashTheDecoders) {
    const std::vector<uint8_t> files[] = {TestBmp(), EncodeTestPng(*TestPicture(true)),
                                          EncodeTestJpeg(*SolidPicture(16, 16, Argb(0xFF445566)))};
    for (const auto& file : files) {
        for (size_t at = 0; at < file.size(); ++at) {
            auto damaged = file;
            damaged[at] ^= 0xFF;
            std::string reason;
            auto image = DecodeImage(damaged, &reason);
            // Either a picture of the right kind or a reason; never both, never a crash.
            EXPECT_EQ(image == nullptr, !reason.empty()) << "byte " << at;
        }
    }
}

}  // namespace
}  // namespace platform
