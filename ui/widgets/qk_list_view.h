// CQKListView: the skinned list of rows, four shown at a time, scrolled by a
// CQKScrollbar and stepped by the dialog's arrow keys.
//
// It holds receiver rows (CQKLoginItem, each bound to a client of the
// sender client library) or device rows (CQKBlankItem). Each draw lays the
// rows out: the four from the first visible one are shown one under the
// other, the others hidden, and the list's height becomes theirs. The first
// visible row lasts between draws and is kept within the last page.
//
// Events: a row's press or double click selects it and reports a click to
// the dialog (main: DoEvent with the second flag set; common: OnItemClicked);
// SelectPrevious and SelectNext report kEventSelectionStepped; the row codes
// 64, 128, 1024 and 2048 go to the main dialog unchanged; a press on the
// list itself is passed to the dialog window.
//
// Ownership: the list owns its rows; clients and the settings reader are
// borrowed from the creator. The scrollbar is found by its window.
// THREADING: user-interface thread only. RefreshLoginStates pumps window
// messages (each row asks its receiver); rows removed meanwhile are skipped
// and freed after the walk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/widgets/qkin.h"

class VRXClient;

namespace ui {

class CQKLoginItem;
class CQKScrollbar;
class SettingsReader;

class CQKListView : public CQKin {
public:
    static constexpr int kShownRows = 4;

    CQKListView();
    // Runs RemoveAll.
    ~CQKListView() override;

    // --- Rows ------------------------------------------------------------------
    // Appends a receiver row for `client` (borrowed) at `ipv4` (network
    // order) named `name`. 0.
    int AddLoginItem(VRXClient* client, uint32_t ipv4, std::string name);
    // Appends a device row showing `deviceName`. The new row count.
    int AddBlankItem(std::string deviceName);
    // Logs out the client of every receiver row that is not logged in, then
    // deletes every row.
    void RemoveAll();
    // Logs the client out and deletes its row and the row's window; the
    // first visible row goes back to 0 when the rest fits. False for a null
    // client; true otherwise, found or not.
    bool RemoveClientRow(VRXClient* client);
    // Every receiver row's logged-in state from its client.
    void RefreshLoginStates();
    // Empties `out`, then adds the client of every logged-in receiver row. Its size.
    int GetLoggedInClients(std::vector<VRXClient*>& out) const;
    // Disables (ClearRowMark) or enables (SetRowMark) every receiver row,
    // refreshes its buttons and draws it.
    void ClearRowMark();
    void SetRowMark();

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    CQKin* Row(int index) const;

    // --- Selection and scrolling -----------------------------------------------
    int SelectPrevious();
    int SelectNext();
    int Selection() const { return m_selection; }
    void SetSelection(int row) { m_selection = row; }
    int FirstVisible() const { return m_firstVisible; }
    void SetFirstVisible(int row) { m_firstVisible = row; }
    int LastFirstVisible() const { return m_lastFirstVisible; }
    int VisibleRows() const { return m_visibleRows; }

    void SetScrollbar(platform::WindowId scrollbarWindow) { m_scrollbar = scrollbarWindow; }
    CQKScrollbar* Scrollbar() const;
    // Where receiver rows read their log settings (borrowed; may be null).
    void SetSettingsReader(const SettingsReader* settings) { m_settings = settings; }

    // --- Drawing and events ------------------------------------------------------
    int DrawToBackBuffer() override;
    int OnChildEvent(int code, CQKin* row) override;
    int OnScrollNotify(int code, CQKin* sender) override;

    // --- Rows of projectors -------------------------------------------------------
    // The media controls of the main dialog act on checked projector rows.
    // This program has no such rows, so these find none: counts and results
    // are 0 and AllCheckedSupportH264 is true.
    int CountCheckedRows() const { return 0; }
    int StopPlayImageOnChecked() { return 0; }
    int PlayVideoFileOnChecked(const std::wstring&) { return 0; }
    int CountPlayableOnChecked() const { return 0; }
    int PauseVideoFileOnChecked() { return 0; }
    int ResumeVideoFileOnChecked() { return 0; }
    int StopVideoFileOnChecked() { return 0; }
    int SetVolLevelOnChecked(int) { return 0; }
    int MuteUnmuteOnChecked() { return 0; }
    int SetVideoFileRepeatOnChecked(bool) { return 0; }
    int SeekVideoFileOnChecked(double) { return 0; }
    bool AllCheckedSupportH264() const { return true; }
    int RecountChecked() { return 0; }

protected:
    int64_t OnLButtonDown(platform::Point p) override;
    int64_t OnLButtonUp(platform::Point p) override;

private:
    std::vector<CQKLoginItem*> LoginRows() const;
    bool Holds(const CQKin* row) const;
    // Takes a row out of the list; freed now, or after a running refresh walk.
    void Retire(std::vector<WidgetPtr<CQKin>>::iterator it);
    void PrepareRow(CQKin& row, uint32_t idOffset, platform::Rect rect);
    void MarkRows(bool enabled);

    std::vector<WidgetPtr<CQKin>> m_rows;
    std::vector<WidgetPtr<CQKin>> m_retired;
    int m_walks = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    int m_selection = 0;
    int m_firstVisible = 0;
    platform::WindowId m_scrollbar;
    int m_visibleRows = kShownRows;
    int m_lastFirstVisible = 0;
    bool m_paintGuard = true;
    const SettingsReader* m_settings = nullptr;
};

}  // namespace ui
