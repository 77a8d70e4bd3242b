#include "platform/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/syserror.h"

namespace platform {
namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A relative path of plain folder names.
bool IsPlainRelativePath(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return name.find('\0') == std::string::npos;
}

}  // namespace

std::string UserFolder(UserFolderKind kind) {
    const char* variable = "XDG_CONFIG_HOME";
    const char* fallback = "/.config";
    switch (kind) {
        case UserFolderKind::kConfig:
            break;
        case UserFolderKind::kData:
            variable = "XDG_DATA_HOME";
            fallback = "/.local/share";
            break;
        case UserFolderKind::kCache:
            variable = "XDG_CACHE_HOME";
            fallback = "/.cache";
            break;
    }
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') {
        return WithoutTrailingSlash(value);
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : WithoutTrailingSlash(home) + fallback;
}

std::string AppFolder(UserFolderKind kind, const std::string& name, bool create,
                      std::string* error) {
    if (!IsPlainRelativePath(name)) {
        if (error) {
            *error = "unusable folder name \"" + name + "\"";
        }
        return {};
    }
    const std::string base = UserFolder(kind);
    if (base.empty()) {
        if (error) {
            *error = "no home folder is known";
        }
        return {};
    }
    std::string path = (base == "/" ? "" : base) + "/" + name;
    if (create && !MakeFolders(path, 0700, error)) {
        return {};
    }
    return path;
}

bool MakeFolders(const std::string& path, mode_t mode, std::string* error) {
    if (path.empty() || path.front() != '/') {
        if (error) {
            *error = "not an absolute path: \"" + path + "\"";
        }
        return false;
    }
    // Each prefix ending before a '/', then the whole path.
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') {
            continue;
        }
        const std::string prefix = path.substr(0, pos);
        struct stat st {};
        if (::stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) {
                if (error) {
                    *error = prefix + " is not a folder";
                }
                return false;
            }
            continue;
        }
        if (::mkdir(prefix.c_str(), mode) != 0 && errno != EEXIST) {
            if (error) {
                *error = "cannot make " + prefix + ": " + SystemErrorText(errno);
            }
            return false;
        }
    }
    return true;
}

}  // namespace platform
