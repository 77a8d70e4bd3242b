// B, G, R, A rows to the three planes of 4:2:0 H.264 input: BT.601
// limited range in 8-bit fixed point (the coefficients scaled by 256), the
// matrix decoders assume when the stream carries no colour description;
// chroma from the average of each 2 x 2 square. Eight pixels at a time with
// SSE2 where the compiler offers it, the same arithmetic one pixel at a time
// for the rest: both give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bgra_to_i420 {

inline uint8_t Luma(int b, int g, int r) {
    return static_cast<uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}

// From the sums of four pixels: the 1/4 is inside the fixed-point shift.
inline uint8_t ChromaU(int b4, int g4, int r4) {
    return static_cast<uint8_t>(((-38 * r4 - 74 * g4 + 112 * b4 + 512) >> 10) + 128);
}
inline uint8_t ChromaV(int b4, int g4, int r4) {
    return static_cast<uint8_t>(((112 * r4 - 94 * g4 - 18 * b4 + 512) >> 10) + 128);
}

// Columns [from, width) of one row of luma.
inline void LumaRow(const uint8_t* s, int from, int width, uint8_t* y) {
    for (int x = from; x < width; ++x) {
        const uint8_t* p = s + static_cast<size_t>(x) * 4;
        y[x] = Luma(p[0], p[1], p[2]);
    }
}

// Chroma columns [from, width / 2) of the row pair s0, s1.
inline void ChromaRow(const uint8_t* s0, const uint8_t* s1, int from, int width, uint8_t* u,
                      uint8_t* v) {
    for (int x = from; x < width / 2; ++x) {
        const uint8_t* a = s0 + static_cast<size_t>(x) * 8;
        const uint8_t* b = s1 + static_cast<size_t>(x) * 8;
        const int sb = a[0] + a[4] + b[0] + b[4];
        const int sg = a[1] + a[5] + b[1] + b[5];
        const int sr = a[2] + a[6] + b[2] + b[6];
        u[x] = ChromaU(sb, sg, sr);
        v[x] = ChromaV(sb, sg, sr);
    }
}

#if defined(__SSE2__)
// Adds the 32-bit lanes pairwise: [a0+a1, a2+a3, b0+b1, b2+b3].
inline __m128i PairSums(__m128i a, __m128i b) {
    const __m128 fa = _mm_castsi128_ps(a), fb = _mm_castsi128_ps(b);
    const __m128i even = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(fa, fb, _MM_SHUFFLE(3, 1, 3, 1)));
    return _mm_add_epi32(even, odd);
}

// Luma of eight pixels as eight 16-bit lanes.
inline __m128i Luma8(const uint8_t* s) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i k = _mm_setr_epi16(25, 129, 66, 0, 25, 129, 66, 0);
    const __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16));
    const __m128i round = _mm_set1_epi32(128);
    const __m128i y0 = PairSums(_mm_madd_epi16(_mm_unpacklo_epi8(p0, zero), k),
                                _mm_madd_epi16(_mm_unpackhi_epi8(p0, zero), k));
    const __m128i y1 = PairSums(_mm_madd_epi16(_mm_unpacklo_epi8(p1, zero), k),
                                _mm_madd_epi16(_mm_unpackhi_epi8(p1, zero), k));
    const __m128i a = _mm_srai_epi32(_mm_add_epi32(y0, round), 8);
    const __m128i b = _mm_srai_epi32(_mm_add_epi32(y1, round), 8);
    return _mm_add_epi16(_mm_packs_epi32(a, b), _mm_set1_epi16(16));
}

// B, G, R, X sums of the 2 x 2 squares of four pixels of two rows: two
// squares as eight 16-bit lanes.
inline __m128i SquareSums(const uint8_t* s0, const uint8_t* s1) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s0));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s1));
    const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    return _mm_unpacklo_epi64(_mm_add_epi16(lo, _mm_srli_si128(lo, 8)),
                              _mm_add_epi16(hi, _mm_srli_si128(hi, 8)));
}

// One chroma plane's four values from the sums of four squares.
inline __m128i Chroma4(__m128i sums01, __m128i sums23, __m128i k) {
    const __m128i c = PairSums(_mm_madd_epi16(sums01, k), _mm_madd_epi16(sums23, k));
    return _mm_add_epi32(_mm_srai_epi32(_mm_add_epi32(c, _mm_set1_epi32(512)), 10),
                         _mm_set1_epi32(128));
}
#endif

inline void Convert(const uint8_t* src, int width, int height, uint8_t* yPlane, int yStride,
                    uint8_t* uPlane, int uStride, uint8_t* vPlane, int vStride) {
    const size_t srcStride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* s = src + static_cast<size_t>(y) * srcStride;
        uint8_t* out = yPlane + static_cast<ptrdiff_t>(y) * yStride;
        int x = 0;
#if defined(__SSE2__)
        for (; x + 8 <= width; x += 8) {
            const __m128i l = Luma8(s + static_cast<size_t>(x) * 4);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(l, l));
        }
#endif
        LumaRow(s, x, width, out);
    }
    for (int y = 0; y < height / 2; ++y) {
        const uint8_t* s0 = src + static_cast<size_t>(2 * y) * srcStride;
        const uint8_t* s1 = s0 + srcStride;
        uint8_t* u = uPlane + static_cast<ptrdiff_t>(y) * uStride;
        uint8_t* v = vPlane + static_cast<ptrdiff_t>(y) * vStride;
        int x = 0;
#if defined(__SSE2__)
        const __m128i ku = _mm_setr_epi16(112, -74, -38, 0, 112, -74, -38, 0);
        const __m128i kv = _mm_setr_epi16(-18, -94, 112, 0, -18, -94, 112, 0);
        for (; x + 4 <= width / 2; x += 4) {
            const size_t at = static_cast<size_t>(x) * 8;
            const __m128i sums01 = SquareSums(s0 + at, s1 + at);
            const __m128i sums23 = SquareSums(s0 + at + 16, s1 + at + 16);
            const __m128i cu = Chroma4(sums01, sums23, ku);
            const __m128i cv = Chroma4(sums01, sums23, kv);
            // Both planes' four values, 32-bit lanes down to bytes.
            alignas(16) uint8_t packed[16];
            _mm_store_si128(reinterpret_cast<__m128i*>(packed),
                            _mm_packus_epi16(_mm_packs_epi32(cu, cv), _mm_setzero_si128()));
            std::memcpy(u + x, packed, 4);
            std::memcpy(v + x, packed + 4, 4);
        }
#endif
        ChromaRow(s0, s1, x, width, u, v);
    }
}

}  // namespace bgra_to_i420
