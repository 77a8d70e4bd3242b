// The message a receiver client's error code is shown with (title
// "Warning"), in English; the message box translates it when drawn.
// Constant data, any thread.
#pragma once

#include <string>

namespace ui {

inline constexpr const char* kConnectFailedText =
    "Cannot establish connection with the remote box. Please make your personal firewall to let "
    "this application pass through.";
inline constexpr int kErrorRejectedLoginCode = -6528301;

// Empty for a code that has no message (nothing is shown then).
std::string LoginErrorMessage(int code);

}  // namespace ui
