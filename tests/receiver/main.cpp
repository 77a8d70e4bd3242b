// receiver-sim: the simulated receiver as a program, for trying the sender by
// hand. It starts the sides asked for on the command line, logs every frame
// of the command channel to stderr and runs until interrupted.
//
// Each side has its options below and a step in StartSides(); a side added
// later (media, input, sender server) adds both.
#include <arpa/inet.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/receiver/command/CommandReceiver.h"
#include "tests/receiver/command/CommandWire.h"
#include "tests/receiver/conference/ConferenceReply.h"
#include "tests/receiver/discovery/UdpAnnouncer.h"
#include "tests/receiver/image/CanvasPng.h"
#include "tests/receiver/image/ImageReceiver.h"
#include "tests/receiver/sender/SenderAnnouncement.h"
#include "tests/receiver/sender/SenderQuery.h"
#include "tests/receiver/sender/SenderServerPeer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;  // the main loop does the rest
}

struct Options {
    std::string bind = "127.0.0.1";
    uint16_t commandPort = 3268;
    uint16_t version = 0x0130;
    std::string loginCode = "6049";
    std::string name = "Simulated receiver";
    receiver_sim::CapabilityBlock caps;
    receiver_sim::HandshakeMode handshake = receiver_sim::HandshakeMode::kNormal;
    bool answerKeepAlive = true;
    bool quiet = false;
    std::vector<uint16_t> discoveryPorts;  // empty: no discovery side
    bool image = false;
    std::string findSenders;  // ask this address for senders, then end
    std::string toSender;     // connect to the sender server at this address
    std::string picture;      // write the decoded picture here at the end
    bool senderId = false;    // the image stream starts with the sender's id
    int conference = 0;       // senders in the conference answer; 0: none
};

void Usage(FILE* out) {
    std::fprintf(
        out,
        "usage: receiver-sim [options]\n"
        "  --bind ADDR          IPv4 address to listen on (127.0.0.1)\n"
        "  --command-port N     command channel port, 0 for any free one (3268)\n"
        "  --version V          device protocol version, e.g. 0x130\n"
        "  --login-code CODE    login code the receiver accepts (6049)\n"
        "  --name NAME          receiver name in its record\n"
        "  --codings LIST       image codings it lists, e.g. 2,4,7 (empty: none)\n"
        "  --fbf B --fbf2 B --fbf3 B   capability bytes\n"
        "  --screen WxH         screen size it reports (1920x1080)\n"
        "  --handshake MODE     normal, split, wrong or silent\n"
        "  --no-keepalive       never answer a keep-alive after the handshake\n"
        "  --discovery PORTS    also answer discovery on these UDP ports (1047,1048,1049)\n"
        "  --conference N       answer forwarded messages with a conference of N senders (1-4)\n"
        "  --image              also start the image side on a free port of --bind\n"
        "  --picture FILE       with --image: write the decoded picture as PNG at the end\n"
        "  --sender-id          with --image: the stream starts with the sender's id, and a\n"
        "                       new connection may go on with the serials (the client facade)\n"
        "  --find-senders ADDR  send the sender query to ADDR (UDP 11047-11049), print\n"
        "                       the answers and end\n"
        "  --to-sender ADDR     connect to the sender server at ADDR (16121, 16120,\n"
        "                       16122) from --bind and log in with --login-code\n"
        "  --quiet              do not log frames\n");
}

bool ParseNumber(const char* text, unsigned long max, unsigned long* out) {
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v > max) {
        return false;
    }
    *out = v;
    return true;
}

bool ParseList(const char* text, unsigned long max, std::vector<unsigned long>* out) {
    out->clear();
    std::string s = text;
    size_t at = 0;
    while (at < s.size()) {
        size_t comma = s.find(',', at);
        std::string item =
            s.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        unsigned long v;
        if (!ParseNumber(item.c_str(), max, &v)) {
            return false;
        }
        out->push_back(v);
        if (comma == std::string::npos) {
            break;
        }
        at = comma + 1;
    }
    return true;
}

