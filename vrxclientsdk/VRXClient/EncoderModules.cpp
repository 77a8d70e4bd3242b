#include "vrxclientsdk/VRXClient/EncoderModules.h"

#include "vrxclientsdk/VRXClient/imagechannel/codecs/PexloApi.h"
#include "vrxclientsdk/VRXClient/imagechannel/codecs/VemrinApi.h"

EncoderModules::EncoderModules() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_jpegOwner = LoadChecked(kPexloModuleName, kPexloVersionEntry, kPexloAbiVersion);
    m_pJpeg.store(m_jpegOwner.get(), std::memory_order_release);
    m_h264Owner = LoadChecked(kVemrinModuleName, kVemrinVersionEntry, kVemrinAbiVersion);
    m_pH264.store(m_h264Owner.get(), std::memory_order_release);
}

// Freed in the reverse order of loading.
EncoderModules::~EncoderModules() {
    m_pH264.store(nullptr);
    m_h264Owner.reset();
    m_pJpeg.store(nullptr);
    m_jpegOwner.reset();
}

platform::DynamicLibrary* EncoderModules::LoadH264Again() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_h264Owner) {
        m_h264Owner = LoadChecked(kVemrinModuleName, kVemrinVersionEntry, kVemrinAbiVersion);
        m_pH264.store(m_h264Owner.get(), std::memory_order_release);
    }
    return m_h264Owner.get();
}

std::unique_ptr<platform::DynamicLibrary> EncoderModules::LoadChecked(const char* name,
                                                                      const char* versionEntry,
                                                                      int abiVersion) {
    std::unique_ptr<platform::DynamicLibrary> module = platform::DynamicLibrary::Load(name);
    if (!module) {
        return nullptr;
    }
    // Calling into a module built for other entry signatures would corrupt
    // the process; such a module counts as absent.
    auto version = module->Entry<int (*)()>(versionEntry);
    if (!version || version() != abiVersion) {
        return nullptr;
    }
    return module;
}
