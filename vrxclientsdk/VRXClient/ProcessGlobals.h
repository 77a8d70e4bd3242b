// The client library's process-wide objects, built together on first use and
// destroyed at exit in the reverse order of building.
//
// These are the two encoder modules. Call ProcessGlobals::Get() (or
// the accessors below) before the first client is created; any thread may.
#pragma once

#include "vrxclientsdk/VRXClient/EncoderModules.h"

class ProcessGlobals {
public:
    // The one instance; built by the first call (thread-safe).
    static ProcessGlobals& Get();

    EncoderModules& Encoders() { return m_encoders; }

    ProcessGlobals(const ProcessGlobals&) = delete;
    ProcessGlobals& operator=(const ProcessGlobals&) = delete;

private:
    ProcessGlobals() = default;
    ~ProcessGlobals() = default;

    EncoderModules m_encoders;
};

// The JPEG encoder module "Pexlo", or nullptr when it is absent.
inline platform::DynamicLibrary* JpegEncoderModule() {
    return ProcessGlobals::Get().Encoders().Jpeg();
}

// The H.264 encoder module "Vemrin", or nullptr when it is absent.
inline platform::DynamicLibrary* H264EncoderModule() {
    return ProcessGlobals::Get().Encoders().H264();
}
