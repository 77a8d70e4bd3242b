// The demo's sender when it mirrors to a receiver: the client facade logs in,
// asks the receiver to show this sender and projects the X screen, as the
// application does (the receiver refuses an image stream that comes without
// a login, a start request and the SenderId record).
#pragma once

#include <memory>
#include <string>

namespace bench {

class FacadeMirror {
public:
    FacadeMirror();
    ~FacadeMirror();
    FacadeMirror(const FacadeMirror&) = delete;
    FacadeMirror& operator=(const FacadeMirror&) = delete;

    // Logs in to `address` with `code` (empty: the default code) and starts
    // projecting `display` in full screen; `coding` 2, 4 or 7 forces that
    // coding, 0 takes the one the receiver lists. False with the facade's
    // error in *error.
    bool Start(const std::string& display, const std::string& address, const std::string& code,
               int coding, std::string* error);
    // Stops projecting and logs out; the facade's errors are printed.
    void Stop();

    // The coding in use while projecting (0 when not projecting).
    int CodingInUse();
    // Losses the facade reported while it projected.
    int Losses();

private:
    class Client;
    std::unique_ptr<Client> m_client;
    bool m_poolAcquired = false;
};

}  // namespace bench
