// brelvix: switches the logging of the sender on, runs it, watches it and
// hands over its logs; in a window, or on the command line with --run.
#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "logtool/brelvix_dialog.h"
#include "logtool/cli_mode.h"
#include "logtool/command_line.h"
#include "logtool/log_session.h"
#include "platform/clock.h"
#include "platform/dynload.h"
#include "platform/url_opener.h"
#include "platform/window/window_backend_x11.h"
#include "platform/window/window_manager.h"

namespace {

std::string CurrentFolder() {
    std::vector<char> buffer(4096);
    return ::getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string(".");
}

int RunWindow(logtool::LogSession& session, bool showMailButton) {
    auto backend = platform::WindowBackendX11::Create();
    if (!backend) {
        const char* display = std::getenv("DISPLAY");
        std::cerr << "brelvix: cannot open the display "
                  << (display && *display ? display : "(DISPLAY is not set)")
                  << "; without a display, use --run\n";
        return 1;
    }
    auto wm = platform::WindowManager::Create(std::move(backend));
    if (!wm) {
        std::cerr << "brelvix: cannot start the window layer\n";
        return 1;
    }
    logtool::CBrelvixDlg dialog(*wm, session, showMailButton);
    if (!dialog.Create()) {
        std::cerr << "brelvix: the display refused the window\n";
        return 1;
    }
    return wm->Run();
}

}  // namespace

int main(int argc, char** argv) {
    const logtool::ParsedCommandLine parsed =
        logtool::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::cerr << "brelvix: " << parsed.error << "\n\n" << logtool::UsageText();
        return 2;
    }
    const logtool::BrelvixOptions& options = parsed.options;
    if (options.help) {
        std::cout << logtool::UsageText();
        return 0;
    }
    logtool::SessionSetup setup;
    setup.currentFolder = CurrentFolder();
    setup.programFolder = platform::ProgramFolder();
    setup.chosenClient = options.client;
    setup.openResult = !options.noOpen;
    std::unique_ptr<platform::UrlOpener> opener;
    if (setup.openResult) {
        opener = platform::UrlOpener::Create();
    }
    logtool::LogSession session(setup, opener.get());
    if (!options.run) {
        return RunWindow(session, options.mail);
    }
    logtool::StopSignalWaiter waiter;
    if (!waiter.Ok()) {
        std::cerr << "brelvix: cannot catch Ctrl+C\n";
        return 1;
    }
    return logtool::RunCollection(
        session, options.mail ? logtool::FinishMode::kMail : logtool::FinishMode::kOpenFolder,
        platform::SystemClock(), [&waiter](uint32_t ms) { return waiter.Wait(ms); }, std::cout,
        std::cerr);
}
