// The transcoding sibling of HWKStream. Transcoding is not offered by this
// system: every operation fails with -6528603 ("HWKT not enabled.").
//
// Kept so that VideoFileStream can be asked for the transcoding mode and
// answer it with a clear error. Holds no state.
#pragma once

#include <string>

#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

class HWKTStream : public QKErrorHandler {
public:
    // Each returns -6528603.
    virtual int CheckEnabled();
    int StartServer();
    int RegisterFile(const std::wstring& path, std::string& urlPath);
    int DeregisterFile();
};
