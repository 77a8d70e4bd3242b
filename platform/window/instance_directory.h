// The per-user folder of the program's run-time files: the single-instance
// lock and the command socket.
#pragma once

#include <string>

namespace platform {

// $XDG_RUNTIME_DIR when it names an absolute folder; otherwise
// /tmp/pemu-<uid>, made with mode 0700 when missing. A fallback folder that
// is a link, belongs to another user or is open to others is refused (an
// empty result), since another user could then take over our lock or socket.
std::string InstanceDirectory();

}  // namespace platform
