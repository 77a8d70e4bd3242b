#include "vrxclientsdk/VRXClient/media/harnwick/FileTable.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>

namespace {

// 16 random bytes give 128 bits: far beyond guessing.
constexpr size_t kKeyBytes = 16;
// Longest extension kept in a URL path.
constexpr size_t kMaxExtension = 8;

constexpr char kBase64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

bool IsReadableRegularFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return ok;
}

// ".ext" of the file name when it is 1..8 ASCII letters or digits, else "".
std::string UrlExtension(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    const std::string ext = path.substr(dot + 1);
    if (ext.empty() || ext.size() > kMaxExtension) {
        return {};
    }
    for (char c : ext) {
        if (!std::isalnum(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) > 0x7F) {
            return {};
        }
    }
    return "." + ext;
}

}  // namespace

std::optional<std::string> FileTable::NewKey() {
    unsigned char bytes[kKeyBytes];
    size_t filled = 0;
    while (filled < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + filled, sizeof bytes - filled, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return std::nullopt;  // no randomness: publish nothing guessable
        }
        filled += static_cast<size_t>(n);
    }
    std::string key;
    uint32_t acc = 0;
    int bits = 0;
    for (unsigned char b : bytes) {
        acc = (acc << 8) | b;
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            key.push_back(kBase64Url[(acc >> bits) & 0x3F]);
        }
    }
    if (bits > 0) {
        key.push_back(kBase64Url[(acc << (6 - bits)) & 0x3F]);
    }
    return key;
}

std::optional<std::string> FileTable::Add(const std::string& filePath) {
    if (filePath.empty() || !IsReadableRegularFile(filePath)) {
        return std::nullopt;
    }
    const std::string extension = UrlExtension(filePath);
    std::lock_guard<std::mutex> guard(m_lock);
    for (;;) {
        std::optional<std::string> key = NewKey();
        if (!key) {
            return std::nullopt;
        }
        std::string urlPath = "/" + *key + extension;
        if (m_files.emplace(urlPath, filePath).second) {
            return urlPath;
        }
    }
}

bool FileTable::RemoveByUrl(const std::string& urlPath) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_files.erase(urlPath) > 0;
}

bool FileTable::RemoveByFile(const std::string& filePath) {
    std::lock_guard<std::mutex> guard(m_lock);
    bool removed = false;
    for (auto it = m_files.begin(); it != m_files.end();) {
        if (it->second == filePath) {
            it = m_files.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

std::optional<std::string> FileTable::Find(const std::string& urlPath) const {
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_files.find(urlPath);
    if (it == m_files.end()) {
        return std::nullopt;
    }
    return it->second;
}
