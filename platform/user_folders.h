// The user's folders of the program: where settings, data and caches live.
//
// One function gives every folder, after the XDG base-directory rules:
//   config  $XDG_CONFIG_HOME, else $HOME/.config      (settings files)
//   data    $XDG_DATA_HOME,   else $HOME/.local/share (logs, fetched files,
//                                                      the command file)
//   cache   $XDG_CACHE_HOME,  else $HOME/.cache
// A variable that is unset, empty or relative is ignored, as the rules say.
// HOME comes from the environment, else from the password database.
//
// Nothing here changes the working folder; callers build absolute paths.
// THREADING: any thread (reads the environment only).
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

enum class UserFolderKind { kConfig, kData, kCache };

// The base folder of `kind`, without a trailing slash; empty when no home
// folder is known.
std::string UserFolder(UserFolderKind kind);

// "<base>/<name>": `name` is one folder name or a relative path of folder
// names (no "..", no empty part). With `create`, the folder and its missing
// parents are made with mode 0700. Empty when the name is unusable, no base
// is known or the folder cannot be made; the reason goes to *error.
std::string AppFolder(UserFolderKind kind, const std::string& name, bool create,
                      std::string* error = nullptr);

// Makes `path` (absolute) and its missing parents; new folders get `mode`.
// True when `path` is a folder afterwards (a link to one counts); the
// reason of a failure goes to *error.
bool MakeFolders(const std::string& path, mode_t mode, std::string* error = nullptr);

}  // namespace platform
