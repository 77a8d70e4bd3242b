// FakeMainWindowServices: MainWindowServices for tests.
//
// Settings live in memory (writes are recorded and applied to the known
// keys LanguageID, TVExpandWidth, TVExpandHeight); discovery answers with
// `discovered` and `discoverCode`; the client factory calls `makeClient`
// (null: no client), login rows' clients `makeRowClient` when set; the
// language is a plain field.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialogs/main_window_services.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {

class FakeMainWindowServices final : public MainWindowServices {
public:
    const pemuapp::SenderSettings& Settings() const override { return settings; }
    bool WriteSetting(const std::string& key, const std::string& value) override {
        writes.emplace_back(key, value);
        if (key == "LanguageID") {
            settings.languageId = value;
        } else if (key == "TVExpandWidth") {
            settings.tvExpandWidth = std::atoi(value.c_str());
        } else if (key == "TVExpandHeight") {
            settings.tvExpandHeight = std::atoi(value.c_str());
        }
        return writeResult;
    }
    int RunDeviceDiscover(std::vector<DevAnnounce>& result) override {
        ++discoverCalls;
        result = discovered;
        return discoverCode;
    }
    std::unique_ptr<VRXClient> MakeClient(platform::WindowId eventTarget) override {
        clientTargets.push_back(eventTarget);
        return makeClient ? makeClient(eventTarget) : nullptr;
    }
    std::unique_ptr<VRXClient> MakeRowClient(platform::WindowId eventTarget,
                                             int64_t eventSource) override {
        clientSources.push_back(eventSource);
        if (makeRowClient) {
            clientTargets.push_back(eventTarget);
            return makeRowClient(eventTarget, eventSource);
        }
        return MakeClient(eventTarget);
    }
    VRXClient* MainClient() override { return mainClient; }
    platform::WindowId MainWindowId() const override { return mainWindow; }
    std::string LanguageName() const override { return settings.languageId; }
    void ApplyLanguageName(const std::string& name) override {
        applied.push_back(name);
        if (onApplyLanguage) {
            onApplyLanguage(name);
        }
    }
    void StoreDeviceNameAndWifiKey(const std::string& key) override { storedKeys.push_back(key); }
    void ShowReceiverRebootNotice() override {
        ++rebootNotices;
        if (onRebootNotice) {
            onRebootNotice();
        }
    }

    pemuapp::SenderSettings settings;
    bool writeResult = true;
    std::vector<std::pair<std::string, std::string>> writes;
    std::vector<DevAnnounce> discovered;
    int discoverCode = 0;
    int discoverCalls = 0;
    std::function<std::unique_ptr<VRXClient>(platform::WindowId)> makeClient;
    // Clients of login rows (null: makeClient makes them too).
    std::function<std::unique_ptr<VRXClient>(platform::WindowId, int64_t)> makeRowClient;
    std::vector<platform::WindowId> clientTargets;
    std::vector<int64_t> clientSources;  // of MakeRowClient, in order
    VRXClient* mainClient = nullptr;
    platform::WindowId mainWindow;
    std::vector<std::string> applied;
    std::vector<std::string> storedKeys;
    int rebootNotices = 0;
    std::function<void()> onRebootNotice;
    // What applying a language does beyond recording it (null: nothing).
    std::function<void(const std::string&)> onApplyLanguage;
};

}  // namespace ui
