// Another program on the test X server that owns the CLIPBOARD selection
// with a text and answers requests for it, as a text editor would.
//
// It runs as a child process with its own connection, so that the program
// under test can wait for its answer on the one test thread. The child ends
// when it loses the selection or when the object ends.
#pragma once

#include <sys/types.h>

#include <string>

namespace platform {

class XSelectionOwner {
public:
    enum class Offers {
        kUtf8,        // UTF8_STRING, STRING and TARGETS
        kLatin1Only,  // STRING only: the text's bytes are taken as Latin-1
    };

    XSelectionOwner() = default;
    ~XSelectionOwner();
    XSelectionOwner(const XSelectionOwner&) = delete;
    XSelectionOwner& operator=(const XSelectionOwner&) = delete;

    // Starts the child on `display` and returns once it owns CLIPBOARD with
    // `text`; false when it could not.
    bool Start(const std::string& display, const std::string& text, Offers offers);

private:
    pid_t m_pid = -1;
    int m_stop = -1;  // closing it ends the child
};

}  // namespace platform
