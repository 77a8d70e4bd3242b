// Shared pieces of the client-facade tests: a facade that exposes what the
// tests check and counts its callbacks, a simulated receiver on a loopback
// address of its own, and a real discovery run through which the facade
// learns the receivers' command ports.
//
// Discovery stays on loopback: the sender binds 127.0.0.1, 127.0.0.2 stands
// for the limited broadcast address and the subnet 127.0.0.0/30 has the
// directed broadcast address 127.0.0.3, so the two receivers answer on
// 127.0.0.2 and 127.0.0.3. Time during the run is a fake clock that the
// sender's idle step advances, so the run is instant.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake_clock.h"
#include "tests/receiver/command/CommandReceiver.h"
#include "tests/receiver/discovery/UdpAnnouncer.h"
#include "vrxclientsdk/VRPClient/DiscoveryNetwork.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace facadetest {

using Bytes = std::vector<uint8_t>;

inline uint32_t Ip(const char* dotted) {
    in_addr a{};
    inet_pton(AF_INET, dotted, &a);
    return a.s_addr;
}

// Waits up to `limitMs` for `pred`.
template <typename Pred>
bool WaitUntil(Pred pred, int limitMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The facade with its checked state exposed and its callbacks counted.
class TestClient : public VRXClient {
public:
    ~TestClient() override { Shutdown(); }

    int BufferSize() const { return ImageBufferSizeForTest(); }
    int JpegQuality() const { return Settings().JpegQuality(); }
    int EnlargeFactor() const { return Settings().EnlargeFactor(); }
    double CursorScale() const { return Settings().CursorScale(); }
    int DeOverscanX() const { return Settings().DeOverscanX(); }
    int DeOverscanY() const { return Settings().DeOverscanY(); }
    uint32_t Key() const { return LoginKey(); }

    int OnLogin(const std::string& code) override {
        ++loginEvents;
        return VRXClient::OnLogin(code);
    }
    void OnSidebar(uint8_t) override { ++sidebarEvents; }
    void OnChangeValue(const std::string&, const std::string&) override { ++changeEvents; }
    void OnConnectClose() override { ++closeEvents; }

    std::atomic<int> loginEvents{0};
    std::atomic<int> sidebarEvents{0};
    std::atomic<int> changeEvents{0};
    std::atomic<int> closeEvents{0};
};

// A simulated receiver listening on `address` (an ephemeral port);
// `configure` may change its configuration before it starts.
struct SimReceiver {
    explicit SimReceiver(const char* address, uint16_t version = 0x0130,
                         const std::function<void(receiver_sim::CommandConfig&)>& configure = {})
        : address(address) {
        receiver_sim::CommandConfig config;
        config.bindAddress = address;
        config.protocolVersion = version;
        config.record.ipv4 = address;
        config.record.name = std::string("Receiver ") + address;
        if (configure) {
            configure(config);
        }
        sim = std::make_unique<receiver_sim::CommandReceiver>(config);
        EXPECT_EQ(sim->Start(), 0);
    }

    // The request codes the sender wrote, in order.
    std::vector<uint8_t> RequestCodes() {
        std::vector<uint8_t> codes;
        for (const receiver_sim::ReceivedFrame& f : sim->Frames()) {
            if (f.frame.kind == receiver_sim::SenderFrame::Kind::kRequest) {
                codes.push_back(f.frame.code);
            }
        }
        return codes;
    }

    std::string address;
    std::unique_ptr<receiver_sim::CommandReceiver> sim;
};

// One UDP port free on 127.0.0.1 to 127.0.0.3, chosen apart from other test
// processes; 0 when none was found.
inline uint16_t FreeDiscoveryPort() {
    const char* addresses[] = {"127.0.0.1", "127.0.0.2", "127.0.0.3"};
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto port = static_cast<uint16_t>(20000 + (getpid() * 37 + attempt * 11) % 40000);
        bool free = true;
        for (const char* address : addresses) {
            const int fd = socket(AF_INET, SOCK_DGRAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(port);
            a.sin_addr.s_addr = Ip(address);
            free = free && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
            close(fd);
        }
        if (free) {
            return port;
        }
    }
    return 0;
}

// What a receiver announces to discovery: its address and command port.
struct Announced {
    const char* address;  // 127.0.0.2 or 127.0.0.3
    uint16_t commandPort;
};

// Runs the facade's discovery once against announcers of `receivers`;
// returns the facade's result and fills `found`. `onIdle` runs in every idle
// step of the run, on the discovering thread.
inline int Discover(VRXClient& client, const std::vector<Announced>& receivers,
                    std::vector<DevAnnounce>* found = nullptr,
                    const std::function<void()>& onIdle = {}) {
    const uint16_t port = FreeDiscoveryPort();
    EXPECT_NE(port, 0) << "no free discovery port on loopback";
    std::vector<std::unique_ptr<receiver_sim::UdpAnnouncer>> announcers;
    for (const Announced& r : receivers) {
        receiver_sim::ReceiverAnnouncement info;
        info.ipv4 = r.address;
        info.commandPort = r.commandPort;
        receiver_sim::AnnouncerConfig config;
        config.bindAddress = r.address;
        config.ports = {port};
        config.record = info.Encode();
        announcers.push_back(std::make_unique<receiver_sim::UdpAnnouncer>(config));
        EXPECT_EQ(announcers.back()->Open(), 0);
    }
    platform::FakeClock clock;
    platform::ScopedClockOverride clockOverride(clock);
    DiscoveryNetwork network;
    network.bindAddress.s_addr = Ip("127.0.0.1");
    network.limitedBroadcast.s_addr = Ip("127.0.0.2");
    network.getAdapters = [](std::vector<platform::AdapterAddress>* out) {
        platform::AdapterAddress subnet;
        subnet.address.s_addr = Ip("127.0.0.1");
        subnet.mask.s_addr = Ip("255.255.255.252");
        *out = {subnet};
        return true;
    };
    network.idleWait = [&] {
        for (auto& announcer : announcers) {
            announcer->ServeOnce();
        }
        if (onIdle) {
            onIdle();
        }
        clock.Advance(30);
    };
    ScopedDiscoveryNetworkOverride networkOverride(network);
    std::vector<DevAnnounce> local;
    return client.DeviceDiscover(found ? *found : local, nullptr, false, port, port, 1);
}

}  // namespace facadetest
