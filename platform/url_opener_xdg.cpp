// UrlOpener on Linux desktops: xdg-open, started without a shell.
#include <unistd.h>

#include <vector>

#include "platform/child_process.h"
#include "platform/log.h"
#include "platform/url_opener.h"

namespace platform {
namespace {

// Where the desktop's opener is installed, in the order tried. A fixed list
// rather than PATH: the program never runs whatever a PATH entry names.
constexpr const char* kOpenerPaths[] = {"/usr/local/bin/xdg-open", "/usr/bin/xdg-open",
                                        "/bin/xdg-open"};

// How long a still-running opener may take to end when the object goes.
constexpr uint32_t kOpenerGraceMs = 500;

void OpenerLog(const char* text, const std::string& detail) {
    Log(LogLevel::kWarning, "url", "%s: %s", text, detail.c_str());
}

class XdgUrlOpener final : public UrlOpener {
public:
    explicit XdgUrlOpener(std::string program) : m_program(std::move(program)) {}

    ~XdgUrlOpener() override {
        for (auto& child : m_children) {
            if (!child->HasExited()) {
                child->Terminate(kOpenerGraceMs);
            }
        }
    }

    bool Open(const std::string& target) override {
        ReapFinished();
        if (!IsSafeOpenerArgument(target)) {
            OpenerLog("refused to open", TargetForLog(target));
            return false;
        }
        int error = 0;
        std::unique_ptr<ChildProcess> child = ChildProcess::Start(m_program, {target}, &error);
        if (!child) {
            OpenerLog("cannot start the opener", m_program);
            return false;
        }
        m_children.push_back(std::move(child));
        return true;
    }

private:
    void ReapFinished() {
        std::erase_if(m_children, [](const std::unique_ptr<ChildProcess>& child) {
            return child->HasExited();
        });
    }

    std::string m_program;
    std::vector<std::unique_ptr<ChildProcess>> m_children;
};

}  // namespace

bool IsSafeOpenerArgument(const std::string& target) {
    if (target.empty() || target.front() == '-') {
        return false;
    }
    for (unsigned char c : target) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string TargetForLog(const std::string& target) {
    std::string shown = target.substr(0, 200);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

std::unique_ptr<UrlOpener> UrlOpener::Create() {
    for (const char* path : kOpenerPaths) {
        if (::access(path, X_OK) == 0) {
            return std::make_unique<XdgUrlOpener>(path);
        }
    }
    OpenerLog("no opener installed", "xdg-open");
    return nullptr;
}

std::unique_ptr<UrlOpener> UrlOpener::CreateWithProgramForTest(const std::string& program) {
    if (program.empty() || program.front() != '/') {
        return nullptr;
    }
    return std::make_unique<XdgUrlOpener>(program);
}

}  // namespace platform
