// RecordingPageOperations: PageOperations for tests.
//
// Every call appends one line to `calls` ("PreparePage", "FillProfilePage 1",
// "OnTileHover 67108864 30233", ...); answers come from the public fields.
// `onCall`, when set, runs after each record (for example to fill the
// dialog as the real page would).
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ui/dialogs/page_operations.h"

namespace ui {

class RecordingPageOperations final : public PageOperations {
public:
    void PreparePage(CQKCommonDlg& d) override { Note(d, "PreparePage"); }
    void StorePromptInput(CQKCommonDlg& d) override { Note(d, "StorePromptInput"); }
    void ApplyVolumePageSettings(CQKCommonDlg& d) override { Note(d, "ApplyVolumePageSettings"); }
    bool FillProfilePage(CQKCommonDlg& d, int mode) override {
        Note(d, "FillProfilePage " + std::to_string(mode));
        return fillProfileResult;
    }
    void SaveProfiles(CQKCommonDlg& d) override { Note(d, "SaveProfiles"); }
    void OnProfileCommand(CQKCommonDlg& d, uint32_t id) override {
        Note(d, "OnProfileCommand " + std::to_string(id));
    }
    void FillApClientPage(CQKCommonDlg& d) override { Note(d, "FillApClientPage"); }
    void OnApClientModeChanged(CQKCommonDlg& d, uint32_t id) override {
        Note(d, "OnApClientModeChanged " + std::to_string(id));
    }
    void OnApClientEncryptionChanged(CQKCommonDlg& d) override {
        Note(d, "OnApClientEncryptionChanged");
    }
    void ApplyApClientSettings(CQKCommonDlg& d) override { Note(d, "ApplyApClientSettings"); }
    void ChooseAccessPoint(CQKCommonDlg& d) override { Note(d, "ChooseAccessPoint"); }
    int IsNewerVersion(const std::string& offered) override {
        Record("IsNewerVersion " + offered);
        return newerVersion;
    }
    bool ManualConnectByIp(CQKCommonDlg& d) override {
        Note(d, "ManualConnectByIp");
        return manualConnectResult;
    }
    void RebuildPageClients(CQKCommonDlg& d) override { Note(d, "RebuildPageClients"); }
    bool SearchPageClients(CQKCommonDlg& d, bool* passwordWanted) override {
        Note(d, "SearchPageClients");
        if (passwordWanted) {
            *passwordWanted = searchPasswordWanted;
        }
        return searchRunning;
    }
    void OnLanguageSelected(CQKCommonDlg& d, const std::string& language) override {
        Note(d, "OnLanguageSelected " + language);
    }
    // May run on a worker thread: guarded, and it may block on `checkGate`.
    int CheckNetwork() override {
        Record("CheckNetwork");
        if (checkGate) {
            checkGate();
        }
        return checkResult;
    }
    void ShowCheckResult(CQKCommonDlg& d, int result) override {
        Note(d, "ShowCheckResult " + std::to_string(result));
    }
    void OnTileHover(CQKCommonDlg& d, uint32_t event, uint32_t id) override {
        Note(d, "OnTileHover " + std::to_string(event) + " " + std::to_string(id));
    }
    bool OnClientEvent(CQKCommonDlg& d, uint32_t code, int64_t param) override {
        Note(d, "OnClientEvent " + std::to_string(code) + " " + std::to_string(param));
        return false;
    }

    std::vector<std::string> Calls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    bool fillProfileResult = true;
    int newerVersion = 0;
    bool manualConnectResult = false;
    bool searchRunning = false;
    bool searchPasswordWanted = false;
    int checkResult = 0;
    std::function<void()> checkGate;
    std::function<void(CQKCommonDlg&, const std::string&)> onCall;

private:
    void Record(const std::string& line) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(line);
    }
    void Note(CQKCommonDlg& d, const std::string& line) {
        Record(line);
        if (onCall) {
            onCall(d, line);
        }
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
};

}  // namespace ui
