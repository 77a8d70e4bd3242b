#include "bench/facade_mirror.h"

#include <arpa/inet.h>

#include <atomic>
#include <cstdio>

#include "vrxclientsdk/VRXClient/VRXClient.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace bench {

namespace {

constexpr uint8_t kFullScreen = 0x80;

}  // namespace

// The facade with the losses it reports printed and counted.
class FacadeMirror::Client : public VRXClient {
public:
    ~Client() override { Shutdown(); }

    void OnConnectClose() override {
        ++losses;
        std::fprintf(stderr, "mirror_demo: the receiver closed the connection: %s\n",
                     GetErrorMessage().c_str());
    }
    void OnSendIBError() override {
        ++losses;
        std::fprintf(stderr, "mirror_demo: the image connection failed: %s\n",
                     GetErrorMessage().c_str());
    }

    std::atomic<int> losses{0};
};

FacadeMirror::FacadeMirror() = default;

FacadeMirror::~FacadeMirror() {
    Stop();
}

bool FacadeMirror::Start(const std::string& display, const std::string& address,
                         const std::string& code, int coding, std::string* error) {
    Stop();
    in_addr ip{};
    if (::inet_pton(AF_INET, address.c_str(), &ip) != 1) {
        *error = "not an IPv4 address: " + address;
        return false;
    }
    FrawlPool* pool = FrawlPool::Acquire();
    m_poolAcquired = true;
    pool->SetCaptureFactory([display](const CaptureClientRecord& record) {
        return CreateCaptureSource(record, nullptr, display);
    });
    m_client = std::make_unique<Client>();
    m_client->SetImageCoding(coding);
    const std::string loginCode = code.empty() ? VRXClient::kDefaultLoginCode : code;
    if (int rc = m_client->Login(ip.s_addr, "mirror_demo", loginCode.c_str()); rc < 0) {
        *error = "login failed (" + std::to_string(rc) + "): " + m_client->GetErrorMessage();
        return false;
    }
    if (int rc = m_client->StartPlayImage(kFullScreen); rc < 0) {
        *error = "projection refused (" + std::to_string(rc) + "): " + m_client->GetErrorMessage();
        return false;
    }
    return true;
}

void FacadeMirror::Stop() {
    if (m_client) {
        if (m_client->GetStatus() != kVrxDisconnected) {
            if (int rc = m_client->StopPlayImage(); rc < 0) {
                std::fprintf(stderr, "mirror_demo: stop failed (%d): %s\n", rc,
                             m_client->GetErrorMessage().c_str());
            }
            m_client->Logout();
        }
        m_client.reset();
    }
    if (m_poolAcquired) {
        FrawlPool::Release();
        m_poolAcquired = false;
    }
}

int FacadeMirror::CodingInUse() {
    return m_client ? m_client->GetImageCodingInUse() : 0;
}

int FacadeMirror::Losses() {
    return m_client ? m_client->losses.load() : 0;
}

}  // namespace bench
