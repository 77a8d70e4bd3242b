#include "platform/thread.h"

namespace platform {

namespace {

// The kernel keeps 15 characters and the terminator.
constexpr size_t kMaxNameLength = 15;

}  // namespace

void SetCurrentThreadName(std::string_view name) {
    const std::string shortName(name.substr(0, kMaxNameLength));
    ::pthread_setname_np(::pthread_self(), shortName.c_str());
}

}  // namespace platform
