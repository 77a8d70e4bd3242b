#include "vrxclientsdk/VRXClient/SenderServer.h"

#include <arpa/inet.h>

#include "vrxclientsdk/VRPClient/ErrorCodes.h"

SenderServer::SenderServer() = default;

SenderServer::~SenderServer() {
    Shutdown();
    StopSenderServer();
    platform::CloseSocketHandle(m_AuxSocket.exchange(platform::kInvalidSocket));
}

void SenderServer::SetLoginCode(int type, const char*) {
    QK_LOGF(LOG_INFO, "SetLoginCode type:%d", type);
    NotAvailable("SetLoginCode", __FILE__, __LINE__);
}

int SenderServer::StartSenderServer(const ReplySenderDiscovery::AnnounceType*) {
    QK_LOGF(LOG_INFO, "StartSenderServer");
    return NotAvailable("StartSenderServer", __FILE__, __LINE__);
}

void SenderServer::StopSenderServer() {
    QK_LOGF(LOG_INFO, "StopSenderServer");
}

void SenderServer::RestartSenderServer() {
    StopSenderServer();
    StartSenderServer(nullptr);
}

void SenderServer::OnStandby(const char*) {
    QK_LOGF(LOG_INFO, "OnStandby");
}

void SenderServer::OnLogin(const in_addr* receiver) {
    char text[INET_ADDRSTRLEN] = {};
    if (receiver) {
        inet_ntop(AF_INET, receiver, text, sizeof text);
    }
    QK_LOGF(LOG_INFO, "OnLogin IP:%s", text);
}

platform::SocketHandle SenderServer::TakeAuxSocket() {
    return m_AuxSocket.exchange(platform::kInvalidSocket);
}

void SenderServer::OnConnect(platform::SocketHandle s, uint16_t port) {
    QK_LOGF(LOG_DEBUG, "OnConnect p:%d s:%d", port, s);
    platform::CloseSocketHandle(s);
}

int SenderServer::OnLogin(const std::string& password) {
    return OnLoginPassword(password);
}

int SenderServer::OnLoginPassword(const std::string&) {
    NotAvailable("OnLoginPassword", __FILE__, __LINE__);
    return 0;
}
