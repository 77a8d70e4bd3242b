// The sender's side of mirroring for the demo and the benchmark: the
// capture pool with the X11 capturer, one image channel to the receiver,
// and a record of when each message was acknowledged.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vrxclientsdk/VRXClient/imagechannel/IBClient.h"

namespace bench {

class MirrorSender {
public:
    struct Ack {
        uint32_t serial;
        uint64_t atMs;  // platform::NowMs() when it arrived
    };

    MirrorSender();
    ~MirrorSender();
    MirrorSender(const MirrorSender&) = delete;
    MirrorSender& operator=(const MirrorSender&) = delete;

    // Connects to `address` on `ports` and starts mirroring `display` to a
    // devW x devH receiver picture with `coding` (2 LZO, 4 JPEG, 7 H.264).
    // False with the reason in *error.
    bool Start(const std::string& display, const std::string& address,
               const std::vector<uint16_t>& ports, int coding, int devW, int devH,
               std::string* error);
    void Stop();

    // Every acknowledgement so far, in arrival order.
    std::vector<Ack> Acks();
    double BytesSent();
    int FrameCount();

private:
    class Channel;
    std::unique_ptr<Channel> m_channel;
    bool m_poolAcquired = false;
};

}  // namespace bench
