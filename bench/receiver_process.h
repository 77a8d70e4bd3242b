// The receiver simulator's image side run in a child process, so that its
// decoding never counts as the sender's CPU time. It acknowledges every
// message at once; at the end it hands back what it received and its canvas.
//
// Start() before the process starts threads (it forks).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/receiver/image/Canvas.h"
#include "tests/receiver/image/ImageMessageParser.h"

namespace bench {

class ReceiverProcess {
public:
    struct Result {
        std::vector<receiver::ImageBlockHeader> messages;
        receiver::Canvas canvas;
        std::string error;  // the simulator's first protocol complaint
    };

    ReceiverProcess() = default;
    ~ReceiverProcess();
    ReceiverProcess(const ReceiverProcess&) = delete;
    ReceiverProcess& operator=(const ReceiverProcess&) = delete;

    // Starts a receiver of a width x height picture on a loopback port.
    bool Start(int width, int height);
    uint16_t Port() const { return m_port; }

    // Ends the receiver and collects what it got; false when the child died.
    bool Finish(Result* result);

private:
    pid_t m_pid = -1;
    int m_toChild = -1;
    int m_fromChild = -1;
    uint16_t m_port = 0;
};

}  // namespace bench
