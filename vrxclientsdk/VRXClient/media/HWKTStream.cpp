#include "vrxclientsdk/VRXClient/media/HWKTStream.h"

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

int HWKTStream::CheckEnabled() {
    return QK_ERROR(qkerr::kHwktNotEnabled);
}

int HWKTStream::StartServer() {
    return CheckEnabled();
}

int HWKTStream::RegisterFile(const std::wstring&, std::string&) {
    return CheckEnabled();
}

int HWKTStream::DeregisterFile() {
    return CheckEnabled();
}
