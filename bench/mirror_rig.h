// What every bench program sets up before it measures: the X screen (a
// private Xvfb unless --display names one), the scene playing on it, and,
// when asked for, the receiver simulator (unless --receiver names a real
// receiver). Start() before the process starts threads (it forks).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_options.h"
#include "bench/receiver_process.h"
#include "bench/scene_player.h"
#include "tests/support/XvfbServer.h"

namespace bench {

class MirrorRig {
public:
    // False with the reason in *error.
    bool Start(const BenchOptions& options, bool withReceiver, std::string* error);

    const std::string& Display() const { return m_display; }
    // Where the sender connects: the simulator on loopback, or the external receiver.
    const std::string& Address() const { return m_address; }
    const std::vector<uint16_t>& Ports() const { return m_ports; }
    bool UsesSimulator() const { return m_simulator; }

    ScenePlayer& Scene() { return m_scene; }
    ReceiverProcess& Receiver() { return m_receiver; }

private:
    std::unique_ptr<testsupport::XvfbServer> m_xvfb;
    std::string m_display;
    ScenePlayer m_scene;
    ReceiverProcess m_receiver;
    bool m_simulator = false;
    std::string m_address = "127.0.0.1";
    std::vector<uint16_t> m_ports;
};

}  // namespace bench
