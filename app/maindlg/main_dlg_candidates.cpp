// The receiver choice of the search page and the logins that follow it:
// the candidate loop, the login without a chosen receiver, and the entry of
// a receiver's name or address.
#include <algorithm>
#include <cstring>

#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr uint32_t kExtendedDesktopPauseMs = 2000;

// The record of a receiver the choice names only by {name, address}: the
// found record when discovery listed it, else one with just those two.
DevAnnounce RecordOf(const ui::DiscoveredReceiver& row, const std::vector<DevAnnounce>& found) {
    const uint32_t address = ParseDottedAddress(row.ip);
    for (const DevAnnounce& record : found) {
        if (address != 0 && record.GetIPv4() == address) {
            return record;
        }
    }
    DevAnnounce record;
    record.SetIPv4(address);
    const size_t n = std::min(row.name.size(), DevAnnounce::kNameSize - 1);
    std::memcpy(record.bytes + DevAnnounce::kNameOffset, row.name.data(), n);
    return record;
}

}  // namespace

CandidateOutcome ClassifyReceiverChoice(int result, int closeCode, int selectedRow,
                                        size_t receivers) {
    if (closeCode == 2) {
        return CandidateOutcome::kMinimise;
    }
    const bool rowChosen = selectedRow >= 0 && static_cast<size_t>(selectedRow) < receivers;
    if (rowChosen) {
        return CandidateOutcome::kChosen;
    }
    return result == ui::kIdOk ? CandidateOutcome::kEmptyLogin : CandidateOutcome::kNone;
}

bool CQKinMainDlg::PrepareCandidates() {
    if (m_exiting) {
        return false;
    }
    ui::CQKCommonDlg choice(m_env);
    choice.SetType(28);
    choice.SetClient(m_client.get());
    choice.SetReference(Window());
    choice.SetPassedOver(m_passedOver);
    m_dialogBusy = true;
    m_choice = &choice;
    const int result = m_env.runner->DoModal(choice);
    m_choice = nullptr;
    m_dialogBusy = false;
    const std::vector<ui::DiscoveredReceiver>& rows = choice.Receivers();
    const std::vector<DevAnnounce>& pageRecords = choice.ReceiverRecords();
    switch (ClassifyReceiverChoice(result, choice.CloseCode(), choice.SelectedRow(), rows.size())) {
        case CandidateOutcome::kEmptyLogin:
            ShowEmptyLoginDialog();
            return false;
        case CandidateOutcome::kMinimise:
            // The choice went to the tray: it stays there until the tray
            // icon brings the window back.
            KillTimer(kTimerSearchAnim);
            KillTimer(kTimerConnectPage);
            m_parts->SetPageState(kPageSearch);
            m_keepHidden = true;
            HideMain();
            return false;
        case CandidateOutcome::kNone:
            m_parts->SetPageState(kPageSearch);
            return false;
        case CandidateOutcome::kChosen:
            break;
    }
    // The chosen receiver is the candidate; the lists follow the choice.
    const size_t chosen = static_cast<size_t>(choice.SelectedRow());
    std::vector<DevAnnounce> records;
    std::vector<ReceiverRow> listed;
    // The page's own records where it has them row for row; else the
    // discovery's, found by address.
    const bool ownRecords = pageRecords.size() == rows.size();
    for (size_t i = 0; i < rows.size(); ++i) {
        records.push_back(ownRecords ? pageRecords[i] : RecordOf(rows[i], m_records));
        listed.push_back({rows[i].name, rows[i].ip});
    }
    m_chosenIp = rows[chosen].ip;
    m_candidates.assign(1, records[chosen]);
    m_records.swap(records);
    m_receivers.swap(listed);
    m_conferenceWanted = true;
    m_listOnly = choice.ListOnly();
    m_severalCandidates = m_receivers.size() != 1 && !m_listOnly;
    m_candidateIndex = 0;
    return true;
}

