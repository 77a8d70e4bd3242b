#include "logtool/settings_edit.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/ini/ini_store.h"
#include "platform/syserror.h"
#include "platform/text_file.h"
#include "platform/unique_fd.h"
#include "platform/user_folders.h"

namespace logtool {
namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string ErrorText(int error) {
    return platform::SystemErrorText(error);
}

// Writes `contents` to a new file `target`, which must not exist: a private
// temporary file, flushed, then linked to its name (link never replaces a
// file), so the target appears whole or not at all.
bool WriteNewFile(const std::string& target, const std::string& contents, std::string* error) {
    const std::string temp = target + ".tmp-" + std::to_string(::getpid());
    platform::UniqueFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        *error = temp + ": " + ErrorText(errno);
        return false;
    }
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd.get(), contents.data() + done, contents.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            *error = temp + ": " + ErrorText(errno);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::fsync(fd.get()) != 0 || fd.Close() != 0) {
        *error = temp + ": " + ErrorText(errno);
        ::unlink(temp.c_str());
        return false;
    }
    const int linked = ::link(temp.c_str(), target.c_str());
    const int linkError = errno;
    ::unlink(temp.c_str());
    if (linked != 0 && linkError != EEXIST) {
        *error = target + ": " + ErrorText(linkError);
        return false;
    }
    return true;  // EEXIST: someone made it meanwhile; theirs stays
}

}  // namespace

CopyResult CopyClientIni(const LogConfig& config, const LogPaths& paths, std::string* error) {
    if (Exists(paths.olderSettingsFile) || Exists(paths.settingsFile)) {
        return CopyResult::kNotNeeded;
    }
    const std::string source = config.folder + "/" + config.iniName;
    if (!Exists(source)) {
        return CopyResult::kNoSource;
    }
    std::string contents;
    std::string why;
    if (platform::ReadTextFile(source, platform::IniStore::kMaxFileBytes, &contents, &why) !=
        platform::TextFileStatus::kOk) {
        *error = source + ": cannot be copied: " + why;
        return CopyResult::kFailed;
    }
    if (!WriteNewFile(paths.settingsFile, contents, error)) {
        return CopyResult::kFailed;
    }
    return CopyResult::kCopied;
}

bool PrepareLogging(const LogConfig& config, const LogPaths& paths, std::string* error,
                    std::string* notice) {
    std::string why;
    for (const std::string* folder : {&paths.senderConfigFolder, &paths.logFolder}) {
        if (!platform::MakeFolders(*folder, 0700, &why)) {
            *error = "cannot make the folder " + *folder + ": " + why;
            return false;
        }
    }
    if (CopyClientIni(config, paths, &why) == CopyResult::kFailed) {
        *error = why;
        return false;
    }
    platform::IniStore store(paths.settingsFile);
    if (!store.Write(config.sectionName, "LogFile", paths.sdkLog, &why)) {
        *error = "cannot switch logging on in " + paths.settingsFile + ": " + why;
        return false;
    }
    if (!store.SetAsidePath().empty()) {
        *notice = paths.settingsFile + " was not a settings file; it is kept as " +
                  store.SetAsidePath() + " and a new one was written";
    }
    return true;
}

}  // namespace logtool
