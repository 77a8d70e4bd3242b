#include "bench/mirror_rig.h"

namespace bench {

bool MirrorRig::Start(const BenchOptions& o, bool withReceiver, std::string* error) {
    m_display = o.display;
    if (m_display.empty()) {
        m_xvfb = std::make_unique<testsupport::XvfbServer>(std::to_string(o.width) + "x" +
                                                           std::to_string(o.height) + "x24");
        if (!m_xvfb->Ok()) {
            *error = "Xvfb did not start";
            return false;
        }
        m_display = m_xvfb->Display();
    }
    if (!m_scene.Start(m_display, o.scene, o.width, o.height)) {
        *error = "cannot draw on " + m_display;
        return false;
    }
    if (!withReceiver) {
        return true;
    }
    if (!o.receiver.empty()) {
        // A real receiver takes the image channel on 515, else 8080.
        m_address = o.receiver;
        m_ports = {515, 8080};
        return true;
    }
    if (!m_receiver.Start(o.width, o.height)) {
        *error = "the receiver simulator did not start";
        return false;
    }
    m_simulator = true;
    m_ports = {m_receiver.Port()};
    return true;
}

}  // namespace bench
