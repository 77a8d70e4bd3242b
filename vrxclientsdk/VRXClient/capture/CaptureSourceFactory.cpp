#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"

#include "vrxclientsdk/VRXClient/capture/CIFLoader.h"
#include "vrxclientsdk/VRXClient/capture/Frawl.h"

std::unique_ptr<CFrameBufferBase> CreateCaptureSource(const CaptureClientRecord& record,
                                                      Logger* logger, const std::string& display) {
    if (!record.imagePath.empty()) {
        auto loader = std::make_unique<CIFLoader>(record.imagePath);
        if (logger) {
            loader->SetLogger(logger);
        }
        return loader;
    }
    auto frawl = std::make_unique<CFrawl>();
    if (!display.empty()) {
        frawl->SetDisplayName(display);
    }
    return frawl;
}
