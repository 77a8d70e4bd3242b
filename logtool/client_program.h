// Finding and starting the program whose logs are collected (the client).
//
// The client is started by absolute path, never looked up through PATH or
// found by its name among running processes: the tool watches and stops
// exactly the process it started.
// THREADING: any thread.
#pragma once

#include <memory>
#include <string>

#include "platform/child_process.h"

namespace logtool {

// The client's absolute path: `chosen` when the user named one (a relative
// path counts from `currentFolder`), else <programFolder>/<appName> when
// that is an executable file, else <currentFolder>/<appName> when that is
// one. Empty, with the reason in *error, when there is none.
std::string FindClientProgram(const std::string& appName, const std::string& chosen,
                              const std::string& programFolder, const std::string& currentFolder,
                              std::string* error);

// Starts `program` (absolute) without arguments in its own folder. nullptr,
// with the reason in *error, when it cannot be started.
std::unique_ptr<platform::ChildProcess> RunClient(const std::string& program, std::string* error);

}  // namespace logtool
