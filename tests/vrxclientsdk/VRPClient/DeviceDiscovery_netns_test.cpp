// Receiver discovery with real broadcasts, inside network namespaces that the
// test creates itself.
//
// A child process enters a new network namespace (the sender's side) and
// forks a grandchild into a second one (the receiver's side); a veth pair
// joins the two and nothing else leaves them, so the addresses below never
// reach any real network. The sender runs discovery exactly as the product
// does: bound to every local address, subnets from the real interface list,
// the real limited broadcast address, the product's ports and idle step.
// Without the right to create namespaces the test is skipped.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/receiver/discovery/UdpAnnouncer.h"
#include "vrxclientsdk/VRPClient/DeviceDiscovery.h"

namespace {

constexpr int kSkipExit = 77;
// Addresses of the two private namespaces only.
constexpr const char* kSenderAddress = "10.254.77.1";
constexpr const char* kReceiverAddress = "10.254.77.2";
constexpr const char* kSubnetBroadcast = "10.254.77.255";

const char* FindIpTool() {
    for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return nullptr;
}

// Runs the ip tool in the caller's namespace; returns its exit status.
int RunIp(const char* tool, std::vector<std::string> args) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        std::vector<char*> argv{const_cast<char*>(tool)};
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        execv(tool, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> InterfaceNames() {
    std::set<std::string> names;
    if (struct if_nameindex* list = if_nameindex()) {
        for (struct if_nameindex* it = list; it->if_index != 0; ++it) {
            names.insert(it->if_name);
        }
        if_freenameindex(list);
    }
    return names;
}

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char buf[512];
    for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) {
        text.append(buf, static_cast<size_t>(n));
    }
    return text;
}

char ReadByte(int fd) {
    char c = 0;
    return read(fd, &c, 1) == 1 ? c : 0;
}

// The receiver's namespace: answers discovery until the sender closes
// `commands`, then reports each query it answered on `reports`.
[[noreturn]] void ReceiverSide(const char* tool, int commands, int reports) {
    if (unshare(CLONE_NEWNET) != 0) {
        _exit(1);
    }
    WriteAll(reports, "n");  // namespace ready for the link
    if (ReadByte(commands) != 'l') {
        _exit(1);
    }
    if (RunIp(tool, {"link", "set", "lo", "up"}) != 0 ||
        RunIp(tool, {"addr", "add", std::string(kReceiverAddress) + "/24", "dev", "pb"}) != 0 ||
        RunIp(tool, {"link", "set", "pb", "up"}) != 0) {
        _exit(1);
    }
    receiver_sim::ReceiverAnnouncement info;
    info.ipv4 = kReceiverAddress;
    info.name = "Namespace receiver";
    receiver_sim::AnnouncerConfig config;  // every local address, ports 1047 to 1049
    config.record = info.Encode();
    receiver_sim::UdpAnnouncer announcer(config);
    if (announcer.Start() != 0) {
        _exit(1);
    }
    std::string interfaces;
    for (const std::string& name : InterfaceNames()) {
        interfaces += name + " ";
    }
    WriteAll(reports, "s" + interfaces + "\n");  // serving
    ReadByte(commands);                          // end of discovery (or the sender died)
    announcer.Stop();
    announcer.ServeOnce();  // queries still waiting
    std::string text;
    for (const receiver_sim::AnnounceQuery& q : announcer.Queries()) {
        char source[INET_ADDRSTRLEN] = {};
        char destination[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &q.source, source, sizeof source);
        inet_ntop(AF_INET, &q.destination, destination, sizeof destination);
        text += std::string(source) + ":" + std::to_string(q.sourcePort) + ">" + destination + ":" +
                std::to_string(q.localPort) + "\n";
    }
    WriteAll(reports, text);
    _exit(0);
}

