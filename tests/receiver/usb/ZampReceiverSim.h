// The simulated receiver's USB side: the ZAMP command channel (normally TCP
// port 6000) as a strict peer.
//
// It listens on a loopback address, takes one sender at a time, checks every
// message the sender writes against the wire format (magic, version, code,
// status, length, body), and answers the sender's requests as scripted:
// a reply with a chosen status, a reply held back until the test releases it,
// or no reply. It offers a list of devices and sends the receiver's own
// requests (export, unexport, keep-alive) and raw bytes on demand. A message
// that breaks the rules is recorded as a protocol error and ends the
// connection. All waits of the test side are bounded.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/usb/ZampWire.h"

namespace receiver_sim {

class ZampReceiverSim {
public:
    // What the receiver does with the next request of one code.
    struct Action {
        enum Kind { kReply, kHold, kDrop };
        Kind kind = kReply;
        uint32_t status = 0;
        // The reply's code; 0 means the request's own reply code.
        uint16_t replyCode = 0;
    };

    // One message the sender wrote.
    struct Message {
        uint16_t code = 0;
        uint32_t status = 0;
        uint32_t length = 0;
        std::vector<uint8_t> body;
    };

    ZampReceiverSim() = default;
    ~ZampReceiverSim();
    ZampReceiverSim(const ZampReceiverSim&) = delete;
    ZampReceiverSim& operator=(const ZampReceiverSim&) = delete;

    // Listens on `address` (loopback), port chosen by the system. False on
    // failure.
    bool Start(const char* address = "127.0.0.1");
    void Stop();
    uint16_t Port() const { return m_port; }
    std::string PortText() const { return std::to_string(m_port); }

    // Queues the action for the next request with `requestCode`; without a
    // queued action a request is answered with status 0.
    void Script(uint16_t requestCode, Action action);
    void SetDevices(std::vector<SimUsbDevice> devices);
    // How the length field of the device lists and export requests it sends
    // is written (receivers differ).
    void SetLengthReading(zampwire::LengthReading reading) { m_reading = reading; }
    // Sends every held reply.
    void ReleaseHeld();

    // Receiver-side messages; false when no sender is connected or the send
    // failed. SendRaw writes in pieces of `chunk` bytes (0: all at once).
    bool SendExport(const SimUsbDevice& device);
    bool SendUnexport(const SimUsbDevice& device);
    bool SendKeepAliveRequest();
    bool SendRaw(const std::vector<uint8_t>& bytes, size_t chunk = 0);
    // Closes the sender's connection (an orderly close).
    void CloseClient();

    // Waits up to `timeoutMs` until the sender has written `n` messages in all
    // (or `n` of one code).
    bool WaitForMessages(size_t n, int timeoutMs = 10000);
    bool WaitForCount(uint16_t code, size_t n, int timeoutMs = 10000);
    // Waits until a sender is connected, or until none is.
    bool WaitForClient(int timeoutMs = 10000);
    bool WaitForDisconnect(int timeoutMs = 10000);

    std::vector<Message> Messages();
    size_t CountOf(uint16_t code);
    std::vector<std::string> ProtocolErrors();
    int Connections() const { return m_connections.load(); }

private:
    void Serve();
    void HandleClient(int fd);
    // Checks and answers the messages buffered in `in`; false ends the
    // connection.
    bool Consume(std::vector<uint8_t>& in);
    bool Answer(const Message& m);
    bool SendLocked(const std::vector<uint8_t>& bytes, size_t chunk);
    bool Send(const std::vector<uint8_t>& bytes, size_t chunk = 0);
    void Error(const std::string& what);

    int m_listen = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_connections{0};
    std::atomic<zampwire::LengthReading> m_reading{zampwire::LengthReading::kLeavesOutLeadingWord};

    std::mutex m_sendLock;  // guards m_client and writes to it
    int m_client = -1;

    std::mutex m_lock;  // guards everything below
    std::condition_variable m_changed;
    std::map<uint16_t, std::deque<Action>> m_script;
    std::vector<SimUsbDevice> m_devices;
    std::vector<std::vector<uint8_t>> m_held;
    std::vector<Message> m_messages;
    std::vector<std::string> m_errors;
    bool m_connected = false;
};

}  // namespace receiver_sim
