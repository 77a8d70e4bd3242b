#include "bench/mirror_sender.h"

#include "platform/byte_order.h"
#include "platform/clock.h"
#include "vrxclientsdk/VRXClient/ProcessGlobals.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace bench {

// The image channel, noting the arrival time of each acknowledgement.
class MirrorSender::Channel : public IBClient {
public:
    Channel() : IBClient(ProcessGlobals::Get().Encoders()) { m_acks.reserve(1 << 16); }

    int OnRecvIbAck(const uint8_t* payload) override {
        const uint32_t serial = platform::GetU32BE(payload);
        {
            std::lock_guard lock(m_ackLock);
            m_acks.push_back({serial, platform::NowMs()});
        }
        return IBClient::OnRecvIbAck(payload);
    }

    std::vector<Ack> Acks() {
        std::lock_guard lock(m_ackLock);
        return m_acks;
    }

private:
    std::mutex m_ackLock;
    std::vector<Ack> m_acks;
};

MirrorSender::MirrorSender() = default;

MirrorSender::~MirrorSender() {
    Stop();
}

bool MirrorSender::Start(const std::string& display, const std::string& address,
                         const std::vector<uint16_t>& ports, int coding, int devW, int devH,
                         std::string* error) {
    Stop();
    FrawlPool* pool = FrawlPool::Acquire();
    m_poolAcquired = true;
    pool->SetCaptureFactory([display](const CaptureClientRecord& record) {
        return CreateCaptureSource(record, nullptr, display);
    });
    m_channel = std::make_unique<Channel>();
    m_channel->SetWaitHandshake(true);
    if (m_channel->OpenConnect(address, ports) != 0) {
        *error = "cannot connect: " + m_channel->GetErrorMessage();
        return false;
    }
    m_channel->SetCursorMode(false);  // the screen grab that PSNR compares with has none
    m_channel->SetMaxFPS(60);
    if (m_channel->Start(devW, devH, 32, 0, coding, false, 1.0f, true, 0, 0) != 0) {
        *error = "cannot start: " + m_channel->GetErrorMessage();
        return false;
    }
    return true;
}

void MirrorSender::Stop() {
    if (m_channel) {
        m_channel->Stop(false);
        m_channel.reset();
    }
    if (m_poolAcquired) {
        FrawlPool::Release();
        m_poolAcquired = false;
    }
}

std::vector<MirrorSender::Ack> MirrorSender::Acks() {
    return m_channel ? m_channel->Acks() : std::vector<Ack>{};
}

double MirrorSender::BytesSent() {
    return m_channel ? m_channel->GetBytesSent() : 0.0;
}

int MirrorSender::FrameCount() {
    return m_channel ? m_channel->GetFrameCount() : 0;
}

}  // namespace bench
