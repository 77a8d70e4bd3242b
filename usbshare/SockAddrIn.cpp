#include "usbshare/SockAddrIn.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace porvane {
namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* a) const { ::freeaddrinfo(a); }
};
using AddrInfoPtr = std::unique_ptr<addrinfo, AddrInfoDeleter>;

}  // namespace

SockAddrIn::SockAddrIn() {
    std::memset(&m_addr, 0, sizeof m_addr);
}

bool SockAddrIn::IsZero() const {
    static const sockaddr_storage zero{};
    return std::memcmp(&m_addr, &zero, sizeof m_addr) == 0;
}

socklen_t SockAddrIn::Size() const {
    switch (m_addr.ss_family) {
        case AF_INET:
            return sizeof(sockaddr_in);
        case AF_INET6:
            return sizeof(sockaddr_in6);
        default:
            return sizeof m_addr;
    }
}

bool SockAddrIn::Resolve(const char* host, const char* service, int family) {
    std::memset(&m_addr, 0, sizeof m_addr);
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* raw = nullptr;
    if (::getaddrinfo(host, service, &hints, &raw) != 0 || !raw) {
        return false;
    }
    AddrInfoPtr list(raw);
    if (list->ai_addrlen > sizeof m_addr) {
        return false;
    }
    std::memcpy(&m_addr, list->ai_addr, list->ai_addrlen);
    return !IsZero();
}

std::string SockAddrIn::GetHostText() const {
    if (IsZero()) {
        return {};
    }
    return AddressToHostText(Data(), m_addr.ss_family);
}

uint16_t SockAddrIn::GetPort() const {
    switch (m_addr.ss_family) {
        case AF_INET:
            return ntohs(reinterpret_cast<const sockaddr_in*>(&m_addr)->sin_port);
        case AF_INET6:
            return ntohs(reinterpret_cast<const sockaddr_in6*>(&m_addr)->sin6_port);
        default:
            return 0;
    }
}

std::string AddressToHostText(const sockaddr* address, int family) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* raw = nullptr;
    if (family == AF_INET) {
        raw = &reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
    } else if (family == AF_INET6) {
        raw = &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    } else {
        errno = EINVAL;
        return {};
    }
    if (!::inet_ntop(family, raw, text, sizeof text)) {
        return {};
    }
    return text;
}

}  // namespace porvane
