// What the sender tells a receiver about itself when it logs in with the
// extended login: its application, operating-system and point-input types,
// the side bar it offers and its 8-byte product id.
//
// Plain settings; the facade's setters fill it, its login reads it.
// THREADING: any thread (atomics, and a lock for the product id).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

class LoginIdentity {
public:
    void SetAppType(int type) { m_appType = type; }
    int AppType() const { return m_appType.load(); }
    void SetOSType(int type) { m_osType = type; }
    int OSType() const { return m_osType.load(); }
    void SetPointInputType(int type) { m_pointInputType = type; }
    int PointInputType() const { return m_pointInputType.load(); }
    void SetSidebar(uint8_t sidebar) { m_sidebar = sidebar; }
    uint8_t Sidebar() const { return m_sidebar.load(); }

    // Takes exactly 8 bytes of `productId`: a shorter text is padded with
    // zero bytes rather than read past its end (null: all zero). Returns the
    // text up to its first zero byte.
    std::string SetProductId(const char* productId);
    // The 8 bytes sent.
    std::string ProductId();

private:
    std::atomic<int> m_appType{10};
    std::atomic<int> m_osType{10};
    std::atomic<int> m_pointInputType{20};
    std::atomic<uint8_t> m_sidebar{0};
    std::mutex m_lock;  // guards the product id
    std::string m_productId = std::string("ZYLSDK\0\0", 8);
};
