#include "vrxclientsdk/VRXClient/IBClientAdaptor.h"

#include <sys/socket.h>

#include <cstring>

#include "platform/byte_order.h"
#include "platform/clock.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace {

constexpr char kSenderIdTag[8] = {'S', 'e', 'n', 'd', 'e', 'r', 'I', 'd'};
constexpr size_t kKeyOffset = 8;

}  // namespace

IBClientAdaptor::IBClientAdaptor(VRXClient& facade)
    : IBClient(ProcessGlobals::Get().Encoders()), m_facade(facade) {}

IBClientAdaptor::~IBClientAdaptor() {
    ShutdownConnection();
}

void IBClientAdaptor::SetBufferSize(int bytes) {
    m_bufferSize = bytes;
    IBClient::SetBufferSize(bytes);
}

int IBClientAdaptor::OnRecvIbAck(const uint8_t* payload) {
    const uint32_t serial = platform::GetU32BE(payload);
    m_facade.OnImageAck(serial);
    return IBClient::OnRecvIbAck(payload);
}

void IBClientAdaptor::FillSenderId(uint8_t (&record)[kSenderIdSize]) {
    std::memset(record, 0, sizeof record);
    std::memcpy(record, kSenderIdTag, sizeof kSenderIdTag);
    // The key is kept in the byte order it was received in.
    const uint32_t key = m_facade.m_Key.load();
    std::memcpy(record + kKeyOffset, &key, sizeof key);
}

void IBClientAdaptor::SendSenderId() {
    uint8_t record[kSenderIdSize];
    FillSenderId(record);
    if (SendAll(m_Socket, record, sizeof record, 0) < 0) {
        QK_LOGF(LOG_NOTICE, "SenderId not sent sock:%d", m_Socket.handle.load());
    }
}

int IBClientAdaptor::Handshake(platform::SocketHandle socket) {
    const int rc = IBClient::Handshake(socket);
    if (rc >= 0 && m_senderIdOnConnect.load()) {
        // 32 bytes on a fresh connection: the send buffer takes them whole.
        uint8_t record[kSenderIdSize];
        FillSenderId(record);
        if (::send(socket, record, sizeof record, MSG_NOSIGNAL) !=
            static_cast<ssize_t>(sizeof record)) {
            QK_LOGF(LOG_NOTICE, "SenderId not sent sock:%d", socket);
        }
    }
    return rc;
}

void IBClientAdaptor::OnConnectClose() {
    if (!IsConnected() || m_facade.IsShuttingDown()) {
        IBClient::OnConnectClose();
        return;
    }
    SaveError();
    const uint64_t now = platform::NowMs();
    if (!m_reconnected || now - m_lastReconnectMs > kReconnectIntervalMs) {
        // The SenderId record goes out from the handshake, before the new
        // socket is live: the encode thread's next message cannot overtake it.
        m_senderIdOnConnect = m_facade.m_Cmd.IsProtocolAbove011B();
        const int rc = ReConnect();
        m_senderIdOnConnect = false;
        if (rc >= 0) {
            m_reconnected = true;
            m_lastReconnectMs = now;
            QK_LOGF(LOG_NOTICE, "Image connection re-opened sock:%d", m_Socket.handle.load());
            RefreshScreenImage();
            return;
        }
    }
    IBClient::OnConnectClose();
    boost::recursive_mutex::scoped_lock guard(m_facade.m_ConnectionLock);
    if (m_facade.GetStatus() == kVrxDisconnected) {
        return;
    }
    m_facade.StopPlayImage();
    RestoreError();
    m_facade.CopyError(*this);
    m_facade.OnSendIBError();
}
