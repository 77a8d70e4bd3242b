// IBClientAdaptor: the facade's image channel. An IBClient that reports each
// acknowledgement and the loss of its connection to the facade that owns it,
// and remembers the buffer size the login gave it.
//
// THREADING: OnRecvIbAck on the image connection's dispatcher thread,
// OnConnectClose on its closer thread; SetBufferSize from any thread.
#pragma once

#include <atomic>
#include <cstdint>

#include "vrxclientsdk/VRXClient/IBClient.h"

class VRXClient;

class IBClientAdaptor : public IBClient {
public:
    // `facade` owns this adaptor and must outlive its threads.
    explicit IBClientAdaptor(VRXClient& facade) : m_facade(facade) {}
    ~IBClientAdaptor() override;
    IBClientAdaptor(const IBClientAdaptor&) = delete;
    IBClientAdaptor& operator=(const IBClientAdaptor&) = delete;

    void SetBufferSize(int bytes) override;
    // The size last given to SetBufferSize (0 before any).
    int GetBufferSize() const { return m_bufferSize.load(); }

    int OnRecvIbAck(const uint8_t* payload) override;

protected:
    void OnConnectClose() override;

private:
    VRXClient& m_facade;
    std::atomic<int> m_bufferSize{0};
};
