#include "tests/receiver/image/ImageReceiver.h"

#include "platform/byte_order.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace receiver {
namespace {

constexpr uint8_t kHandshake[12] = {'v', 'r', 'p', 'i', 'b', 0, 0, 0x10, 0, 0, 0, 0};
// How often the thread looks at its stop flag and at withheld acknowledgements.
constexpr int kPollMs = 5;

}  // namespace

ImageReceiver::ImageReceiver(Options options)
    : m_options(options),
      m_canvas(options.width, options.height),
      m_lzo(BlockDecoder::CreateLzo(options.rgb565)),
      m_jpeg(BlockDecoder::CreateJpeg()),
      m_h264(BlockDecoder::CreateH264()) {}

ImageReceiver::~ImageReceiver() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
    if (m_listenFd >= 0) {
        ::close(m_listenFd);
    }
}

bool ImageReceiver::Start() {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        return false;
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    if (::inet_pton(AF_INET, m_options.bindAddress, &a.sin_addr) != 1) {
        return false;
    }
    socklen_t len = sizeof a;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(m_listenFd, 4) != 0 ||
        ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        return false;
    }
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { Run(); });
    return true;
}

void ImageReceiver::Run() {
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_stop) {
                return;
            }
        }
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) <= 0) {
            continue;
        }
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        // Acknowledgements are a few bytes each: without this, Nagle's
        // algorithm holds them back while earlier ones are unacknowledged.
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Serve(fd);
        ::close(fd);
    }
}

void ImageReceiver::Serve(int fd) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        ++m_connections;
        m_connected = true;
        m_withheld.clear();
        m_release = 0;
    }
    if (m_options.sendHandshake) {
        ::send(fd, kHandshake, sizeof kHandshake, MSG_NOSIGNAL);
    }
    ImageMessageParser parser(m_options.expectSenderId);
    if (m_options.continuedSerials) {
        parser.AllowContinuedSerial();
    }
    std::vector<uint8_t> chunk(256 * 1024);
    for (;;) {
        bool reading;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            if (m_stop || m_drop) {
                m_drop = false;
                break;
            }
            while (m_release > 0 && !m_withheld.empty()) {
                const uint32_t serial = m_withheld.front();
                m_withheld.pop_front();
                --m_release;
                guard.unlock();
                SendAck(fd, serial);
                guard.lock();
            }
            reading = m_reading;
        }
        pollfd p{fd, static_cast<short>(reading ? POLLIN : 0), 0};
        if (::poll(&p, 1, kPollMs) < 0) {
            break;
        }
        if (!reading || !(p.revents & (POLLIN | POLLHUP | POLLERR))) {
            continue;
        }
        const ssize_t n = ::recv(fd, chunk.data(), chunk.size(), 0);
        if (n <= 0) {
            break;
        }
        parser.Append(chunk.data(), static_cast<size_t>(n));
        bool ok = true;
        while (ok) {
            const ImageMessageParser::Item item = parser.Next();
            if (item == ImageMessageParser::Item::kNeedMore) {
                break;
            }
            ok = HandleItem(item, parser, fd);
        }
        if (!ok) {
            break;
        }
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_connected = false;
    }
    m_changed.notify_all();
}

bool ImageReceiver::HandleItem(ImageMessageParser::Item item, ImageMessageParser& parser, int fd) {
    if (item == ImageMessageParser::Item::kError) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_error.empty()) {
            m_error = parser.Error();
        }
        m_changed.notify_all();
        return false;
    }
    if (item == ImageMessageParser::Item::kSenderId) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_key = parser.SenderKey();
        return true;
    }
    const ImageBlockHeader& h = parser.Header();
    BlockDecoder* decoder = h.encoding == 2   ? m_lzo.get()
                            : h.encoding == 4 ? m_jpeg.get()
                                              : m_h264.get();
    Received r;
    r.header = h;
    std::string failure;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        failure = decoder ? decoder->Decode(h, parser.Payload(), m_canvas, &r.keyFrame)
                          : "no decoder for encoding " + std::to_string(h.encoding);
        if (!failure.empty()) {
            if (m_error.empty()) {
                m_error = "message " + std::to_string(h.serial) + ": " + failure;
            }
        } else {
            if (m_options.keepPayloads) {
                r.payload.assign(reinterpret_cast<const char*>(parser.Payload()), h.length);
            }
            m_messages.push_back(std::move(r));
        }
    }
    m_changed.notify_all();
    if (!failure.empty()) {
        return false;
    }
    AckMode mode;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        mode = m_ackMode;
        if (mode == AckMode::kManual) {
            m_withheld.push_back(h.serial);
        }
    }
    if (mode == AckMode::kImmediate) {
        SendAck(fd, h.serial);
    }
    return true;
}

void ImageReceiver::SetAckMode(AckMode mode) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_ackMode = mode;
}

void ImageReceiver::ReleaseAcks(size_t count) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_release += count;
}

size_t ImageReceiver::WithheldAcks() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_withheld.size();
}

void ImageReceiver::SetReading(bool on) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_reading = on;
}

void ImageReceiver::DropConnection() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_drop = m_connected;
}

bool ImageReceiver::WaitForMessages(size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return m_messages.size() >= count || !m_error.empty();
    }) && m_messages.size() >= count;
}

bool ImageReceiver::WaitForDisconnect(int timeoutMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                              [&] { return !m_connected; });
}

std::vector<ImageReceiver::Received> ImageReceiver::Messages() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_messages;
}

size_t ImageReceiver::MessageCount() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_messages.size();
}

Canvas ImageReceiver::CanvasCopy() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_canvas;
}

std::array<uint8_t, 4> ImageReceiver::SenderKey() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_key;
}

size_t ImageReceiver::Connections() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_connections;
}

std::string ImageReceiver::Error() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_error;
}

void ImageReceiver::SendAck(int fd, uint32_t serial) {
    uint8_t frame[12] = {'v', 'r', 'p', 'i', 'b', 0, 0, 0x10};
    platform::PutU32BE(frame + 8, serial);
    ::send(fd, frame, sizeof frame, MSG_NOSIGNAL);
}

}  // namespace receiver
