#include "platform/syserror.h"

#include <cerrno>
#include <cstring>

namespace platform {

int LastSystemError() {
    return errno;
}

std::string SystemErrorText(int errnum) {
    // strerrordesc_np answers nullptr for numbers it does not know, unlike
    // strerror, which makes up an "Unknown error N" text.
    const char* text = ::strerrordesc_np(errnum);
    return text ? std::string(text) : std::string();
}

}  // namespace platform
