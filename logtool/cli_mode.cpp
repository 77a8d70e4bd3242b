#include "logtool/cli_mode.h"

namespace logtool {

int RunCollection(LogSession& session, FinishMode mode, platform::Clock& clock,
                  const StopWait& wait, std::ostream& out, std::ostream& err) {
    if (!session.Start(mode)) {
        err << "brelvix: not started: " << session.Error() << "\n";
        return 1;
    }
    if (!session.Notice().empty()) {
        err << "brelvix: " << session.Notice() << "\n";
    }
    out << "Watching " << session.ClientPath() << " (process " << session.ClientPid()
        << "); its log goes to " << session.Paths().sdkLog << ". Ctrl+C stops it." << std::endl;
    WatchUntilEnded(session, clock, wait);
    const CollectionResult result = session.Finish();
    out << result.Text() << "\n";
    if (!result.finish.target.empty()) {
        out << result.finish.target << "\n";
    }
    out.flush();
    return 0;
}

}  // namespace logtool
