// GrispLauncher: the menu commands that start the Grisp program, which is
// installed beside this program (never looked for elsewhere): 2012 starts it
// for the user with this program's path, 2013 hands it a copy request
// ("CopyDeskTop@" and this program's path). It runs in the program's
// folder; the started programs end with this object (the copy request is
// short-lived; a Grisp still open when the sender exits is asked to end).
// Without an executable Grisp beside the program the command is logged and
// changes nothing.
//
// THREADING: user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class ChildProcess;
}

namespace pemuapp {

inline constexpr uint32_t kCmdOpenGrisp = 2012;
inline constexpr uint32_t kCmdCopyToDesktop = 2013;
inline constexpr const char* kGrispName = "Grisp";

class GrispLauncher {
public:
    // `folder`: where Grisp and this program live (empty: the program's
    // folder); `modulePath`: this program's path (empty: the running one).
    explicit GrispLauncher(std::string folder = {}, std::string modulePath = {});
    ~GrispLauncher();
    GrispLauncher(const GrispLauncher&) = delete;
    GrispLauncher& operator=(const GrispLauncher&) = delete;

    // Starts Grisp; false (and logged) when it is missing or did not start.
    bool OnOpenGrisp();
    bool OnCopyDesktop();

    // Waits until every started Grisp has ended (tests).
    void WaitAll();

private:
    bool Start(const std::string& argument);

    std::string m_folder;
    std::string m_module;
    std::vector<std::unique_ptr<platform::ChildProcess>> m_children;
};

}  // namespace pemuapp
