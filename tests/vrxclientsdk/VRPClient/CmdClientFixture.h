// Shared pieces of the command-channel tests: a CmdClient that records its
// callbacks and close notices, and a fixture that connects one to the
// simulated receiver on loopback.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/command/CommandReceiver.h"
#include "vrxclientsdk/VRPClient/CmdClient.h"

namespace cmdtest {

using Bytes = std::vector<uint8_t>;

inline Bytes ToBytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline std::string Hex(const Bytes& b) {
    std::string out;
    char h[4];
    for (uint8_t x : b) {
        std::snprintf(h, sizeof h, "%02X", x);
        out += h;
    }
    return out;
}

// Waits up to `limitMs` for `pred`.
template <typename Pred>
bool WaitUntil(Pred pred, int limitMs = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Records every callback as a line of text.
class RecordingClient : public CmdClient {
public:
    ~RecordingClient() override { ShutdownConnection(); }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> g(m_lock);
        return m_calls;
    }
    bool WaitCall(const std::string& line, int limitMs = 5000) {
        return WaitUntil(
            [&] {
                std::lock_guard<std::mutex> g(m_lock);
                for (const std::string& c : m_calls) {
                    if (c == line) {
                        return true;
                    }
                }
                return false;
            },
            limitMs);
    }
    void ClearCalls() {
        std::lock_guard<std::mutex> g(m_lock);
        m_calls.clear();
    }

    std::atomic<int> closeCount{0};
    std::atomic<int> errorAtClose{0};
    std::string forwardReply;  // what OnForwardMessage answers

    int OnLogin(const std::string& code) override {
        // Recorded after the default handler wrote its log line, so a test that
        // waited for the call finds the line in the log.
        const int result = CmdClient::OnLogin(code);
        Record("login:" + code);
        return result;
    }
    int OnStartPlayImage(const ByteString& p) override {
        Record("start:" + HexOf(p));
        return CmdClient::OnStartPlayImage(p);
    }
    int OnStopPlayImage(const ByteString& p) override {
        Record("stop:" + HexOf(p));
        return CmdClient::OnStopPlayImage(p);
    }
    int OnPausePlayImage(const ByteString& p) override {
        Record("pause:" + HexOf(p));
        return CmdClient::OnPausePlayImage(p);
    }
    int OnChangeValue(const uint8_t* key, const uint8_t* value) override {
        Record("change:" + Hex(Bytes(key, key + 32)) + ":" + Hex(Bytes(value, value + 32)));
        return CmdClient::OnChangeValue(key, value);
    }
    int OnDeviceNotice(const ByteString& p) override {
        Record("notice:" + HexOf(p));
        return CmdClient::OnDeviceNotice(p);
    }
    int OnStopVideo(uint8_t reason, const std::string& url, const uint8_t* status) override {
        Record("stopvideo:" + std::to_string(reason) + ":" + url + ":" +
               Hex(Bytes(status, status + 4)));
        return CmdClient::OnStopVideo(reason, url, status);
    }
    int OnRefreshScreen(const ByteString& p) override {
        Record("refresh:" + HexOf(p));
        return CmdClient::OnRefreshScreen(p);
    }
    int OnRelayCommand(const ByteString& p) override {
        Record("relay:" + HexOf(p));
        return CmdClient::OnRelayCommand(p);
    }
    int OnKeyboardCommand(const ByteString& p) override {
        Record("keyboard:" + HexOf(p));
        return CmdClient::OnKeyboardCommand(p);
    }
    int OnMouseCommand(const ByteString& p) override {
        Record("mouse:" + HexOf(p));
        return CmdClient::OnMouseCommand(p);
    }
    void OnTouchEvent(int id, int x, int y, int state) override {
        Record("touch:" + std::to_string(id) + ":" + std::to_string(x) + ":" + std::to_string(y) +
               ":" + std::to_string(state));
        CmdClient::OnTouchEvent(id, x, y, state);
    }
    int OnStringInput(const ByteString& p) override {
        Record("string:" + HexOf(p));
        return CmdClient::OnStringInput(p);
    }
    void OnForwardMessage(uint32_t id, uint32_t size, const uint8_t* data,
                          ByteString& reply) override {
        Record("forward:" + std::to_string(id) + ":" + std::to_string(size) + ":" +
               std::string(reinterpret_cast<const char*>(data), std::min<uint32_t>(size, 16)));
        reply = forwardReply;
        CmdClient::OnForwardMessage(id, size, data, reply);
    }
    int OnSidebar(const ByteString& p) override {
        Record("sidebar:" + HexOf(p));
        return CmdClient::OnSidebar(p);
    }

    std::atomic<int> aliveCount{0};

protected:
    void OnPeerAlive() override {
        ++aliveCount;
        CmdClient::OnPeerAlive();
    }
    void OnConnectClose() override {
        errorAtClose = GetErrorCode();
        ++closeCount;
        CmdClient::OnConnectClose();
    }

private:
    static std::string HexOf(const ByteString& p) { return Hex(Bytes(p.begin(), p.end())); }
    void Record(std::string line) {
        std::lock_guard<std::mutex> g(m_lock);
        m_calls.push_back(std::move(line));
    }
    std::mutex m_lock;
    std::vector<std::string> m_calls;
};

// A simulated receiver and a client connected to it.
class CmdClientTest : public ::testing::Test {
protected:
    // Starts the receiver with `config` and connects. Call from the test.
    void Connect(receiver_sim::CommandConfig config = {}) {
        sim = std::make_unique<receiver_sim::CommandReceiver>(std::move(config));
        ASSERT_EQ(sim->Start(), 0);
        client = std::make_unique<RecordingClient>();
        client->SetAliveStepForTest(1);
        ASSERT_EQ(client->OpenConnect("127.0.0.1", {sim->Port()}, 5), 0);
        ASSERT_TRUE(client->IsConnected());
    }

    void TearDown() override {
        client.reset();
        if (sim) {
            EXPECT_TRUE(sim->Errors().empty()) << sim->Errors().front();
        }
        sim.reset();
    }

    // The only frame the receiver got since the last ClearFrames, with `code`.
    receiver_sim::SenderFrame OnlyFrame() {
        EXPECT_TRUE(sim->WaitForFrames(1));
        sim->Settle();
        auto frames = sim->Frames();
        EXPECT_EQ(frames.size(), 1u);
        return frames.empty() ? receiver_sim::SenderFrame{} : frames.front().frame;
    }

    // True when nothing reached the receiver since the last ClearFrames: a
    // later request must be the first frame it sees.
    bool NothingSent() {
        uint8_t status[2];
        EXPECT_EQ(client->GetDeviceStatus(status), 0);
        auto frames = sim->Frames();
        return !frames.empty() && frames.front().frame.code == 0x82;
    }

    std::unique_ptr<receiver_sim::CommandReceiver> sim;
    std::unique_ptr<RecordingClient> client;
};

}  // namespace cmdtest