bool CQKinMainDlg::TryListedReceivers() {
    bool loggedIn = false;
    while (!loggedIn && PrepareCandidates()) {
        if (!m_client || m_candidateIndex >= m_candidates.size()) {
            break;
        }
        const DevAnnounce& candidate = m_candidates[m_candidateIndex];
        // A list handed over by the page names receivers only: unless a
        // client of this run is logged in to the chosen one already, the
        // main client logs in to it (the login-code question included).
        const bool loggedInAlready = m_listOnly && LoggedInTo(candidate.GetIPv4());
        m_client->receiverAddress = candidate.GetIPv4();
        m_client->receiverName = m_client->connectName = candidate.GetName();
        m_client->description = candidate.GetDescription();
        m_client->loginCodeStored = candidate.GetCodeMode() != 0;
        if (m_client->loginCodeStored) {
            m_client->loginCode.clear();
        }
        if (loggedInAlready || LoginToReceiver("")) {
            loggedIn = true;
            break;
        }
        // Not logged in: back to the search page, and the choice again. A
        // receiver the page handed over by itself is not handed over again
        // in this search (the user declined its code, or it failed).
        if (m_listOnly) {
            m_passedOver.push_back(m_chosenIp);
        }
        m_parts->SetPageState(kPageSearch);
        m_parts->RefreshPlayButtons();
        m_wm.Invalidate(Window());
        m_conferenceWanted = false;
        m_parts->RefreshTiles(30130);
    }
    if (loggedIn) {
        m_parts->ShowReceiverName(m_client->receiverName);
        m_conferenceWanted = true;
    }
    m_parts->RefreshTiles(30130);
    return loggedIn;
}

void CQKinMainDlg::ShowEmptyLoginDialog() {
    QK_LOG(m_log.get(), LOG_DEBUG, "ShowEmptyLoginDialog()");
    if (m_exiting || !m_client) {
        return;
    }
    m_client->loginCodeStored = false;
    if (!LoginToReceiver("0.0.0.0")) {
        m_parts->SetPageState(kPageSearch);
        m_parts->RefreshPlayButtons();
        m_wm.Invalidate(Window());
        return;
    }
    uint8_t status[2] = {0, 0};
    m_client->GetDeviceStatus(status);
    ui::CQKCommonDlg ask(m_env);
    ask.SetType(29);
    ask.SetReceiverName(m_client->receiverName);
    ask.SetReference(Window());
    if (m_env.runner->DoModal(ask) == ui::kIdCancel) {
        return;
    }
    StartProjectionUnlessBusy(status, true);
    m_parts->SetPageState(kPageProjecting);
    m_parts->RefreshPlayButtons();
    m_wm.Invalidate(Window());
    QK_LOG(m_log.get(), LOG_DEBUG, "ShowEmptyLoginDialog():__END");
}

void CQKinMainDlg::StartProjectionUnlessBusy(const uint8_t status[2], bool settleFirst) {
    if (status[0] != 0 || status[1] != 0) {
        // In use by someone else: logged in, but not projected to.
        m_playState = (m_playState & ~kPlayPositionBits) | kPlayStopped;
        return;
    }
    if (!settleFirst) {
        m_parts->SwitchToExtendedDesktopIfChosen();
    } else if (m_parts->ExtendedDesktopChosen()) {
        // The login has just ended: the desktop changes a moment later.
        if (!PumpFor(kExtendedDesktopPauseMs)) {
            return;
        }
        m_parts->SwitchToExtendedDesktopIfChosen();
    }
    m_parts->StartUsbSharingIfWanted();
    Presentation(128);
}

bool CQKinMainDlg::PumpFor(uint32_t ms) {
    m_pauseOver = false;
    SetTimer(kTimerPause, ms);
    const bool over = m_wm.RunUntil([this] { return m_pauseOver || m_exiting; });
    KillTimer(kTimerPause);
    return over && !m_exiting;
}

bool CQKinMainDlg::AskReceiverEntry() {
    ui::CQKCommonDlg entry(m_env);
    entry.SetType(30);
    entry.SetReference(Window());
    if (m_env.runner->DoModal(entry) != ui::kIdOk) {
        return false;
    }
    m_enteredReceiverText = entry.EnteredText();
    return true;
}

}  // namespace pemuapp
