// LZO1X-1 compression of raw pixel blocks, with the work memory that the
// installed library asks for (LZO1X_1_MEM_COMPRESS), allocated once.
// One object serves one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class LzoCompressor {
public:
    // nullptr when the library fails its self-check or memory is short.
    static std::unique_ptr<LzoCompressor> Create();

    // The work memory one compressor holds.
    static size_t WorkBytes();

    // Largest output for `size` input bytes (LZO1X worst case).
    static size_t Bound(size_t size) { return size + size / 16 + 64 + 3; }

    // Compresses `size` bytes into `out`, which must hold Bound(size) bytes.
    // Returns the compressed length, or -1 on failure.
    long Compress(const uint8_t* in, size_t size, uint8_t* out, size_t outCapacity);

private:
    LzoCompressor() = default;
    std::unique_ptr<uint8_t[]> m_work;
};
