// The files the web server publishes, each under an unguessable URL path.
//
// A URL path is "/" followed by 22 characters of a 128-bit random key (base64
// URL alphabet) and, when the file name has a short alphanumeric extension,
// that extension, so that a receiver can tell the container from the URL.
// Only exact URL paths of this table are served; nothing is ever resolved
// against the file system.
//
// THREADING: every operation may be called from any thread.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

class FileTable {
public:
    // Publishes `filePath` (UTF-8) when it names a readable regular file.
    // Returns the new URL path, or nullopt.
    std::optional<std::string> Add(const std::string& filePath);
    // Withdraws one URL path; false when it is not published.
    bool RemoveByUrl(const std::string& urlPath);
    // Withdraws every URL path of `filePath`; false when there was none.
    bool RemoveByFile(const std::string& filePath);
    // The file published under `urlPath`, or nullopt.
    std::optional<std::string> Find(const std::string& urlPath) const;

private:
    static std::optional<std::string> NewKey();

    mutable std::mutex m_lock;
    std::map<std::string, std::string> m_files;  // URL path -> file path
};
