// LoginCodeFeature: the code receivers must give to connect to this sender
// (setting "LoginCode"; empty: none). The first start offers a code, command
// 20230 changes it, command 2001 shows it for ten seconds, and every change
// is handed to the sender-server side: mode 2 and the code, or mode 0 and
// an empty text. Log lines never hold the code.
//
// THREADING: user-interface thread.
#pragma once

#include <optional>
#include <string>

namespace pemuapp {

class FeatureHost;

inline constexpr const char* kFixedDefaultLoginCode = "6049";

class LoginCodeFeature {
public:
    // Reads the code and the first-start flag from the host's settings.
    explicit LoginCodeFeature(FeatureHost& host);

    const std::string& Code() const { return m_code; }

    // Once per installation: offers the stored code, or six random digits
    // when none is stored. OK stores the dialog's code; the flag is written
    // "false" in every case.
    void ShowFirstStartLoginCodeDialog();
    // The announce record with the user's name, then the code hand-over.
    void SetupSenderIdentity();
    // Command 20230: the change dialog (one at a time).
    void OnChangeLoginCode();
    // Command 2001: the overlay, unless there is no own code.
    void OnShowLoginCode();
    // The code to the sender-server side.
    void HandOver();

private:
    // The code dialog of `type` showing `initial`; the typed code on OK.
    std::optional<std::string> AskForCode(int type, bool layered, const std::string& initial);
    bool Store(const std::string& code);

    FeatureHost& m_host;
    std::string m_code;
    bool m_firstStart = true;
    bool m_changeOpen = false;
};

}  // namespace pemuapp
