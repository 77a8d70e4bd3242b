#include "platform/window/instance_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/syserror.h"
#include "platform/window/window_log.h"

namespace platform {

std::string InstanceDirectory() {
    const char* xdg = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (xdg && xdg[0] == '/' && ::stat(xdg, &st) == 0 && S_ISDIR(st.st_mode)) {
        return xdg;
    }
    std::string dir = "/tmp/pemu-" + std::to_string(::getuid());
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        WindowLog("cannot make %s: %s", dir.c_str(), SystemErrorText(errno).c_str());
        return {};
    }
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
        (st.st_mode & 077) != 0) {
        WindowLog("refusing %s: not a private folder of this user", dir.c_str());
        return {};
    }
    return dir;
}

}  // namespace platform
