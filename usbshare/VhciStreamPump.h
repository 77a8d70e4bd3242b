// Carries one device's traffic between vhci-hcd's stream socket (kernel byte
// order, requests back to back) and the relay's message socket (this
// channel's order, one request or reply per message), translating each way.
//
// Owns its thread: the destructor (or Stop) ends and joins it. When either
// side ends or sends something malformed, the pump shuts both down, so the
// relay sees its bus end.
#pragma once

#include <boost/thread/thread.hpp>
#include <vector>

#include "usbshare/StopSignal.h"

namespace usbip {

class VhciStreamPump {
public:
    // Takes neither descriptor; both must stay open until the pump is stopped.
    VhciStreamPump(int kernelFd, int relayFd);
    ~VhciStreamPump();
    VhciStreamPump(const VhciStreamPump&) = delete;
    VhciStreamPump& operator=(const VhciStreamPump&) = delete;

    void Start();
    void Stop();

private:
    void Run();
    bool FromKernel();
    bool ToKernel();

    const int m_kernelFd;
    const int m_relayFd;
    StopSignal m_stop;
    boost::thread m_thread;
    std::vector<uint8_t> m_stream;   // kernel bytes not yet a whole request
    std::vector<uint8_t> m_message;  // one reply from the relay; grows on demand
};

}  // namespace usbip
