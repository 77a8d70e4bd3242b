#include "vrxclientsdk/VRXClient/media/LocalServerProbe.h"

#include "platform/tcp_listeners.h"
#include "vrxclientsdk/VRPClient/ProtocolBase.h"

namespace {

// The connection is to this machine: it either succeeds at once or not.
constexpr int kProbeTimeoutSeconds = 1;

}  // namespace

bool IsServingLocally(pid_t pid, uint16_t port, Logger* logger) {
    if (!platform::ProcessListensOnTcpPort(pid, port)) {
        return false;
    }
    ProtocolBase probe;
    probe.SetLogger(logger);
    const bool connected = probe.Connect("127.0.0.1", {port}, true, kProbeTimeoutSeconds) == 0;
    probe.CloseConnect();
    return connected;
}
