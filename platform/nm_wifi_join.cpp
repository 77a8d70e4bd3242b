#include "platform/nm_wifi_join.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "platform/child_output.h"
#include "platform/unique_fd.h"

namespace platform {
namespace {

constexpr const char* kNmcli = "/usr/bin/nmcli";

std::string FirstLine(const std::string& text) {
    const size_t end = text.find('\n');
    return end == std::string::npos ? text : text.substr(0, end);
}

// A file only the user can read, removed when it goes out of scope.
class SecretFile {
public:
    SecretFile(const std::string& folder, const std::string& text) {
        std::string pattern = (folder.empty() ? std::string("/tmp") : folder) + "/nm-join-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        const int fd = ::mkstemp(name.data());  // created 0600
        if (fd < 0) {
            return;
        }
        UniqueFd file(fd);
        ::fchmod(fd, S_IRUSR | S_IWUSR);
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
            if (n <= 0) {
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                ::unlink(name.data());
                return;
            }
            done += static_cast<size_t>(n);
        }
        m_path = name.data();
    }
    ~SecretFile() {
        if (!m_path.empty()) {
            ::unlink(m_path.c_str());
        }
    }
    SecretFile(const SecretFile&) = delete;
    SecretFile& operator=(const SecretFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// What nmcli's documented exit statuses mean (its own message goes to its
// standard error, which is not collected).
const char* NmcliStatusMeaning(int code) {
    switch (code) {
        case 2:
            return "invalid input";
        case 3:
            return "timed out";
        case 4:
            return "activation failed";
        case 7:
            return "deletion failed";
        case 8:
            return "NetworkManager is not running";
        case 10:
            return "no such connection, device or access point";
        default:
            return nullptr;
    }
}

std::string Failure(const char* step, int code, const std::string& output) {
    std::string text = std::string(step) + " failed (";
    if (code < 0) {
        text += "nmcli could not be run or did not finish";
    } else {
        text += "nmcli status " + std::to_string(code);
        if (const char* meaning = NmcliStatusMeaning(code)) {
            text += std::string(": ") + meaning;
        }
    }
    text += ")";
    const std::string line = FirstLine(output);
    if (!line.empty()) {
        text += ": " + line;
    }
    return text;
}

// The lines of `text`, a trailing '\r' taken off each.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

bool IsWifiType(const std::string& type) {
    return type == "802-11-wireless" || type == "wifi";
}

}  // namespace

NmcliRunner NmcliAt(std::string path, uint32_t timeoutMs) {
    return [path = std::move(path), timeoutMs](const std::vector<std::string>& args,
                                               std::string* out) -> int {
        ChildOutput run = RunForOutput(path, args, timeoutMs);
        if (out) {
            *out = std::move(run.output);
        }
        return run.started ? run.exitCode : -1;
    };
}

NmcliRunner SystemNmcli() {
    return NmcliAt(kNmcli, kNmcliJoinTimeoutMs);
}

std::string NmPasswdFileText(int authentication, const std::string& key) {
    if (key.empty()) {
        return std::string();
    }
    if (authentication == 0) {
        return "802-11-wireless-security.wep-key0:" + key + "\n";
    }
    return "802-11-wireless-security.psk:" + key + "\n";
}

std::string NmOwnConnectionName(const std::string& ssid) {
    return kNmOwnConnectionPrefix + ssid;
}

int NmDeleteOwnConnections(const std::string& ssid, const NmcliRunner& nmcli, std::string* error) {
    auto fail = [error](std::string text) {
        if (error) {
            *error = std::move(text);
        }
        return -1;
    };
    if (ssid.empty()) {
        return 0;
    }
    const std::string name = NmOwnConnectionName(ssid);
    std::string out;
    int code = nmcli({"-t", "-f", "NAME,UUID,TYPE", "connection", "show"}, &out);
    if (code != 0) {
        return fail(Failure("listing the connections", code, out));
    }
    std::vector<std::string> candidates;
    for (const std::string& line : Lines(out)) {
        const std::vector<std::string> f = SplitNmcliTerse(line);
        if (f.size() == 3 && f[0] == name && !f[1].empty() && f[1].front() != '-' &&
            IsWifiType(f[2])) {
            candidates.push_back(f[1]);
        }
    }
    int deleted = 0;
    for (const std::string& uuid : candidates) {
        // The name alone could be the user's choice: the stored SSID must
        // be the network's too.
        code = nmcli({"-g", "802-11-wireless.ssid", "connection", "show", "uuid", uuid}, &out);
        if (code != 0) {
            return fail(Failure("reading a connection", code, out));
        }
        const std::vector<std::string> lines = Lines(out);
        const std::string stored = lines.empty() ? std::string() : lines.front();
        const std::vector<std::string> f = SplitNmcliTerse(stored);
        if (stored != ssid && !(f.size() == 1 && f[0] == ssid)) {
            continue;
        }
        code = nmcli({"connection", "delete", "uuid", uuid}, &out);
        if (code != 0) {
            return fail(Failure("deleting the connection", code, out));
        }
        ++deleted;
    }
    return deleted;
}

bool NmJoinNetwork(const WifiJoinRequest& request, const NmcliRunner& nmcli,
                   const std::string& privateFolder, std::string* error) {
    auto fail = [error](std::string text) {
        if (error) {
            *error = std::move(text);
        }
        return false;
    };
    if (request.ssid.empty() || request.ssid.front() == '-') {
        return fail("no usable network name");
    }
    if (!request.interfaceName.empty() && request.interfaceName.front() == '-') {
        return fail("no usable interface name");
    }
    const std::string name = NmOwnConnectionName(request.ssid);
    std::string out;
    // A stale connection of ours goes first, so that the name is unique.
    std::string reason;
    if (NmDeleteOwnConnections(request.ssid, nmcli, &reason) < 0) {
        return fail(reason);
    }
    std::vector<std::string> add = {"connection", "add", "type", "wifi",
                                    "con-name",   name,  "ssid", request.ssid};
    if (!request.interfaceName.empty()) {
        add.insert(add.end(), {"ifname", request.interfaceName});
    }
    const bool secured = !request.key.empty();
    if (secured) {
        add.insert(add.end(),
                   {"wifi-sec.key-mgmt", request.authentication == 0 ? "none" : "wpa-psk"});
    }
    int code = nmcli(add, &out);
    if (code != 0) {
        return fail(Failure("adding the connection", code, out));
    }
    std::vector<std::string> up = {"--wait", "30", "connection", "up", "id", name};
    if (!secured) {
        code = nmcli(up, &out);
        return code == 0 ? true : fail(Failure("bringing the connection up", code, out));
    }
    SecretFile secret(privateFolder, NmPasswdFileText(request.authentication, request.key));
    if (secret.Path().empty()) {
        return fail("the key file could not be written");
    }
    up.insert(up.end(), {"passwd-file", secret.Path()});
    code = nmcli(up, &out);
    return code == 0 ? true : fail(Failure("bringing the connection up", code, out));
}

std::vector<std::string> SplitNmcliTerse(std::string_view line) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size()) {
            fields.back().push_back(line[++i]);
        } else if (c == ':') {
            fields.emplace_back();
        } else {
            fields.back().push_back(c);
        }
    }
    return fields;
}

