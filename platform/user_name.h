// The name of the user running the program, as the sender shows it to
// receivers and logs in with.
// THREADING: any thread.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The most bytes a user name keeps.
inline constexpr size_t kMaxUserNameBytes = 63;

// $USER, else the login name of the process's user from the password
// database; at most kMaxUserNameBytes bytes, cut on a UTF-8 character
// boundary. Empty when neither is known.
std::string UserName();

}  // namespace platform
