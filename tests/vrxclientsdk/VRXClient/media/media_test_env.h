// Surroundings of the media-stream tests: which modules are found, the
// loopback-only bind address of the media servers, files to publish and
// free ports to serve on.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <fstream>
#include <random>
#include <string>

#include "platform/media_bind_address.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/TempDir.h"

namespace mediatest {

// Points PEMU_MODULE_PATH at one folder and binds the media servers to
// 127.0.0.1 for the scope.
class ScopedMediaEnvironment {
public:
    explicit ScopedMediaEnvironment(const std::string& moduleDir) {
        ::setenv("PEMU_MODULE_PATH", moduleDir.c_str(), 1);
        ::setenv(platform::kMediaBindAddressVariable, "127.0.0.1", 1);
    }
    ~ScopedMediaEnvironment() {
        ::unsetenv("PEMU_MODULE_PATH");
        ::unsetenv(platform::kMediaBindAddressVariable);
    }
    ScopedMediaEnvironment(const ScopedMediaEnvironment&) = delete;
    ScopedMediaEnvironment& operator=(const ScopedMediaEnvironment&) = delete;
};

// Writes `size` pseudo-random bytes (all 256 values occur) to `path`.
inline std::string WriteRandomFile(const std::string& path, size_t size, unsigned seed = 7) {
    std::mt19937 rng(seed);
    std::string bytes(size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(rng() & 0xFF);
    }
    std::ofstream(path, std::ios::binary) << bytes;
    return bytes;
}

inline uint16_t FreePort() {
    return testsupport::LoopbackPeer::ClosedPort();
}

inline std::string LocalUrl(uint16_t port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace mediatest
