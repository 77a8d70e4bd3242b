// The two encoder modules of the process: "Pexlo" (JPEG) and "Vemrin" (H.264).
//
// Loaded by name through platform::DynamicLibrary, Pexlo first. A module that
// cannot be loaded, lacks its version entry or reports another ABI version
// than this build expects is treated as absent: its handle stays null and the
// coding that needs it is not offered. Nothing is reported here; the image
// channel reports a missing module when a projection asks for it.
//
// Handles may be read from any thread. One instance lives in ProcessGlobals;
// tests build their own.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dynload.h"
#include "vrxclientsdk/VRXClient/imagechannel/EncoderModuleSource.h"

class EncoderModules : public EncoderModuleSource {
public:
    // Loads both modules.
    EncoderModules();
    ~EncoderModules() override;
    EncoderModules(const EncoderModules&) = delete;
    EncoderModules& operator=(const EncoderModules&) = delete;

    // The loaded module, or nullptr when it is absent. Valid as long as this object.
    platform::DynamicLibrary* Jpeg() const override {
        return m_pJpeg.load(std::memory_order_acquire);
    }
    platform::DynamicLibrary* H264() const override {
        return m_pH264.load(std::memory_order_acquire);
    }

    // Tries once more to load the H.264 module when it is absent (a projection
    // asking for H.264 does so). Returns the module or nullptr.
    platform::DynamicLibrary* LoadH264Again() override;

private:
    static std::unique_ptr<platform::DynamicLibrary> LoadChecked(const char* name,
                                                                 const char* versionEntry,
                                                                 int abiVersion);

    std::mutex m_lock;  // guards loading and the owners below
    std::unique_ptr<platform::DynamicLibrary> m_jpegOwner;
    std::unique_ptr<platform::DynamicLibrary> m_h264Owner;
    std::atomic<platform::DynamicLibrary*> m_pJpeg{nullptr};
    std::atomic<platform::DynamicLibrary*> m_pH264{nullptr};
};
