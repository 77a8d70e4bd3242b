// Small text files that the program keeps (settings, the command file):
// reading them as hostile input, replacing them atomically, and setting a
// bad one aside instead of overwriting what the user stored.
// THREADING: any thread; callers serialise writers of one file (FileLock).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

enum class TextFileStatus {
    kOk,
    kMissing,     // no such file
    kNotAFile,    // a folder, FIFO, device or socket in the file's place
    kNotText,     // too large, a NUL byte or bad UTF-8
    kUnreadable,  // a system error (permissions, I/O)
};

// Reads the whole of `path` when it is a regular file (a link to one
// counts) of at most `maxBytes` bytes of well-formed UTF-8 without NUL
// bytes. Anything else leaves *contents empty and says why in *reason.
TextFileStatus ReadTextFile(const std::string& path, size_t maxBytes, std::string* contents,
                            std::string* reason = nullptr);

// Replaces `path` with `contents`: a temporary file in the same folder with
// `mode`, written and flushed to disk, renamed over `path`, then the folder
// flushed. Readers see the old or the new file whole, never a part. 0, or
// minus the error number with the reason in *reason; the temporary file
// never stays behind.
int ReplaceFileAtomically(const std::string& path, std::string_view contents, mode_t mode,
                          std::string* reason = nullptr);

// Renames the regular file `path` to "<path>.bad-<YYYYmmdd-HHMMSS>" (with "-2", "-3", ...
// when that name is taken), keeping a file the program cannot use for the
// user to look at. The new path, or empty with the reason in *reason.
std::string SetFileAside(const std::string& path, std::string* reason = nullptr);

}  // namespace platform
