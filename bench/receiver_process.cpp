#include "bench/receiver_process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/receiver/image/ImageReceiver.h"

namespace bench {

namespace {

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    char* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

[[noreturn]] void Serve(int width, int height, int in, int out) {
    receiver::ImageReceiver::Options options;
    options.width = width;
    options.height = height;
    receiver::ImageReceiver rx(options);
    uint16_t port = 0;
    if (rx.Start()) {
        port = rx.Port();
    }
    WriteAll(out, &port, sizeof port);
    char stop = 0;
    [[maybe_unused]] ssize_t n = read(in, &stop, 1);  // until the parent is done
    const std::vector<receiver::ImageReceiver::Received> messages = rx.Messages();
    const uint64_t count = messages.size();
    WriteAll(out, &count, sizeof count);
    for (const auto& m : messages) {
        WriteAll(out, &m.header, sizeof m.header);
    }
    const receiver::Canvas canvas = rx.CanvasCopy();
    const int32_t size[2] = {canvas.Width(), canvas.Height()};
    WriteAll(out, size, sizeof size);
    WriteAll(out, canvas.Pixels().data(), canvas.Pixels().size());
    const std::string error = rx.Error();
    const uint64_t errorLength = error.size();
    WriteAll(out, &errorLength, sizeof errorLength);
    WriteAll(out, error.data(), error.size());
    _exit(0);
}

}  // namespace

ReceiverProcess::~ReceiverProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (m_toChild >= 0) {
        close(m_toChild);
    }
    if (m_fromChild >= 0) {
        close(m_fromChild);
    }
}

bool ReceiverProcess::Start(int width, int height) {
    int down[2], up[2];
    if (pipe(down) != 0) {
        return false;
    }
    if (pipe(up) != 0) {
        close(down[0]);
        close(down[1]);
        return false;
    }
    m_pid = fork();
    if (m_pid == 0) {
        close(down[1]);
        close(up[0]);
        Serve(width, height, down[0], up[1]);
    }
    close(down[0]);
    close(up[1]);
    m_toChild = down[1];
    m_fromChild = up[0];
    return m_pid > 0 && ReadAll(m_fromChild, &m_port, sizeof m_port) && m_port != 0;
}

bool ReceiverProcess::Finish(Result* result) {
    const char stop = 1;
    if (!WriteAll(m_toChild, &stop, 1)) {
        return false;
    }
    uint64_t count = 0;
    if (!ReadAll(m_fromChild, &count, sizeof count)) {
        return false;
    }
    result->messages.resize(count);
    for (auto& header : result->messages) {
        if (!ReadAll(m_fromChild, &header, sizeof header)) {
            return false;
        }
    }
    int32_t size[2] = {0, 0};
    if (!ReadAll(m_fromChild, size, sizeof size)) {
        return false;
    }
    result->canvas = receiver::Canvas(size[0], size[1]);
    std::vector<uint8_t> pixels(static_cast<size_t>(size[0]) * size[1] * 4);
    if (!ReadAll(m_fromChild, pixels.data(), pixels.size())) {
        return false;
    }
    result->canvas.Put(0, 0, size[0], size[1], pixels.data(), static_cast<size_t>(size[0]) * 4);
    uint64_t errorLength = 0;
    if (!ReadAll(m_fromChild, &errorLength, sizeof errorLength) || errorLength > 4096) {
        return false;
    }
    result->error.resize(errorLength);
    if (!ReadAll(m_fromChild, result->error.data(), errorLength)) {
        return false;
    }
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return true;
}

}  // namespace bench
