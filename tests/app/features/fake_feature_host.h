// FakeFeatureHost: a FeatureHost for tests. Settings live in a map (the
// struct starts from its defaults), dialogs run on a ScriptedDialogRunner,
// and every call the features make of the window is recorded.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/features/feature_host.h"
#include "app/settings/sender_settings.h"
#include "platform/fake_url_opener.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace featuretest {

struct HandedCode {
    int mode = -1;
    std::string code;
    bool operator==(const HandedCode&) const = default;
};

// A receiver the features added to the engine's list, and how many logins
// had been asked for by then.
struct ListedRow {
    std::string name;
    std::string address;
    size_t loginsBefore = 0;
    bool operator==(const ListedRow&) const = default;
};

class FakeFeatureHost : public pemuapp::FeatureHost {
public:
    FakeFeatureHost() { env.runner = &runner; }

    ui::DialogEnvironment& DialogEnv() override { return env; }
    platform::WindowId MainWindowId() override { return {}; }
    const pemuapp::SenderSettings& Settings() override { return settings; }
    std::string ReadSetting(const std::string& key) override {
        auto it = written.find(key);
        return it == written.end() ? std::string() : it->second;
    }
    bool WriteSetting(const std::string& key, const std::string& value) override {
        written[key] = value;
        writes.emplace_back(key, value);
        return true;
    }
    VRXClient* Client() override { return client; }
    void HandOverLoginCode(int mode, const std::string& code) override {
        handedCodes.push_back({mode, code});
    }
    void HandOverSenderIdentity(const ReplySenderDiscovery::AnnounceType& record) override {
        identities.push_back(record);
    }
    std::string UserName() override { return userName; }
    void SetMainWindowHeight(bool fourTiles) override { heights.push_back(fourTiles); }
    void RefreshTiles(int argument) override { tileRefreshes.push_back(argument); }
    void ShowMainWindow() override { ++mainWindowShown; }
    void ShowLoginCodeOverlay(const std::string& code) override { overlays.push_back(code); }
    void PostCommand(uint32_t id) override {
        {
            std::lock_guard<std::mutex> guard(m_postLock);
            m_posted.push_back(id);
        }
        if (onPost) {
            onPost(id);
        }
    }
    std::vector<uint32_t> Posted() {
        std::lock_guard<std::mutex> guard(m_postLock);
        return m_posted;
    }
    void PumpMessages() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    void ExitProgram() override { ++exits; }
    platform::UrlOpener* UrlOpener() override { return hasOpener ? &opener : nullptr; }
    std::vector<uint32_t> OwnAddresses() override { return ownAddresses; }
    void ResetProjectionState() override { ++projectionResets; }
    void ShowErrorMessage(int code) override { errorMessages.push_back(code); }
    void SetMainWindowLayered(bool layered) override { layeredChanges.push_back(layered); }
    std::vector<std::pair<int, int>> DisplayModes() override { return displayModes; }
    // The engine's steps, reduced to the client calls they make.
    bool Presentation(int position) override {
        presentations.push_back(position);
        return client && client->StartPlayImage(static_cast<uint8_t>(position)) < 0;
    }
    void SetSpeedScreen(bool speedy) override {
        speedScreens.push_back(speedy);
        if (client) {
            client->SetPreBufTime(speedy ? 0 : 1000);
        }
    }
    bool LoginToReceiver(const std::string& address) override {
        logins.push_back(address);
        return loginSucceeds;
    }
    ui::ConnectionProfile CurrentConnection() override { return connection; }
    void AddListedReceiver(const std::string& name, const std::string& address) override {
        listed.push_back({name, address, logins.size()});
    }
    bool SetPowerManagement(bool on) override {
        powerRequests.push_back(on);
        return !on || powerPlansAvailable;
    }

    ui::ScriptedDialogRunner runner;
    ui::DialogEnvironment env;
    pemuapp::SenderSettings settings;
    std::map<std::string, std::string> written;
    std::vector<std::pair<std::string, std::string>> writes;
    VRXClient* client = nullptr;
    std::vector<HandedCode> handedCodes;
    std::vector<ReplySenderDiscovery::AnnounceType> identities;
    std::string userName = "alice";
    std::vector<bool> heights;
    std::vector<int> tileRefreshes;
    int mainWindowShown = 0;
    std::vector<std::string> overlays;
    std::atomic<int> pumps{0};
    std::function<void()> onPump;          // runs in every pump (a message dispatched meanwhile)
    std::function<void(uint32_t)> onPost;  // runs for every post, on the posting thread
    int exits = 0;
    platform::FakeUrlOpener opener;
    bool hasOpener = true;
    std::vector<uint32_t> ownAddresses;
    int projectionResets = 0;
    std::vector<int> errorMessages;
    std::vector<bool> layeredChanges;
    std::vector<std::pair<int, int>> displayModes = {
        {1920, 1080}, {1280, 720}, {1600, 900}, {1024, 768}};
    std::vector<int> presentations;
    std::vector<bool> speedScreens;
    std::vector<std::string> logins;
    std::vector<ListedRow> listed;
    bool loginSucceeds = true;
    ui::ConnectionProfile connection;
    std::vector<bool> powerRequests;
    bool powerPlansAvailable = false;

private:
    std::mutex m_postLock;
    std::vector<uint32_t> m_posted;
};

}  // namespace featuretest
