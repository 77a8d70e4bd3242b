// The process's local web servers, one per port, shared by every
// VideoFileStream of the process and counted per port.
//
// A stream takes a reference when it starts serving on a port and drops it
// when it shuts down, so one client's shutdown never stops a server another
// client still uses. The module stops all of its servers at once, so the
// servers are shut down (and their threads joined) when the last reference of
// the process is dropped; a port whose count fell to 0 meanwhile is reused by
// the next stream that asks for it.
//
// THREADING: every operation takes the registry's lock; a start waits under
// it until the new server listens.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "vrxclientsdk/VRXClient/media/HWKStream.h"

class HwkServerRegistry {
public:
    // The registry of the process.
    static HwkServerRegistry& Instance();

    HwkServerRegistry() = default;
    ~HwkServerRegistry();
    HwkServerRegistry(const HwkServerRegistry&) = delete;
    HwkServerRegistry& operator=(const HwkServerRegistry&) = delete;

    // Takes a reference on the server of `port`, starting it when none runs
    // there. 0, or the start's code, whose error is copied into `caller`.
    int Acquire(uint16_t port, QKErrorHandler& caller);
    // Drops a reference on `port`. The last reference of the process shuts
    // every server down; a shutdown failure is copied into `caller`.
    int Release(uint16_t port, QKErrorHandler& caller);

    // References held on `port`, and on all ports together.
    int UseCount(uint16_t port) const;
    int TotalUseCount() const;

private:
    struct Entry {
        int count = 0;
        std::unique_ptr<HWKStream> server;
    };
    int TotalLocked() const;

    mutable std::mutex m_lock;
    std::map<uint16_t, Entry> m_servers;
};