WifiServiceState ParseNmServiceState(int exitCode, const std::string& output) {
    if (exitCode != 0) {
        return WifiServiceState::kQueryFailed;
    }
    const std::vector<std::string> f = SplitNmcliTerse(FirstLine(output));
    if (f.size() < 3 || f[0] != "running") {
        return WifiServiceState::kQueryFailed;
    }
    return f[1] == "enabled" && f[2] == "enabled" ? WifiServiceState::kManaged
                                                  : WifiServiceState::kNotManaged;
}

std::string ParseNmCurrentNetwork(const std::string& output) {
    for (const std::string& line : Lines(output)) {
        const std::vector<std::string> f = SplitNmcliTerse(line);
        if (f.size() >= 2 && f[0] == "yes") {
            return f[1];
        }
    }
    return std::string();
}

WifiServiceState NmServiceState(const NmcliRunner& nmcli) {
    std::string out;
    const int code = nmcli({"-t", "-f", "RUNNING,WIFI-HW,WIFI", "general"}, &out);
    return ParseNmServiceState(code, out);
}

std::string NmCurrentNetwork(const NmcliRunner& nmcli) {
    std::string out;
    if (nmcli({"-t", "-f", "ACTIVE,SSID", "device", "wifi", "list", "--rescan", "no"}, &out) != 0) {
        return std::string();
    }
    return ParseNmCurrentNetwork(out);
}

int WaitForIpv4AddressChange(uint32_t timeoutMs) {
    UniqueFd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!fd.valid()) {
        return -1;
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = RTMGRP_IPV4_IFADDR;
    if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        return -1;
    }
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::array<char, 8192> buffer{};
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (left <= 0) {
            return 0;
        }
        pollfd p{fd.get(), POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return ready == 0 ? 0 : -1;
        }
        const ssize_t n = ::recv(fd.get(), buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            continue;
        }
        size_t len = static_cast<size_t>(n);
        for (auto* h = reinterpret_cast<nlmsghdr*>(buffer.data()); NLMSG_OK(h, len);
             h = NLMSG_NEXT(h, len)) {
            if (h->nlmsg_type == RTM_NEWADDR || h->nlmsg_type == RTM_DELADDR) {
                return 1;
            }
        }
    }
}

}  // namespace platform