// The sender's namespace. Returns the exit code; failures are described on `out`.
int SenderSide(int out, const std::string& logPath) {
    if (unshare(CLONE_NEWNET) != 0) {
        WriteAll(out, std::string("cannot create a network namespace: ") + strerror(errno));
        return kSkipExit;
    }
    const char* tool = FindIpTool();
    if (tool == nullptr) {
        WriteAll(out, "the ip tool (iproute2) is not installed");
        return kSkipExit;
    }
    int commands[2];
    int reports[2];
    if (pipe(commands) != 0 || pipe(reports) != 0) {
        WriteAll(out, "pipe failed");
        return 1;
    }
    const pid_t receiver = fork();
    if (receiver == 0) {
        close(out);
        close(commands[1]);
        close(reports[0]);
        ReceiverSide(tool, commands[0], reports[1]);
    }
    close(commands[0]);
    close(reports[1]);
    std::ostringstream failures;
    auto check = [&](bool ok, const std::string& what) {
        if (!ok) {
            failures << what << "\n";
        }
        return ok;
    };

    const bool linked =
        check(ReadByte(reports[0]) == 'n', "receiver namespace not created") &&
        check(RunIp(tool, {"link", "add", "pa", "type", "veth", "peer", "name", "pb", "netns",
                           std::to_string(receiver)}) == 0,
              "cannot create the veth pair") &&
        check(RunIp(tool, {"link", "set", "lo", "up"}) == 0, "lo") &&
        check(RunIp(tool, {"addr", "add", std::string(kSenderAddress) + "/24", "dev", "pa"}) == 0,
              "address") &&
        check(RunIp(tool, {"link", "set", "pa", "up"}) == 0, "link up") &&
        // The limited broadcast needs a route; it leads only to the peer.
        check(RunIp(tool, {"route", "add", "default", "dev", "pa"}) == 0, "route");
    WriteAll(commands[1], "l");
    std::string receiverState;
    for (char c; (c = ReadByte(reports[0])) != 0 && c != '\n';) {
        receiverState += c;
    }
    if (linked && check(!receiverState.empty() && receiverState[0] == 's',
                        "receiver did not start serving")) {
        // Nothing but the veth pair joins the two namespaces.
        check(InterfaceNames() == std::set<std::string>{"lo", "pa"}, "sender has other links");
        check(receiverState == "slo pb ", "receiver has other links: " + receiverState);

        Logger log;
        log.Open(logPath.c_str(), LOG_DEBUG, false);
        QKErrorHandler owner;
        owner.SetLogger(&log);
        std::vector<DevAnnounce> found;
        DeviceDiscovery discovery(owner);
        const int rc = discovery.DeviceDiscover(found, nullptr, true, 1047, 1049, 5);
        check(rc == 0, "discovery failed: " + owner.GetErrorMessage());
        in_addr expected{};
        inet_pton(AF_INET, kReceiverAddress, &expected);
        check(found.size() == 1 && found[0].GetIPv4() == expected.s_addr &&
                  found[0].GetName() == "Namespace receiver",
              "receiver not found");

        std::ifstream in(logPath);
        std::set<std::string> candidates;
        for (std::string line; std::getline(in, line);) {
            check(line.find("sendto failed") == std::string::npos, line);
            check(line.find("header mismatch") == std::string::npos, line);
            const std::string tag = "candidate broadcast subnet: ";
            if (const size_t at = line.find(tag); at != std::string::npos) {
                candidates.insert(line.substr(at + tag.size(), line.find(" [") - at - tag.size()));
            }
        }
        check(candidates == std::set<std::string>{kSubnetBroadcast, "255.255.255.255"},
              "unexpected broadcast targets");
    }
    close(commands[1]);  // the receiver reports its queries and ends
    const std::string queries = ReadAll(reports[0]);
    int status = 0;
    waitpid(receiver, &status, 0);
    if (linked) {
        // Bursts take the ports in turn, and the first one may go out before
        // the new link carries traffic: any of the three ports will do.
        auto received = [&](const std::string& target) {
            for (const char* port : {"1047", "1048", "1049"}) {
                const std::string line =
                    std::string(kSenderAddress) + ":" + port + ">" + target + ":" + port + "\n";
                if (queries.find(line) != std::string::npos) {
                    return true;
                }
            }
            return false;
        };
        check(received(kSubnetBroadcast), "directed broadcast not received: " + queries);
        check(received("255.255.255.255"), "limited broadcast not received: " + queries);
    }
    WriteAll(out, failures.str());
    return failures.str().empty() ? 0 : 1;
}

TEST(DeviceDiscoveryNetnsTest, FindsReceiverByRealBroadcastAndNothingLeavesTheNamespaces) {
    const std::string logPath =
        testing::TempDir() + "discovery_netns_" + std::to_string(getpid()) + ".log";
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t sender = fork();
    ASSERT_GE(sender, 0);
    if (sender == 0) {
        close(out[0]);
        const int code = SenderSide(out[1], logPath);
        _exit(code);
    }
    close(out[1]);
    const std::string report = ReadAll(out[0]);
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(sender, &status, 0), sender);
    std::remove(logPath.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << report;
    if (WEXITSTATUS(status) == kSkipExit) {
        GTEST_SKIP() << report;
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << report;
}

}  // namespace
