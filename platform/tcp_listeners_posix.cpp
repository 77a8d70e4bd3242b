#include "platform/tcp_listeners.h"

#include <dirent.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

namespace platform {

namespace {

// The socket table's state column for a listening socket.
constexpr unsigned kTcpListen = 0x0A;

// Adds the inodes of the sockets listening on `port` in one table of
// /proc/net ("tcp" or "tcp6"). Lines read:
//   sl local_address rem_address st tx:rx tr:when retrnsmt uid timeout inode
// where local_address is "<hex address>:<hex port>".
void CollectListeners(const char* table, uint16_t port, std::set<unsigned long>& inodes) {
    FILE* f = std::fopen(table, "re");
    if (!f) {
        return;
    }
    char line[512];
    bool header = true;
    while (std::fgets(line, sizeof line, f)) {
        if (header) {
            header = false;
            continue;
        }
        char local[80] = {};
        char remote[80] = {};
        unsigned state = 0;
        unsigned long inode = 0;
        // Columns after the state are skipped up to the inode (10th column).
        if (std::sscanf(line, "%*s %79s %79s %x %*s %*s %*s %*s %*s %lu", local, remote, &state,
                        &inode) != 4) {
            continue;
        }
        const char* colon = std::strrchr(local, ':');
        if (!colon || state != kTcpListen || inode == 0) {
            continue;
        }
        unsigned localPort = 0;
        if (std::sscanf(colon + 1, "%x", &localPort) == 1 && localPort == port) {
            inodes.insert(inode);
        }
    }
    std::fclose(f);
}

}  // namespace

bool ProcessListensOnTcpPort(pid_t pid, uint16_t port) {
    std::set<unsigned long> inodes;
    CollectListeners("/proc/net/tcp", port, inodes);
    CollectListeners("/proc/net/tcp6", port, inodes);
    if (inodes.empty()) {
        return false;
    }
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fdDir.c_str());
    if (!dir) {
        return false;
    }
    bool found = false;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        char target[64] = {};
        const std::string link = fdDir + "/" + entry->d_name;
        const ssize_t n = ::readlink(link.c_str(), target, sizeof target - 1);
        unsigned long inode = 0;
        if (n > 0 && std::sscanf(target, "socket:[%lu]", &inode) == 1 && inodes.count(inode)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace platform
