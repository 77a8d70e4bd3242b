// RunStartup: the sender's way in, before any window exists. It decides
// whether this start hands an action to the copy that runs, asks that copy
// to show itself, or is the first copy and runs the program's window.
//
//   argv exactly {"CreateFireWall"}  exit 0 at once, no lock taken
//   --help                            usage on stdout, exit 0
//   unknown --option, bad value       message on stderr, exit 2
//   first copy (takes the single-instance lock "Pemu")
//       runs the window through hooks.runMainWindow; an action of its own
//       command line waits in the queue until the window takes it
//   another copy runs
//       with an action: under a lock on the command folder, writes the
//       command file (0700 folder, 0600 file, temporary file then rename),
//       sends "handoff" and waits for the answer; exit 0
//       without one (or with "/selto"): sends "restore"; exit 0
//   the copy that holds the lock does not answer within 5 s: exit 1, with
//   the reason on stderr. A copy that ended meanwhile leaves the lock free:
//   this start then becomes the first copy.
//
// The first copy serves "handoff" and "restore" on its command socket: for
// "handoff" it reads the command file, deletes it, queues the action and
// calls hooks.onActionQueued (the window posts itself 10291) before it
// answers, so the writer's lock is held until the action is safe. Nothing
// here changes the working folder.
//
// THREADING: called on the main thread; the hooks marked so run on the
// command server's thread.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/settings/sender_paths.h"
#include "app/startup/command_action.h"
#include "app/startup/command_line.h"

class Logger;

namespace pemuapp {

inline constexpr const char* kInstanceName = "Pemu";
inline constexpr const char* kHandOffCommand = "handoff";
inline constexpr const char* kRestoreCommand = "restore";

// What the window gets from start-up.
struct StartupContext {
    // The command-line action of this start (when any), then every action
    // handed over later.
    CommandActionQueue& actions;
    // The long options given, by name.
    std::map<std::string, std::string> options;
    const SenderPaths& paths;
};

struct StartupHooks {
    // Options of the program beyond --help (e.g. --discovery-to).
    std::vector<LongOption> longOptions;
    // Runs the program's window; its result is the exit status.
    std::function<int(StartupContext&)> runMainWindow;
    // Command server's thread: an action was queued.
    std::function<void()> onActionQueued;
    // Command server's thread: a plain second start asks to be seen (the
    // window restores itself when minimised).
    std::function<void()> onRestore;
};

struct StartupEnvironment {
    SenderPaths paths = SenderPaths::FromUserFolders();
    std::string instanceFolder;  // empty: the platform's instance folder
    std::string programName = "pemu";
    int handOffWaitMs = 5000;
    FILE* out = stdout;
    FILE* err = stderr;
    Logger* log = nullptr;  // the running copy's messages; null: `err`
};

// Runs start-up for the arguments after the program name and returns the
// process's exit status.
int RunStartup(const std::vector<std::string>& args, const StartupHooks& hooks,
               const StartupEnvironment& environment = StartupEnvironment());

// The running copy's side of "handoff": reads and deletes the command file
// at `paths.commandFile`. True with *action when it held an action; false,
// with the reason, when it was missing or unusable.
bool TakeCommandFile(const SenderPaths& paths, CommandAction* action, std::string* reason);

}  // namespace pemuapp
