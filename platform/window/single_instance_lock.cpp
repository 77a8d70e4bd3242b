#include "platform/window/single_instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/syserror.h"
#include "platform/window/instance_directory.h"
#include "platform/window/window_log.h"

namespace platform {

SingleInstanceLock::Result SingleInstanceLock::TryAcquire(
    const std::string& name, const std::string& dir, std::unique_ptr<SingleInstanceLock>* lock) {
    std::string folder = dir.empty() ? InstanceDirectory() : dir;
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos) {
        WindowLog("no usable instance lock for \"%s\"", name.c_str());
        return Result::kError;
    }
    std::string path = folder + "/" + name + ".lock";
    // O_NOFOLLOW: a link planted in place of the file is not followed.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        WindowLog("cannot open %s: %s", path.c_str(), SystemErrorText(errno).c_str());
        return Result::kError;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) {
            return Result::kHeldElsewhere;
        }
        WindowLog("cannot lock %s: %s", path.c_str(), SystemErrorText(err).c_str());
        return Result::kError;
    }
    lock->reset(new SingleInstanceLock(fd, std::move(path)));
    return Result::kAcquired;
}

SingleInstanceLock::~SingleInstanceLock() {
    // Closing the only descriptor releases the flock; the file stays for the next start.
    ::close(m_fd);
}

}  // namespace platform
