#include "vrxclientsdk/VRXClient/media/LocalServerProbe.h"

#include "platform/media_bind_address.h"
#include "platform/tcp_listeners.h"
#include "vrxclientsdk/VRPClient/ProtocolBase.h"

namespace {

// The connection is to this machine: it either succeeds at once or not.
constexpr int kProbeTimeoutSeconds = 1;

}  // namespace

std::string ProbeAddress(const std::string& bindAddress) {
    return bindAddress == platform::kMediaBindAnyAddress ? "127.0.0.1" : bindAddress;
}

bool IsServingLocally(pid_t pid, uint16_t port) {
    if (!platform::ProcessListensOnTcpPort(pid, port)) {
        return false;
    }
    ProtocolBase probe;  // without a logger: a failed probe is no error yet
    const bool connected = probe.Connect(ProbeAddress(platform::MediaBindAddress()), {port}, true,
                                         kProbeTimeoutSeconds) == 0;
    probe.CloseConnect();
    return connected;
}
