// IniStore: one initialisation file on disk, shared by several programs
// (the sender, its USB library, the log tool) and several copies of them.
//
// Reading treats the file as hostile: a file that is not text (a NUL byte,
// bad UTF-8, more than kMaxFileBytes) is never parsed. It is renamed aside ("<file>.bad-<time>"),
// the reason is printed on stderr and handed to the caller to log, and the store reads as empty, so
// callers use their defaults; nothing the user stored is overwritten. Something that is no regular
// file (a folder, a FIFO) in the file's place is neither read, moved nor replaced.
//
// Writing is one key at a time, as the programs have always written: under
// an exclusive lock on "<file>.lock" the file is read again (so keys that
// another process wrote meanwhile are kept), the one key is set, and the
// file is replaced atomically (temporary file, flush, rename; mode 0600). A
// kill at any moment leaves the old file or the new one, whole. Values with
// CR, LF or NUL are refused.
//
// THREADING: an object belongs to one thread. Objects in other threads or
// processes on the same file coordinate through the lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ini/ini_document.h"

namespace platform {

class IniStore {
public:
    static constexpr size_t kMaxFileBytes = 1 << 20;
    // How long a writer waits for another holder of the lock.
    static constexpr uint32_t kLockWaitMs = 5000;

    explicit IniStore(std::string path) : m_path(std::move(path)) {}

    enum class LoadResult {
        kLoaded,
        kMissing,     // no file: every key reads as absent
        kSetAside,    // not text: renamed aside, reads as empty
        kUnreadable,  // a system error or no regular file: reads as empty, left alone
    };
    // Reads the file into the store. The reason of anything but kLoaded and
    // kMissing goes to *reason.
    LoadResult Load(std::string* reason = nullptr);

    // What was read last (Load, or the re-read of the last write).
    const IniDocument& Document() const { return m_document; }
    std::optional<std::string> Get(std::string_view section, std::string_view key) const {
        return m_document.Get(section, key);
    }

    // Writes one key through to the file as described above; the store then
    // holds what the file holds. False, with the reason in *reason, when the
    // name or value is refused or the file cannot be written (the file is
    // then unchanged).
    bool Write(std::string_view section, std::string_view key, std::string_view value,
               std::string* reason = nullptr);

    // The general form of Write: under the lock, `change` edits the document
    // read from the file; when it returns true the file is replaced with the
    // result. A file that is not text is set aside first and `change` starts
    // from an empty document. Missing parent folders are made (mode 0700).
    bool Update(const std::function<bool(IniDocument&)>& change, std::string* reason = nullptr);

    const std::string& Path() const { return m_path; }
    // Where the last unusable file was put; empty when none was.
    const std::string& SetAsidePath() const { return m_setAside; }

private:
    // Reads the file into m_document, setting a non-text file aside.
    LoadResult ReadLocked(std::string* reason);

    std::string m_path;
    IniDocument m_document;
    std::string m_setAside;
};

}  // namespace platform
