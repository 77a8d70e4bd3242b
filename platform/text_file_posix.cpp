#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/syserror.h"
#include "platform/unique_fd.h"
#include "platform/wide_text.h"

namespace platform {
namespace {

void SetReason(std::string* reason, std::string text) {
    if (reason) {
        *reason = std::move(text);
    }
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TextFileStatus ReadTextFile(const std::string& path, size_t maxBytes, std::string* contents,
                            std::string* reason) {
    contents->clear();
    // O_NONBLOCK: opening a FIFO planted in the file's place must not hang.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        const int err = errno;
        SetReason(reason, path + ": " + SystemErrorText(err));
        return err == ENOENT ? TextFileStatus::kMissing : TextFileStatus::kUnreadable;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        SetReason(reason, path + ": " + SystemErrorText(errno));
        return TextFileStatus::kUnreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        SetReason(reason, path + " is not a regular file");
        return TextFileStatus::kNotAFile;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        SetReason(reason, path + " is larger than " + std::to_string(maxBytes) + " bytes");
        return TextFileStatus::kNotText;
    }
    std::string data;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetReason(reason, path + ": " + SystemErrorText(errno));
            return TextFileStatus::kUnreadable;
        }
        if (n == 0) {
            break;
        }
        data.append(buffer, static_cast<size_t>(n));
        // The file may grow after the size check.
        if (data.size() > maxBytes) {
            SetReason(reason, path + " is larger than " + std::to_string(maxBytes) + " bytes");
            return TextFileStatus::kNotText;
        }
    }
    if (data.find('\0') != std::string::npos) {
        SetReason(reason, path + " holds a NUL byte: not a text file");
        return TextFileStatus::kNotText;
    }
    if (!IsValidUtf8(data)) {
        SetReason(reason, path + " is not UTF-8 text");
        return TextFileStatus::kNotText;
    }
    *contents = std::move(data);
    return TextFileStatus::kOk;
}

int ReplaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode,
                          std::string* reason) {
    static std::atomic<unsigned> counter{0};
    const std::string temp =
        path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
    if (fd.get() < 0) {
        const int err = errno;
        SetReason(reason, "cannot create " + temp + ": " + SystemErrorText(err));
        return -err;
    }
    auto fail = [&](const char* step) {
        const int err = errno != 0 ? errno : EIO;
        SetReason(reason, std::string("cannot ") + step + " " + temp + ": " + SystemErrorText(err));
        ::unlink(temp.c_str());
        return -err;
    };
    // The umask may have narrowed the mode given to open().
    if (::fchmod(fd.get(), mode) != 0) {
        return fail("set the mode of");
    }
    if (!WriteAll(fd.get(), contents)) {
        return fail("write");
    }
    if (::fsync(fd.get()) != 0) {
        return fail("flush");
    }
    if (fd.Close() != 0) {
        return fail("close");
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        SetReason(reason, "cannot replace " + path + ": " + SystemErrorText(err));
        ::unlink(temp.c_str());
        return -err;
    }
    // The rename itself reaches the disk with the folder.
    UniqueFd folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
    return 0;
}

std::string SetFileAside(const std::string& path, std::string* reason) {
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0 || !S_ISREG(own.st_mode)) {
        // Folders and special files are never moved.
        SetReason(reason, path + " is not a regular file; left as it is");
        return {};
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".bad-" + stamp;
    for (int n = 1; n < 100; ++n) {
        const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        // link + unlink: never replaces a file set aside before.
        if (::link(path.c_str(), target.c_str()) == 0) {
            ::unlink(path.c_str());
            return target;
        }
        if (errno != EEXIST) {
            // A file system without hard links: rename when the name is free.
            struct stat st {};
            if (::lstat(target.c_str(), &st) != 0 && ::rename(path.c_str(), target.c_str()) == 0) {
                return target;
            }
            SetReason(reason, "cannot set " + path + " aside: " + SystemErrorText(errno));
            return {};
        }
    }
    SetReason(reason, "cannot set " + path + " aside: too many earlier copies");
    return {};
}

}  // namespace platform
