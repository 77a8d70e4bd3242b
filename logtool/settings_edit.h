// Switching the collected program's logging on: the one change the log tool
// makes to that program's files.
//
// PrepareLogging makes the program's settings and log folders, copies a
// first settings file into place (CopyClientIni) and writes the key
// "LogFile" (the path of the client library's log) into the configured
// section of the settings file through the shared ini store: under its
// lock, with every other byte of the file (lines, comments, order, line
// ends) kept, and the section or the file made when missing. The program
// reads the key at its next start.
//
// A settings file that cannot be read or written is an error, and the
// caller starts nothing. One that is not text is kept aside by the store
// (as the program itself would do) and a fresh one is written; that is said
// in the notice.
//
// THREADING: any thread; other programs writing the same file coordinate
// through the store's lock.
#pragma once

#include <string>

#include "logtool/log_config.h"
#include "logtool/log_paths.h"

namespace logtool {

enum class CopyResult {
    kCopied,
    kNotNeeded,  // a settings file exists in the old or the new place
    kNoSource,   // no settings file beside the configuration either
    kFailed,
};

// Copies <config.folder>/<ININame> to the settings file, only when neither
// the settings file nor the older one directly in the config folder exists,
// and never over a file (one made meanwhile included). kFailed with the
// reason in *error when the source cannot be read or the copy cannot be
// made.
CopyResult CopyClientIni(const LogConfig& config, const LogPaths& paths, std::string* error);

// Makes the folders, copies the settings file when needed and writes
// "LogFile". False, with the reason in *error, when any step fails; a
// non-fatal remark (a settings file kept aside) goes to *notice.
bool PrepareLogging(const LogConfig& config, const LogPaths& paths, std::string* error,
                    std::string* notice);

}  // namespace logtool
