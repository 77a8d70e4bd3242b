#include "app/features/grisp_launcher.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/child_process.h"
#include "platform/dynload.h"
#include "platform/log.h"

namespace pemuapp {
namespace {

constexpr const char* kArea = "grisp";

std::string RunningProgramPath() {
    char buf[PATH_MAX] = {};
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

}  // namespace

GrispLauncher::GrispLauncher(std::string folder, std::string modulePath)
    : m_folder(folder.empty() ? platform::ProgramFolder() : std::move(folder)),
      m_module(modulePath.empty() ? RunningProgramPath() : std::move(modulePath)) {}

GrispLauncher::~GrispLauncher() = default;

bool GrispLauncher::OnOpenGrisp() {
    return Start(m_module);
}

bool GrispLauncher::OnCopyDesktop() {
    return Start("CopyDeskTop@" + m_module);
}

bool GrispLauncher::Start(const std::string& argument) {
    // Grisps that have ended are reaped on the way.
    m_children.erase(std::remove_if(m_children.begin(), m_children.end(),
                                    [](const auto& c) { return c->HasExited(); }),
                     m_children.end());
    const std::string program = m_folder + "/" + kGrispName;
    if (::access(program.c_str(), X_OK) != 0) {
        platform::Log(platform::LogLevel::kWarning, kArea,
                      "Grisp is not installed beside the program (%s)", program.c_str());
        return false;
    }
    int error = 0;
    std::unique_ptr<platform::ChildProcess> child =
        platform::ChildProcess::Start(program, {argument}, &error, -1, m_folder);
    if (!child) {
        platform::Log(platform::LogLevel::kWarning, kArea, "Grisp did not start (%s: %d)",
                      program.c_str(), error);
        return false;
    }
    platform::Log(platform::LogLevel::kInfo, kArea, "Grisp started (%s)", argument.c_str());
    m_children.push_back(std::move(child));
    return true;
}

void GrispLauncher::WaitAll() {
    for (auto& child : m_children) {
        child->Wait();
    }
    m_children.clear();
}

}  // namespace pemuapp