// Returns false (after a message) on a bad command line.
bool ParseOptions(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "receiver-sim: %s needs a value\n", arg.c_str());
                return nullptr;
            }
            return argv[++i];
        };
        unsigned long n = 0;
        std::vector<unsigned long> list;
        const char* v = nullptr;
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            std::exit(0);
        } else if (arg == "--quiet") {
            o->quiet = true;
        } else if (arg == "--image") {
            o->image = true;
        } else if (arg == "--sender-id") {
            o->senderId = true;
        } else if (arg == "--no-keepalive") {
            o->answerKeepAlive = false;
        } else if (!(v = value())) {
            return false;
        } else if (arg == "--bind") {
            in_addr a;
            if (::inet_pton(AF_INET, v, &a) != 1) {
                std::fprintf(stderr, "receiver-sim: --bind needs an IPv4 address\n");
                return false;
            }
            o->bind = v;
        } else if (arg == "--command-port" && ParseNumber(v, 65535, &n)) {
            o->commandPort = static_cast<uint16_t>(n);
        } else if (arg == "--version" && ParseNumber(v, 0xffff, &n)) {
            o->version = static_cast<uint16_t>(n);
        } else if (arg == "--login-code" && std::strlen(v) <= 8) {
            o->loginCode = v;
        } else if (arg == "--picture") {
            o->picture = v;
        } else if (arg == "--name") {
            o->name = v;
        } else if (arg == "--codings" && ParseList(v, 255, &list) && list.size() <= 255) {
            o->caps.codings.assign(list.begin(), list.end());
        } else if (arg == "--fbf" && ParseNumber(v, 255, &n)) {
            o->caps.fbf = static_cast<uint8_t>(n);
        } else if (arg == "--fbf2" && ParseNumber(v, 255, &n)) {
            o->caps.fbf2 = static_cast<uint8_t>(n);
        } else if (arg == "--fbf3" && ParseNumber(v, 255, &n)) {
            o->caps.fbf3 = static_cast<uint8_t>(n);
        } else if (arg == "--screen") {
            unsigned w = 0, h = 0;
            if (std::sscanf(v, "%ux%u", &w, &h) != 2 || w == 0 || h == 0 || w > 65535 ||
                h > 65535) {
                std::fprintf(stderr, "receiver-sim: --screen needs WIDTHxHEIGHT\n");
                return false;
            }
            o->caps.width = o->caps.imageWidth = static_cast<uint16_t>(w);
            o->caps.height = o->caps.imageHeight = static_cast<uint16_t>(h);
        } else if (arg == "--handshake") {
            const std::string mode = v;
            using receiver_sim::HandshakeMode;
            if (mode == "normal") {
                o->handshake = HandshakeMode::kNormal;
            } else if (mode == "split") {
                o->handshake = HandshakeMode::kSplit;
            } else if (mode == "wrong") {
                o->handshake = HandshakeMode::kWrong;
            } else if (mode == "silent") {
                o->handshake = HandshakeMode::kSilent;
            } else {
                std::fprintf(stderr, "receiver-sim: unknown handshake mode %s\n", v);
                return false;
            }
        } else if (arg == "--find-senders" || arg == "--to-sender") {
            in_addr a;
            if (::inet_pton(AF_INET, v, &a) != 1) {
                std::fprintf(stderr, "receiver-sim: %s needs an IPv4 address\n", arg.c_str());
                return false;
            }
            (arg == "--find-senders" ? o->findSenders : o->toSender) = v;
        } else if (arg == "--conference" && ParseNumber(v, 4, &n) && n > 0) {
            o->conference = static_cast<int>(n);
        } else if (arg == "--discovery" && ParseList(v, 65535, &list) && !list.empty()) {
            o->discoveryPorts.assign(list.begin(), list.end());
        } else {
            std::fprintf(stderr, "receiver-sim: bad option or value: %s %s\n", arg.c_str(), v);
            Usage(stderr);
            return false;
        }
    }
    return true;
}

// The running sides; each member is empty when its side was not asked for.
struct Sides {
    std::unique_ptr<receiver::ImageReceiver> image;
    std::unique_ptr<receiver_sim::CommandReceiver> command;
    std::unique_ptr<receiver_sim::UdpAnnouncer> discovery;
};

bool StartSides(const Options& o, Sides* sides) {
    uint16_t imagePort = 515;
    if (o.image) {
        receiver::ImageReceiver::Options io;
        io.width = o.caps.width;
        io.height = o.caps.height;
        io.bindAddress = o.bind.c_str();
        // A sender above 0x11B opens each image connection with its SenderId;
        // --sender-id asks for it whatever the version.
        io.expectSenderId = o.senderId || o.version > 0x011B;
        // A sender that re-opened a lost connection goes on with its serials.
        io.continuedSerials = true;
        sides->image = std::make_unique<receiver::ImageReceiver>(io);
        if (!sides->image->Start()) {
            std::fprintf(stderr, "receiver-sim: the image side cannot start\n");
            return false;
        }
        imagePort = sides->image->Port();
        std::fprintf(stderr, "receiver-sim: image side on %s:%u\n", o.bind.c_str(), imagePort);
    }

    receiver_sim::ReceiverAnnouncement record;
    record.ipv4 = o.bind;
    record.name = o.name;
    record.imagePort = imagePort;
    record.protocolVersion = o.version;

    receiver_sim::CommandConfig cc;
    cc.bindAddress = o.bind;
    cc.port = o.commandPort;
    cc.protocolVersion = o.version;
    cc.capabilities = o.caps;
    cc.loginCode = o.loginCode;
    cc.handshake = o.handshake;
    cc.answerKeepAlive = o.answerKeepAlive;
    cc.log = o.quiet ? nullptr : stderr;
    cc.record = record;
    sides->command = std::make_unique<receiver_sim::CommandReceiver>(cc);
    if (int rc = sides->command->Start(); rc < 0) {
        std::fprintf(stderr, "receiver-sim: command side on %s:%u: %s\n", o.bind.c_str(),
                     o.commandPort, std::strerror(-rc));
        return false;
    }
    // The record announces the port actually bound.
    record.commandPort = sides->command->Port();
    if (o.conference > 0) {
        sides->command->SetReply(receiver_sim::wire::kForwardMessage,
                                 receiver_sim::Reply::Answer(receiver_sim::ConferenceAnswer(
                                     receiver_sim::SampleConference(o.conference))));
    }

    if (!o.discoveryPorts.empty()) {
        receiver_sim::AnnouncerConfig ac;
        ac.bindAddress = o.bind;
        ac.ports = o.discoveryPorts;
        ac.record = record.Encode();
        sides->discovery = std::make_unique<receiver_sim::UdpAnnouncer>(ac);
        if (int rc = sides->discovery->Start(); rc < 0) {
            std::fprintf(stderr, "receiver-sim: discovery side: %s\n", std::strerror(-rc));
            return false;
        }
        std::fprintf(stderr, "receiver-sim: answering discovery on %s\n", o.bind.c_str());
    }
    return true;
}

