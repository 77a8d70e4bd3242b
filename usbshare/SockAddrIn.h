// A socket address of either IP family, and the name-service helpers of the
// socket client. The all-zero address means "not set".
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <string>

namespace porvane {

class SockAddrIn {
public:
    SockAddrIn();

    // True when no address is set (an all-zero storage).
    bool IsZero() const;

    // Clears the address and resolves `host` and `service` into it (stream
    // sockets, `family` or AF_UNSPEC); true when an address was found.
    bool Resolve(const char* host, const char* service, int family);

    // The numeric host text ("127.0.0.1", "::1"); empty when not set.
    std::string GetHostText() const;
    uint16_t GetPort() const;
    int GetFamily() const { return m_addr.ss_family; }

    sockaddr* Data() { return reinterpret_cast<sockaddr*>(&m_addr); }
    const sockaddr* Data() const { return reinterpret_cast<const sockaddr*>(&m_addr); }
    // The significant size for the family (the whole storage when unknown).
    socklen_t Size() const;
    socklen_t Capacity() const { return sizeof m_addr; }

private:
    sockaddr_storage m_addr;
};

// Numeric host text of an IPv4 or IPv6 address; any other family gives an
// empty text and sets errno to EINVAL.
std::string AddressToHostText(const sockaddr* address, int family);

}  // namespace porvane
