// The log tool without a window (brelvix --run): one collection from start
// to finish, reported on the given streams.
//
// It starts the client at once (a configuration or start error is printed
// and gives exit status 1, nothing started), prints what it watches, waits
// through WatchUntilEnded on `clock` and `wait`, and when the client has
// ended prints how it ended, the system log line, the result, and as the
// last line the log folder or the mail link; exit status 0.
// THREADING: the caller's thread.
#pragma once

#include <ostream>

#include "logtool/log_session.h"
#include "logtool/watch_loop.h"
#include "platform/clock.h"

namespace logtool {

int RunCollection(LogSession& session, FinishMode mode, platform::Clock& clock,
                  const StopWait& wait, std::ostream& out, std::ostream& err);

}  // namespace logtool