// Sends the sender query to each port and prints what answers. 0 when at
// least one sender answered.
int FindSenders(const Options& o) {
    receiver_sim::SenderQuery query(o.bind);
    if (!query.Ok()) {
        std::fprintf(stderr, "receiver-sim: no UDP socket on %s\n", o.bind.c_str());
        return 1;
    }
    int answers = 0;
    for (uint16_t port = 11047; port <= 11049; ++port) {
        query.SendQuery(o.findSenders, port);
    }
    while (auto answer = query.Receive(1000)) {
        receiver_sim::SenderAnnouncement a;
        std::string error;
        if (!receiver_sim::SenderAnnouncement::Decode(answer->bytes, &a, &error)) {
            std::fprintf(stderr, "receiver-sim: port %u: %s\n", answer->fromPort, error.c_str());
            continue;
        }
        ++answers;
        std::printf("port %u: \"%s\" ports %u/%u/%u state %u no-code %u receiver %08X\n",
                    answer->fromPort, a.name.c_str(), a.commandPort, a.imagePort, a.thirdPort,
                    a.clientState, a.noLoginCode, a.receiverAddress);
    }
    return answers > 0 ? 0 : 1;
}

// Plays the receiver that connects to a sender server and logs in; runs
// until interrupted.
int ToSender(const Options& o) {
    receiver_sim::SenderServerPeer::Config config;
    config.localAddress = o.bind;
    config.senderAddress = o.toSender;
    config.command.bindAddress = o.bind;
    config.command.protocolVersion = o.version;
    config.command.capabilities = o.caps;
    config.command.record.ipv4 = o.bind;
    config.command.record.name = o.name;
    config.command.log = o.quiet ? nullptr : stderr;
    receiver_sim::SenderServerPeer peer(config);
    if (int rc = peer.ConnectCommand(16121); rc < 0) {
        std::fprintf(stderr, "receiver-sim: command connection: %s\n", std::strerror(-rc));
        return 1;
    }
    for (uint16_t port : {16120, 16122}) {
        if (int rc = peer.ConnectRaw(port); rc < 0) {
            std::fprintf(stderr, "receiver-sim: connection to %u: %s\n", port, std::strerror(-rc));
        }
    }
    peer.SendLogin(o.loginCode);
    std::fprintf(stderr, "receiver-sim: login result %d\n", peer.WaitLoginResult());
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return peer.Command().Errors().empty() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        return 2;
    }
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);

    if (!options.findSenders.empty()) {
        return FindSenders(options);
    }
    if (!options.toSender.empty()) {
        return ToSender(options);
    }
    Sides sides;
    if (!StartSides(options, &sides)) {
        return 1;
    }
    std::fprintf(stderr, "receiver-sim: running; interrupt to stop\n");
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (const std::string& e : sides.command->Errors()) {
        std::fprintf(stderr, "receiver-sim: protocol error: %s\n", e.c_str());
    }
    bool clean = sides.command->Errors().empty();
    if (sides.image) {
        std::fprintf(stderr, "receiver-sim: %zu image messages decoded on %zu connections\n",
                     sides.image->MessageCount(), sides.image->Connections());
        if (!sides.image->Error().empty()) {
            std::fprintf(stderr, "receiver-sim: image protocol error: %s\n",
                         sides.image->Error().c_str());
            clean = false;
        }
    }
    if (sides.image && !options.picture.empty()) {
        std::string error;
        if (!receiver::WriteCanvasPng(sides.image->CanvasCopy(), options.picture, &error)) {
            std::fprintf(stderr, "receiver-sim: picture: %s\n", error.c_str());
            return 1;
        }
        std::fprintf(stderr, "receiver-sim: picture written to %s\n", options.picture.c_str());
    }
    return clean ? 0 : 3;
}
