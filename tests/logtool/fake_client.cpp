// A stand-in for the sender in the log tool's tests. The log tool starts it
// without arguments, so what it does comes from the environment variable
// FAKE_CLIENT: a ','-separated list of steps, done in order:
//   log         writes "fake client <pid>" and "cwd: <working folder>" to
//               the file that "LogFile" in the sender's settings file names
//               ($XDG_CONFIG_HOME/Pemu Quorvane Sender/Quorvane_Sender.ini)
//   lines=N     writes N more lines to that file
//   ready=PATH  makes the file PATH (the test then knows it runs)
//   sleep=MS    sleeps
//   exit=N      ends with code N
// Without steps it ends at once with code 0.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/ini/ini_store.h"
#include "platform/user_folders.h"

namespace {

std::string LogFileOfTheSettings() {
    const std::string settings = platform::UserFolder(platform::UserFolderKind::kConfig) +
                                 "/Pemu Quorvane Sender/Quorvane_Sender.ini";
    platform::IniStore store(settings);
    store.Load();
    return store.Get("Quorvane_Sender", "LogFile").value_or("");
}

}  // namespace

int main() {
    const char* steps = std::getenv("FAKE_CLIENT");
    std::istringstream list(steps ? steps : "");
    std::ofstream log;
    for (std::string step; std::getline(list, step, ',');) {
        const size_t eq = step.find('=');
        const std::string name = step.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : step.substr(eq + 1);
        if (name == "log") {
            const std::string path = LogFileOfTheSettings();
            log.open(path, std::ios::app);
            if (!log) {
                std::fprintf(stderr, "fake client: cannot write the log '%s'\n", path.c_str());
                return 90;
            }
            char cwd[4096] = "?";
            if (!::getcwd(cwd, sizeof cwd)) {
                cwd[0] = '\0';
            }
            log << "fake client " << ::getpid() << "\ncwd: " << cwd << "\n" << std::flush;
        } else if (name == "lines") {
            for (int i = 0; i < std::atoi(value.c_str()); ++i) {
                log << "line " << i << ": a & b # 50% ? c+d\n";
            }
            log.flush();
        } else if (name == "ready") {
            std::ofstream(value) << ::getpid();
        } else if (name == "sleep") {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(value.c_str())));
        } else if (name == "exit") {
            return std::atoi(value.c_str());
        }
    }
    return 0;
}
