#include "vrxclientsdk/VRXClient/imagechannel/LzoCompressor.h"

#include <lzo/lzo1x.h>

#include <mutex>
#include <new>

std::unique_ptr<LzoCompressor> LzoCompressor::Create() {
    static std::once_flag once;
    static bool ready = false;
    std::call_once(once, [] { ready = lzo_init() == LZO_E_OK; });
    if (!ready) {
        return nullptr;
    }
    std::unique_ptr<LzoCompressor> self(new LzoCompressor);
    self->m_work.reset(new (std::nothrow) uint8_t[LZO1X_1_MEM_COMPRESS]);
    if (!self->m_work) {
        return nullptr;
    }
    return self;
}

size_t LzoCompressor::WorkBytes() {
    return LZO1X_1_MEM_COMPRESS;
}

long LzoCompressor::Compress(const uint8_t* in, size_t size, uint8_t* out, size_t outCapacity) {
    if (outCapacity < Bound(size)) {
        return -1;
    }
    lzo_uint outLength = outCapacity;
    if (lzo1x_1_compress(in, size, out, &outLength, m_work.get()) != LZO_E_OK) {
        return -1;
    }
    return static_cast<long>(outLength);
}
