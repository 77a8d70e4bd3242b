#include "vrxclientsdk/VRXClient/senderserver/MySocketServer.h"

#include "vrxclientsdk/VRXClient/senderserver/SenderServer.h"

void MySocketServer::OnConnect(platform::SocketHandle s, uint16_t port) {
    QK_LOGF(LOG_INFO, "OnConnect sockfd=%d, usPortNum=%d", s, port);
    m_owner.OnConnect(s, port);
}
