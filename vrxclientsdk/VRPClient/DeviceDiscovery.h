// DeviceDiscovery: finds the receivers on the local network.
//
// One run sends the 4-byte query "VRPS" from each UDP port of a range, in
// turn, to the limited broadcast address and to the directed broadcast
// address of every local subnet, and collects the 128-byte "QKPP" records
// that receivers answer with. It drops what is not a valid record, repeats of
// an address already accepted and answers from outside every local subnet.
//
// The object is a short-lived helper of the command channel: it works on the
// caller's thread and keeps its error state and log lines on the owner (the
// command channel's error object and logger). It opens no TCP connection.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "vrxclientsdk/VRPClient/DevAnnounce.h"
#include "vrxclientsdk/VRPClient/QKErrorHandler.h"

class DeviceDiscovery {
public:
    // `owner` receives the error state and supplies the logger; it must
    // outlive this object.
    explicit DeviceDiscovery(QKErrorHandler& owner) : m_owner(owner) {}
    DeviceDiscovery(const DeviceDiscovery&) = delete;
    DeviceDiscovery& operator=(const DeviceDiscovery&) = delete;

    // Runs one discovery for up to `timeoutSeconds` on the calling thread and
    // returns 0, or a negative error code (also set on the owner):
    // -6528104 when no port from `firstPort` to `lastPort` can be bound,
    // minus the system error when a socket cannot be created or the poll
    // fails. `vecDevAnnounce` is emptied first and holds the accepted records,
    // converted with DevAnnounceToHost, in the order they arrived; records
    // accepted before a failure stay in it. With `firstOnly` the run ends at
    // the first accepted record. `cancel` (may be null) is read once per pass;
    // another thread sets it to end the run, which then returns 0. While
    // idle the thread's window messages are pumped. At most 64 ports are used.
    int DeviceDiscover(std::vector<DevAnnounce>& vecDevAnnounce, const std::atomic<bool>* cancel,
                       bool firstOnly, uint16_t firstPort, uint16_t lastPort, int timeoutSeconds);

private:
    QKErrorHandler& m_owner;
};
