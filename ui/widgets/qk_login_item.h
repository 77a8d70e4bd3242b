// CQKLoginItem: a receiver row of a CQKListView, bound to one client of the
// sender client library, the receiver's IPv4 address and its name.
//
// 316 x 20. It shows the background for its place (5110 when it is the
// list's selection, else 5111 or 5112 by the parity of the place it was
// added at) and the children of the login-row layout table: texts (the
// first device-name text, "BLANKITEM_SSID_TEXT": the receiver's name;
// "BLANKITEM_IP_TEXT": the address) and buttons ("BLANKITEM_CONNECT_BUTTON"
// shown while not logged in, "BLANKITEM_DISCONNECT_BUTTON" while logged in).
// Its logged-in flag mirrors the client's status; a disabled row ignores
// clicks and shows its buttons inactive. On creation it opens the client's
// per-receiver log as the settings say (receiver_log.h).
//
// Ownership: the client is borrowed (receiver_row_client.h); the settings
// reader is borrowed from the list's creator and may be null (no log).
// THREADING: user-interface thread only. RefreshLoginState waits for the
// receiver while pumping window messages (see CQKListView::RefreshLoginStates).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/widgets/list_row.h"

class VRXClient;

namespace ui {

class SettingsReader;

class CQKLoginItem : public ListRow {
public:
    static constexpr int kWidth = 316;
    static constexpr int kHeight = 20;
    static constexpr uint32_t kSelectedBackground = 5110;
    static constexpr uint32_t kEvenBackground = 5111;
    static constexpr uint32_t kOddBackground = 5112;

    CQKLoginItem();
    ~CQKLoginItem() override;

    // The row's binding, set before CreateChildren.
    void Bind(VRXClient* client, uint32_t ipv4NetworkOrder, std::string name);
    void SetSettings(const SettingsReader* settings) { m_settings = settings; }
    VRXClient* Client() const { return m_client; }
    uint32_t Address() const { return m_address; }
    const std::string& Name() const { return m_name; }

    bool IsLoggedIn() const { return m_loggedIn; }
    void SetLoggedIn(bool loggedIn) { m_loggedIn = loggedIn; }
    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    // The place the row was added at; its parity chooses the background.
    int Position() const { return m_position; }
    void SetPosition(int position) { m_position = position; }

    // Makes the row's window with its background, its children from the
    // login-row table, opens the receiver log and refreshes the children.
    bool CreateChildren();
    // Sets up the per-receiver log; false without a client.
    bool SetUpReceiverLog();
    // Buttons, texts and colours from the client's status.
    void RefreshChildren();
    // Only the connect and disconnect buttons' visibility.
    void UpdateButtons();
    // The logged-in flag from the client's status; a logged-in receiver's
    // name is read again (pumps). -1 without a client, else 0.
    int RefreshLoginState();

    // Media helpers (each -1 while the client is not connected): can play a
    // video file (1/0); play, pause, resume, seek (1 when the client
    // accepted, 0 when it refused or the state does not allow it).
    int CanPlayVideoFile();
    int PlayVideoFile(const std::wstring& path);
    int PauseVideoFile();
    int ResumeVideoFile();
    int SeekVideoFile(double position);

    // Background, buttons, then the children. 0.
    int DrawToBackBuffer() override;
    // A child's press or double click becomes the row's; -1 for a disabled row.
    int OnChildEvent(int code, CQKin* child) override;

protected:
    // A disabled row passes no press or release to its list.
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;

private:
    int ClientStatus() const;

    bool m_enabled = true;
    int m_position = 0;
    bool m_loggedIn = false;
    std::string m_name;
    uint32_t m_address = 0;
    VRXClient* m_client = nullptr;
    const SettingsReader* m_settings = nullptr;
    // Cleared when the row goes: a refresh that pumped messages looks at it
    // before it touches the row again.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace ui
