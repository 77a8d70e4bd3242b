#include "logtool/client_program.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/syserror.h"

namespace logtool {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindClientProgram(const std::string& appName, const std::string& chosen,
                              const std::string& programFolder, const std::string& currentFolder,
                              std::string* error) {
    if (!chosen.empty()) {
        return chosen.front() == '/' ? chosen : currentFolder + "/" + chosen;
    }
    for (const std::string& folder : {programFolder, currentFolder}) {
        const std::string path = folder + "/" + appName;
        if (IsExecutableFile(path)) {
            return path;
        }
    }
    *error = "cannot find the program " + appName + " beside this tool (" + programFolder +
             ") or in the current folder (" + currentFolder + ")";
    return {};
}

std::unique_ptr<platform::ChildProcess> RunClient(const std::string& program, std::string* error) {
    const size_t slash = program.rfind('/');
    const std::string folder = slash == 0 ? std::string("/") : program.substr(0, slash);
    int code = 0;
    auto child = platform::ChildProcess::Start(program, {}, &code, -1, folder);
    if (!child) {
        *error = "cannot start " + program + ": " + platform::SystemErrorText(code);
    }
    return child;
}

}  // namespace logtool
