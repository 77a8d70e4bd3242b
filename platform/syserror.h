// System error numbers and their texts.
//
// The library reports a failed system call as minus the error number; the
// message for such a code is the system's description of the number.
#pragma once

#include <string>

namespace platform {

// The calling thread's last system error number (errno).
int LastSystemError();

// The system's description of an error number, or an empty text when the
// system has none for it. Thread-safe.
std::string SystemErrorText(int errnum);

}  // namespace platform
