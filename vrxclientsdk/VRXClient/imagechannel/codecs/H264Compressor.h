// One x264 encoder tuned for screen mirroring: zero latency (no look-ahead,
// no B-frames, one access unit per picture), Annex-B output with parameter
// sets before every IDR picture, IDR pictures only when asked for, one thread,
// and the rate cap of VemrinApi.h.
// Used only inside the "Vemrin" module, behind its C entries. One object
// serves one thread at a time; quality changes happen on that thread.
#pragma once

// x264.h needs the fixed-width integer types declared first.
#include <stdint.h>

#include <x264.h>

#include <memory>

class H264Compressor {
public:
    // nullptr when the size is not even and positive or x264 refuses it.
    static std::unique_ptr<H264Compressor> Create(int width, int height, int quality);
    ~H264Compressor();

    // See H264EncodeExFn.
    int Encode(const unsigned char* pixels, unsigned char* out, unsigned long* outLength,
               int* frameType);
    // See VemrinEncodeI420Fn.
    int EncodeI420(const unsigned char* planes, unsigned char* out, unsigned long* outLength,
                   int* frameType);
    // See H264EncodeReconfigQualityFn.
    int SetQuality(int quality);

    // The constant rate factor used for a quality 1..100.
    static float RateFactor(int quality);
    // The rate cap for width x height pictures, kbit/s, and its buffer
    // (kVemrinBufferPictures picture times), kbit.
    static int MaxBitRateKbit(int width, int height);
    static int BufferKbit(int width, int height);

    // PSNR measurement, see VemrinMeasurePsnrFn.
    static void MeasurePsnr(bool on);
    static void MeasuredPsnr(double* psnr, long long* pictures);

private:
    struct EncoderDeleter {
        void operator()(x264_t* e) const { x264_encoder_close(e); }
    };
    H264Compressor(int width, int height) : m_width(width), m_height(height) {}
    // Opens x264 at m_quality with the wide buffer of an exempt picture.
    bool OpenEncoder();
    // Codes `picture` (its planes filled in).
    int EncodePicture(x264_picture_t& picture, unsigned char* out, unsigned long* outLength,
                      int* frameType);
    // Sets the rate factor and the buffer (the capped one, or the wide one).
    int Reconfigure(int quality, bool capped);
    void TallyPsnr(const x264_picture_t& coded);

    int m_width;
    int m_height;
    std::unique_ptr<x264_t, EncoderDeleter> m_encoder;
    x264_picture_t m_picture{};  // planes allocated once by x264_picture_alloc
    bool m_pictureAllocated = false;
    int64_t m_pts = 0;
    int m_quality = 0;
    bool m_measure = false;  // x264 computes each picture's PSNR
    bool m_capped = false;   // the buffer is the capped one, not the wide one
};
