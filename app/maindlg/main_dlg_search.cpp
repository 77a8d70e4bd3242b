// Receiver search: the discovery passes, the two background threads and the
// return to the search page.
#include <algorithm>

#include "app/maindlg/address_text.h"
#include "app/maindlg/main_dlg.h"
#include "vrxclientsdk/VRPClient/Logger.h"

namespace pemuapp {
namespace {

constexpr uint16_t kFirstDiscoveryPort = 1047;
constexpr uint16_t kLastDiscoveryPort = 1049;
constexpr uint32_t kDiscoveryDone = 0x5E11;

}  // namespace

void ListReceivers(const std::vector<DevAnnounce>& found, Logger* log,
                   std::vector<DevAnnounce>* records, std::vector<ReceiverRow>* rows) {
    for (const DevAnnounce& record : found) {
        if (!record.IsListable()) {
            QK_LOG(log, LOG_DEBUG, "DeviceDiscover():%d,%d", static_cast<int8_t>(record.GetKind1()),
                   static_cast<int8_t>(record.GetKind2()));
            continue;
        }
        records->push_back(record);
        rows->push_back({record.GetName(), DottedAddress(record.GetIPv4())});
    }
}

// One pass on a worker: the results are built here and handed over whole.
CQKinMainDlg::DiscoveryResult CQKinMainDlg::Discover(CQKVRXClientEx& client) {
    DiscoveryResult result;
    std::vector<DevAnnounce> found;
    client.DeviceDiscover(found, &m_abort, false, kFirstDiscoveryPort, kLastDiscoveryPort,
                          m_services.discoverySeconds);
    ListReceivers(found, m_log.get(), &result.records, &result.rows);
    return result;
}

int CQKinMainDlg::DeviceDiscover() {
    QK_LOG(m_log.get(), LOG_DEBUG, "DeviceDiscover()");
    if (m_passRunning.exchange(true)) {
        return 0;
    }
    if (!m_client) {
        m_passRunning = false;
        return -1;
    }
    DiscoveryResult result = Discover(*m_client);
    if (m_abort) {
        return -2;  // closing: the lists stay as they are
    }
    const int count = static_cast<int>(result.rows.size());
    if (result.records.empty()) {
        QK_LOG(m_log.get(), LOG_DEBUG, "DeviceDiscover():vecDevAnnounce.size() == 0");
    }
    {
        std::lock_guard<std::mutex> guard(m_resultLock);
        m_pendingA = std::make_unique<DiscoveryResult>(std::move(result));
    }
    m_passRunning = false;
    return count > 0 ? count : -1;
}

void CQKinMainDlg::StartDiscoveryThread(bool listPage) {
    std::atomic<bool>& mine = listPage ? m_threadB : m_threadA;
    std::atomic<bool>& other = listPage ? m_threadA : m_threadB;
    if (m_abort || other || mine.exchange(true)) {
        return;
    }
    if (other) {
        mine = false;
        return;
    }
    std::unique_ptr<CQKVRXClientEx> client = NewClient();
    if (!client) {
        mine = false;
        return;
    }
    const platform::WindowId window = Window();
    std::shared_ptr<CQKVRXClientEx> shared(std::move(client));
    StartWorker([this, listPage, window, c = std::move(shared)]() mutable {
        DiscoveryResult result = Discover(*c);
        c.reset();
        if (!m_abort) {
            {
                std::lock_guard<std::mutex> resultGuard(m_resultLock);
                (listPage ? m_pendingB : m_pendingA) =
                    std::make_unique<DiscoveryResult>(std::move(result));
            }
            m_wm.PostCommand(window, listPage ? kCmdListPageFilled : kCmdListFilled);
        }
        (listPage ? m_threadB : m_threadA) = false;
    });
}

// The UI thread takes what a pass found: hidden windows and the wrong page
// mode discard it; the selection is reset.
void CQKinMainDlg::TakeDiscoveryResult(bool listPage) {
    std::unique_ptr<DiscoveryResult> result;
    {
        std::lock_guard<std::mutex> guard(m_resultLock);
        result = std::move(listPage ? m_pendingB : m_pendingA);
    }
    if (!result) {
        return;
    }
    if (listPage ? !m_listPage : (m_listPage || !m_wm.IsVisible(Window()))) {
        return;
    }
    m_records.swap(result->records);
    m_receivers.swap(result->rows);
    m_selected = -1;
    m_parts->FillReceiverList(m_receivers);
    QK_LOG(m_log.get(), LOG_DEBUG, "receiver list: %zu receivers", m_receivers.size());
    m_wm.Invalidate(Window());
}

void CQKinMainDlg::AddListedReceiver(const ReceiverRow& row) {
    if (row.address.empty()) {
        return;
    }
    auto same = std::find_if(m_receivers.begin(), m_receivers.end(),
                             [&](const ReceiverRow& r) { return r.address == row.address; });
    if (same == m_receivers.end()) {
        m_receivers.push_back({row.name.empty() ? row.address : row.name, row.address});
    } else if (!row.name.empty()) {
        same->name = row.name;
    }
    m_severalCandidates = m_receivers.size() > 1;
    m_selected = -1;
    m_parts->FillReceiverList(m_receivers);
    QK_LOG(m_log.get(), LOG_DEBUG, "receiver list: %s added, %zu receivers", row.address.c_str(),
           m_receivers.size());
    m_wm.Invalidate(Window());
}

int CQKinMainDlg::RunDeviceDiscover(std::vector<DevAnnounce>& result) {
    std::atomic<bool> done{false};
    std::atomic<int> rc{0};
    std::thread worker([&] {
        rc = DeviceDiscover();
        done = true;
    });
    m_wm.SetOverrideCursor(platform::CursorShape::kWait);
    m_wm.RunUntil([&] { return done.load() || m_abort.load(); });
    worker.join();
    m_wm.SetOverrideCursor(std::nullopt);
    std::unique_ptr<DiscoveryResult> found;
    {
        std::lock_guard<std::mutex> guard(m_resultLock);
        found = std::move(m_pendingA);
    }
    result.clear();
    if (found) {
        m_records = found->records;
        m_receivers = found->rows;
        result = std::move(found->records);
    }
    return rc;
}

void CQKinMainDlg::OnSearch() {
    QK_LOG(m_log.get(), LOG_DEBUG, "OnSearch()");
    if (!m_parts->ConfirmLeave()) {
        return;
    }
    KillTimer(kTimerSearchBlink);
    SetTimer(kTimerSearchAnim, 500);
    m_parts->SetPageState(kPageSearch);
    m_wm.Invalidate(Window());
    if (m_client) {
        m_client->receiverName.clear();
        m_client->userName.clear();
        m_client->loginCode.clear();
    }
    // The current connection profile's receiver first; the listed
    // receivers only when that found nothing.
    if (m_parts->RunQuickProfile() == -1) {
        Connecting();
    }
    QK_LOG(m_log.get(), LOG_DEBUG, "OnSearch():__END");
}

void CQKinMainDlg::ShowSearchPage() {
    m_parts->SetPageState(kPageSearch);
    m_wm.Invalidate(Window());
    SetTimer(kTimerSearchBlink, 500);
}

void CQKinMainDlg::Connecting() {
    QK_LOG(m_log.get(), LOG_DEBUG, "Connecting()");
    KillTimer(kTimerSearchAnim);
    if (m_connecting || m_exiting) {
        return;
    }
    m_connecting = true;
    m_passedOver.clear();  // a new search offers every receiver again
    // The search page, then the receiver choice and the login it leads to.
    ShowSearchPage();
    m_conferenceWanted = false;
    TryListedReceivers();
    if (m_conferenceWanted) {
        m_parts->FetchConferenceInfo();
    }
    m_parts->RefreshTiles(30130);
    QK_LOG(m_log.get(), LOG_DEBUG, "Connecting():__END");
    m_connecting = false;
}

}  // namespace pemuapp
