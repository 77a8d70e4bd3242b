// A stand-in for the sender program around RunStartup, for the start-up
// tests: it "runs its window" by printing, one line each and flushed,
//   running <pid>
//   action <Action> ip=<..> id=<..> name=<..> code=<..> path=<..>
//   restore
// as they happen, and ends with status 0 after an Exit action (or on
// SIGTERM). Folders come from the environment (XDG_*), as in the program.
#include <signal.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "app/startup/startup.h"

namespace {

std::mutex g_lock;
std::condition_variable g_wake;
int g_restores = 0;
bool g_queued = false;

void Print(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

int RunWindow(pemuapp::StartupContext& context) {
    Print("running " + std::to_string(::getpid()));
    for (;;) {
        pemuapp::CommandAction a;
        while (context.actions.Take(&a)) {
            Print("action " + a.action + " ip=" + a.ip + " id=" + a.id + " name=" + a.name +
                  " code=" + a.code + " path=" + a.path);
            if (a.action == "Exit") {
                return 0;
            }
        }
        std::unique_lock<std::mutex> guard(g_lock);
        g_wake.wait(guard, [] { return g_queued || g_restores > 0; });
        for (; g_restores > 0; --g_restores) {
            Print("restore");
        }
        g_queued = false;
    }
}

}  // namespace

int main(int argc, char** argv) {
    pemuapp::StartupHooks hooks;
    hooks.longOptions = {{"probe-flag", false, "a flag of the probe"}};
    hooks.runMainWindow = RunWindow;
    hooks.onActionQueued = [] {
        std::lock_guard<std::mutex> guard(g_lock);
        g_queued = true;
        g_wake.notify_all();
    };
    hooks.onRestore = [] {
        std::lock_guard<std::mutex> guard(g_lock);
        ++g_restores;
        g_wake.notify_all();
    };
    pemuapp::StartupEnvironment environment;
    environment.programName = "startup_probe";
    if (const char* wait = std::getenv("PROBE_HANDOFF_WAIT_MS")) {
        environment.handOffWaitMs = std::atoi(wait);
    }
    return pemuapp::RunStartup(std::vector<std::string>(argv + 1, argv + argc), hooks, environment);
}
