#include "vrxclientsdk/VRXClient/imagechannel/LzoEncoder.h"

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

int LzoEncoder::Load(Logger*, std::string* argument) {
    if (!m_lzo) {
        m_lzo = LzoCompressor::Create();
    }
    if (!m_lzo) {
        *argument = std::to_string(LzoCompressor::WorkBytes());
        return qkerr::kOutOfMemory;
    }
    return 0;
}

int LzoEncoder::Open(int, int, int, std::string*) {
    return 0;
}

long LzoEncoder::Encode(const Input& in, uint8_t* out, size_t capacity, int* codecError) {
    const long length = m_lzo->Compress(in.block->pBits, in.block->size, out, capacity);
    if (length < 0) {
        *codecError = static_cast<int>(length);
    }
    return length;
}
