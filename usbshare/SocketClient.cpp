#include "usbshare/SocketClient.h"

#include <sys/socket.h>

#include <cerrno>

#include "usbshare/ZampLog.h"

namespace porvane {

SocketClient::SocketClient(ISocketClientHandler* handler)
    : m_pHandler(handler), m_pOwnNetwork(NetworkState::Create()), m_pNetwork(m_pOwnNetwork.get()) {}

SocketClient::~SocketClient() {
    Stop();
}

bool SocketClient::Start(int family, const char* host, const char* service,
                         uint32_t connectTimeoutMs) {
    if (m_Socket.IsOpen()) {
        errno = EISCONN;
        return false;
    }
    if (m_Thread.joinable()) {
        // A reader that ended on its own (the connection dropped) is joined
        // before the next connection.
        m_Thread.join();
    }
    if (!m_Socket.Connect(host, service, family, connectTimeoutMs)) {
        return false;
    }
    m_bStop = false;
    try {
        m_Thread = boost::thread([this] { Run(); });
    } catch (const boost::thread_resource_error&) {
        const int error = errno;
        m_Socket.Shutdown();
        m_Socket.Close();
        errno = error ? error : EAGAIN;
        return false;
    }
    return true;
}

void SocketClient::RequestStop() {
    m_bStop = true;
    m_Socket.Shutdown();
}

void SocketClient::Stop() {
    RequestStop();
    if (m_Thread.joinable()) {
        if (m_Thread.get_id() == boost::this_thread::get_id()) {
            return;
        }
        m_Thread.join();
    }
    m_Socket.Close();
}

bool SocketClient::IsDropError(int error) {
    switch (error) {
        case EBADF:
        case ENOTSOCK:
        case ENETDOWN:
        case ENETUNREACH:
        case ENETRESET:
        case ECONNABORTED:
        case ECONNRESET:
        case ENOTCONN:
        case ESHUTDOWN:
        case EPIPE:
        case ETIMEDOUT:
        case EHOSTDOWN:
        case EHOSTUNREACH:
            return true;
        default:
            return false;
    }
}

void SocketClient::Run() {
    uint8_t buffer[CSocketHandle::kReadSize];
    m_pHandler->OnThreadBegin(&m_Socket);
    SockAddrIn peer;
    socklen_t len = peer.Capacity();
    ::getpeername(m_Socket.GetSocket(), peer.Data(), &len);

    unsigned reads = 0;
    while (!m_bStop) {
        const int ready = platform::PollReadable(m_Socket.GetSocket(), kPollMs);
        // The network is looked at when the line is idle, and every so many
        // reads while data keeps coming.
        const bool checkNetwork = ready == 0 || (++reads % kReadsPerNetworkCheck) == 0;
        if (m_bStop) {
            break;
        }
        if (ready > 0) {
            const int n = m_Socket.Read(buffer);
            if (n > 0) {
                m_pHandler->OnDataReceived(&m_Socket, buffer, static_cast<unsigned long>(n), peer);
            } else {
                const int error = errno;
                if (m_bStop) {
                    break;
                }
                if (IsDropError(error)) {
                    m_pHandler->OnConnectionDropped(&m_Socket);
                    break;
                }
                if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
                    m_pHandler->OnConnectionError(&m_Socket, static_cast<unsigned long>(error));
                }
            }
        } else if (ready < 0 && ready != -EINTR) {
            // poll itself failed: the socket can't be watched any more.
            m_pHandler->OnConnectionDropped(&m_Socket);
            break;
        }
        if (checkNetwork && !m_bStop && !m_pNetwork->IsNetworkAlive(m_Socket.GetSocket())) {
            WriteLog("Disconnected\n");
            m_pHandler->OnConnectionDropped(&m_Socket);
            break;
        }
    }
    m_pHandler->OnThreadExit(&m_Socket);
}

}  // namespace porvane
