// MainFeatureHost: the FeatureHost of the running program, over the main
// dialog's engine (settings, client, dialogs, overlay, exit) and the main
// window (tiles, height, own addresses).
//
// Ownership: borrows the window manager, the engine and the window; all
// three outlive it.
// THREADING: as FeatureHost: PostCommand and Client from any thread, the
// rest on the user-interface thread.
#pragma once

#include <memory>

#include "app/features/feature_host.h"

namespace platform {
class WindowManager;
}

namespace pemuapp {

class CQKinMainDlg;
class MainWindow;

class MainFeatureHost final : public FeatureHost {
public:
    MainFeatureHost(platform::WindowManager& wm, CQKinMainDlg& engine, MainWindow& window);
    ~MainFeatureHost() override;
    MainFeatureHost(const MainFeatureHost&) = delete;
    MainFeatureHost& operator=(const MainFeatureHost&) = delete;

    ui::DialogEnvironment& DialogEnv() override;
    platform::WindowId MainWindowId() override;
    const SenderSettings& Settings() override;
    std::string ReadSetting(const std::string& key) override;
    bool WriteSetting(const std::string& key, const std::string& value) override;
    VRXClient* Client() override;
    void HandOverLoginCode(int mode, const std::string& code) override;
    void HandOverSenderIdentity(const ReplySenderDiscovery::AnnounceType& record) override;
    std::string UserName() override;
    void SetMainWindowHeight(bool fourTiles) override;
    void RefreshTiles(int argument) override;
    void ShowMainWindow() override;
    void ShowLoginCodeOverlay(const std::string& code) override;
    void PostCommand(uint32_t id) override;
    void PumpMessages() override;
    void ExitProgram() override;
    platform::UrlOpener* UrlOpener() override;
    std::vector<uint32_t> OwnAddresses() override;
    void ResetProjectionState() override;
    void ShowErrorMessage(int code) override;
    void SetMainWindowLayered(bool layered) override;
    std::vector<std::pair<int, int>> DisplayModes() override;
    bool Presentation(int position) override;
    void SetSpeedScreen(bool speedy) override;
    bool LoginToReceiver(const std::string& address) override;
    ui::ConnectionProfile CurrentConnection() override;
    bool SetPowerManagement(bool on) override;
    void AddListedReceiver(const std::string& name, const std::string& address) override;

private:
    platform::WindowManager& m_wm;
    CQKinMainDlg& m_engine;
    MainWindow& m_window;
    // Made on first use: a desktop without an opener logs it once.
    std::unique_ptr<platform::UrlOpener> m_opener;
    bool m_openerTried = false;
};

}  // namespace pemuapp
