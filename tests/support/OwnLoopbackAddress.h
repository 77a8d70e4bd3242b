// A loopback address of this test process's own, made of its process id, so
// that a fixed port on it is never shared with another test process. The
// second octet is `secondOctetBase` plus the id's bits above 16 (masked by
// `highMask`), the last two octets are its low 16 bits.
#pragma once

#include <unistd.h>

#include <string>

namespace testsupport {

inline std::string OwnLoopbackAddress(unsigned secondOctetBase, unsigned highMask = 0x3f) {
    const unsigned pid = static_cast<unsigned>(::getpid());
    return "127." + std::to_string(secondOctetBase + ((pid >> 16) & highMask)) + "." +
           std::to_string((pid >> 8) & 0xff) + "." + std::to_string(pid & 0xff);
}

}  // namespace testsupport
