#include "vrxclientsdk/VRXClient/IBClientAdaptor.h"

#include "vrxclientsdk/VRXClient/VRXClient.h"

IBClientAdaptor::~IBClientAdaptor() {
    ShutdownConnection();
}

void IBClientAdaptor::SetBufferSize(int bytes) {
    m_bufferSize = bytes;
    IBClient::SetBufferSize(bytes);
}

int IBClientAdaptor::OnRecvIbAck(const uint8_t* payload) {
    const uint32_t serial = (uint32_t{payload[0]} << 24) | (uint32_t{payload[1]} << 16) |
                            (uint32_t{payload[2]} << 8) | payload[3];
    m_facade.OnImageAck(serial);
    return IBClient::OnRecvIbAck(payload);
}

void IBClientAdaptor::OnConnectClose() {
    IBClient::OnConnectClose();
    if (m_facade.IsShuttingDown()) {
        return;
    }
    boost::recursive_mutex::scoped_lock guard(m_facade.m_ConnectionLock);
    if (m_facade.GetStatus() == kVrxDisconnected) {
        return;
    }
    SaveError();
    m_facade.StopPlayImage();
    RestoreError();
    m_facade.CopyError(*this);
    m_facade.OnSendIBError();
}
