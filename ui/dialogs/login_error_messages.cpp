#include "ui/dialogs/login_error_messages.h"

namespace ui {
namespace {

struct CodeRange {
    int first, last;  // first >= last: codes are negative
    const char* text;
};

constexpr const char* kDisconnected = "Device disconnected.";
constexpr const char* kBusy = "Remote box is busy now. Please retry later!";
constexpr const char* kStream =
    "Failed to stream the selected file.\nPlease check the following possible problems:\n1. Poor "
    "wireless network performance\n2. Network is busy\n3. File format not support or this file "
    "might be damaged.";
constexpr const char* kMagnifier =
    "Please install the Magnifier component first and try again later!";

constexpr CodeRange kMessages[] = {
    {-6528001, -6528001, kConnectFailedText},
    {-6528002, -6528002, kDisconnected},
    {-6528102, -6528102, kDisconnected},
    {-6528201, -6528203, kDisconnected},
    {-6528306, -6528306, kDisconnected},
    {-6528101, -6528101, kBusy},
    {-6528302, -6528302, kBusy},
    {-6528323, -6528323, kBusy},
    {-6528301, -6528301, "Incorrect LOGIN CODE"},
    {-6528303, -6528303, "Fail to stop projection."},
    {-6528304, -6528304, kStream},
    {-6528313, -6528314, kStream},
    {-6528501, -6528501, kStream},
    {-6528503, -6528505, kStream},
    {-6528305, -6528305,
     "Due to your firewall setting, the client application cannot establish connection for video "
     "streaming. Please check firewall settings to allow this application to be able to "
     "communicate with the server! (Inbound TCP 1041)"},
    {-6528316, -6528316,
     "The server is in Conference Control mode. Only the conference moderator can control "
     "projection."},
    {-6528401, -6528401, kMagnifier},
    {-6528405, -6528405, kMagnifier},
    {-6528402, -6528402, "Internal error - no start function."},
    {-6528403, -6528403, "Internal error - no stop function."},
};

}  // namespace

std::string LoginErrorMessage(int code) {
    for (const CodeRange& r : kMessages) {
        if (code <= r.first && code >= r.last) {
            return r.text;
        }
    }
    return {};
}

}  // namespace ui
