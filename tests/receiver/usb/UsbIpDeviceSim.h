// The simulated receiver's device side: the per-device data connections
// (normally TCP port 3240) on which a sender imports a device by bus id and
// then sends USB/IP requests that the receiver runs on the real device.
//
// Strict: the import request and every USB/IP request are checked against
// the wire format; a violation is recorded and ends that connection. The
// simulated devices answer IN transfers with scripted reports (per bus id and
// endpoint) or a counting pattern, take OUT data and confirm its length, and
// answer unlinks (the unlinked request then gets no reply of its own). The
// receiver can also be silent (reads, never replies), leave submits
// unanswered, send a reply for a request never made, or drop data
// connections. Replies carry 0x58 in the command's high byte.
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

class UsbIpDeviceSim {
public:
    UsbIpDeviceSim() = default;
    ~UsbIpDeviceSim();
    UsbIpDeviceSim(const UsbIpDeviceSim&) = delete;
    UsbIpDeviceSim& operator=(const UsbIpDeviceSim&) = delete;

    bool Start(const char* address = "127.0.0.1");
    void Stop();
    std::string PortText() const { return std::to_string(m_port); }

    void SetDevices(std::vector<SimUsbDevice> devices);
    // The next IN reply of `bus` on endpoint `ep` carries `data`.
    void QueueReport(const std::string& bus, uint8_t ep, std::vector<uint8_t> data);
    // Reads requests but answers none; or leaves import requests unanswered.
    void SetSilent(bool silent) { m_silent = silent; }
    void SetSilentImport(bool silent) { m_silentImport = silent; }
    // Leaves submits unanswered but answers unlinks.
    void SetSilentSubmits(bool silent) { m_silentSubmits = silent; }
    // After the next reply, sends one more for a seqnum no request had (the
    // replied one + 1000), with a body of six bytes.
    void SetStrayReply(bool stray) { m_stray = stray; }
    // Answers the next request with a header whose high byte is not 0x58.
    void SetBadReplyMark(bool bad) { m_badMark = bad; }
    // Closes every data connection, or the one of `bus`.
    void DropConnections();
    void DropConnection(const std::string& bus);

    // Waits until `n` imports (or USB/IP requests) have arrived in all.
    bool WaitForImports(size_t n, int timeoutMs = 10000);
    bool WaitForRequests(size_t n, int timeoutMs = 10000);
    std::vector<std::string> Imports();
    // OUT data received per bus id, in order.
    std::vector<uint8_t> OutData(const std::string& bus);
    std::vector<std::string> ProtocolErrors();

private:
    void Serve();
    void HandleConnection(int fd);
    bool Import(int fd, std::string* bus);
    bool Relay(int fd, const std::string& bus);
    void Error(const std::string& what);

    int m_listen = -1;
    uint16_t m_port = 0;
    std::thread m_acceptThread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_silent{false};
    std::atomic<bool> m_silentImport{false};
    std::atomic<bool> m_badMark{false};
    std::atomic<bool> m_silentSubmits{false};
    std::atomic<bool> m_stray{false};

    std::mutex m_lock;  // guards everything below
    std::condition_variable m_changed;
    std::vector<std::thread> m_connections;
    std::map<int, std::string> m_fds;  // open data connections and their bus ids
    std::vector<SimUsbDevice> m_devices;
    std::map<std::pair<std::string, uint8_t>, std::deque<std::vector<uint8_t>>> m_reports;
    std::vector<std::string> m_imports;
    size_t m_requests = 0;
    std::map<std::string, std::vector<uint8_t>> m_outData;
    std::vector<std::string> m_errors;
};

}  // namespace receiver_sim
