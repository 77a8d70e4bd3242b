// K7RMx64: serves a rectangle of the screen as a live ASF stream over MMS
// over HTTP, so that a receiver plays it from "mmsh://<sender>:<port>".
//
//   K7RMx64 x y width height port a b
//
// The port is listened on first, so that a port another program holds fails
// at once, before any encoder runs; players that connect while the encoder
// prepares the stream's header wait in the backlog and are served once it is
// in hand. The program ends on SIGTERM (or SIGINT), when the encoder ends,
// and when the program that started it is gone (it then has another parent):
// a screen stream never outlives its owner.
// Exit codes: 0 stopped, 2 bad arguments, 3 the encoder failed, 4 the port
// is taken.
// The option bytes a and b are accepted and not used.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/media_bind_address.h"
#include "vrxclientsdk/VRXClient/media/k7rm/AsfStreamReader.h"
#include "vrxclientsdk/VRXClient/media/k7rm/MmshServer.h"
#include "vrxclientsdk/VRXClient/media/k7rm/ScreenEncoder.h"

namespace {

constexpr int kExitStopped = 0;
constexpr int kExitUsage = 2;
constexpr int kExitEncoder = 3;
constexpr int kExitPort = 4;

// The loop looks at the stop flag at least this often.
constexpr int kPollMs = 100;
// The encoder must deliver the stream header within this time.
constexpr int kHeaderTimeoutMs = 10000;
// Smallest rectangle the encoder takes.
constexpr int kMinSide = 16;

volatile std::sig_atomic_t g_stop = 0;
// The owner that started this program.
pid_t g_owner = 0;

// True when the helper is to end: stopped, or its owner is gone.
bool Stopping() {
    if (::getppid() != g_owner) {
        g_stop = 1;
    }
    return g_stop != 0;
}

void OnStopSignal(int) {
    g_stop = 1;
}

bool ParseInt(const char* text, long low, long high, long* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) {
        return false;
    }
    *out = v;
    return true;
}

struct Arguments {
    ScreenRect rect;
    uint16_t port = 0;
};

bool ParseArguments(int argc, char** argv, Arguments* args) {
    if (argc != 8) {
        return false;
    }
    long v[7];
    const long limits[7][2] = {{0, 32767},    {0, 32767}, {kMinSide, 32767}, {kMinSide, 32767},
                               {1024, 65535}, {0, 255},   {0, 255}};
    for (int i = 0; i < 7; ++i) {
        if (!ParseInt(argv[i + 1], limits[i][0], limits[i][1], &v[i])) {
            return false;
        }
    }
    // The video encoder takes even sides only.
    args->rect = {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2] & ~1L),
                  static_cast<int>(v[3] & ~1L)};
    args->port = static_cast<uint16_t>(v[4]);
    return true;
}

// Reads what the encoder wrote; false at its end or on an error.
bool Drain(int fd, AsfStreamReader& reader) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            return !reader.Failed();
        }
        return false;  // end of the stream or a read error
    }
}

bool WaitForHeader(int fd, AsfStreamReader& reader) {
    for (int waited = 0; !reader.HasHeader() && waited < kHeaderTimeoutMs; waited += kPollMs) {
        if (Stopping()) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, kPollMs) > 0 && !Drain(fd, reader)) {
            return false;
        }
    }
    return reader.HasHeader();
}

}  // namespace

int main(int argc, char** argv) {
    g_owner = ::getppid();
    Arguments args;
    if (!ParseArguments(argc, argv, &args)) {
        std::fprintf(stderr, "usage: K7RMx64 x y width height port(1024-65535) a b\n");
        return kExitUsage;
    }
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);

    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fprintf(stderr, "K7RMx64: no DISPLAY to capture\n");
        return kExitEncoder;
    }
    MmshServer server;
    if (!server.Listen(platform::MediaBindAddress(), args.port)) {
        std::fprintf(stderr, "K7RMx64: cannot listen on port %u\n", args.port);
        return kExitPort;
    }
    std::string why;
    std::unique_ptr<ScreenEncoder> encoder = ScreenEncoder::Start(display, args.rect, &why);
    if (!encoder) {
        std::fprintf(stderr, "K7RMx64: %s\n", why.c_str());
        return kExitEncoder;
    }
    AsfStreamReader reader;
    if (!WaitForHeader(encoder->OutputFd(), reader)) {
        if (g_stop) {
            return kExitStopped;
        }
        std::fprintf(stderr, "K7RMx64: no stream from the encoder %s\n", reader.Failure().c_str());
        return kExitEncoder;
    }
    server.SetHeader(reader.Header());

    std::vector<pollfd> fds;
    std::string packet;
    while (!Stopping()) {
        fds.clear();
        fds.push_back(pollfd{encoder->OutputFd(), POLLIN, 0});
        server.AppendPollFds(fds);
        if (::poll(fds.data(), fds.size(), kPollMs) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const bool open = Drain(encoder->OutputFd(), reader);
            while (reader.NextPacket(packet)) {
                server.Broadcast(packet);
            }
            if (!open) {
                std::fprintf(stderr, "K7RMx64: the encoder ended %s\n", reader.Failure().c_str());
                return kExitEncoder;
            }
        }
        server.OnPoll(fds, 1);
    }
    return kExitStopped;
}
