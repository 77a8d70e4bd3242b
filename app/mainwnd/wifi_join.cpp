#include "app/mainwnd/wifi_join.h"

#include <algorithm>
#include <memory>
#include <thread>

#include "platform/clock.h"

namespace pemuapp {

bool ProfileStartsJoin(bool autoWifi, const std::string& ssid) {
    return autoWifi && !ssid.empty() && ssid != kExistingNetwork;
}

std::vector<platform::WifiAccessPoint> SortByQuality(
    const std::vector<platform::WifiAccessPoint>& found) {
    std::vector<platform::WifiAccessPoint> out;
    out.reserve(found.size());
    for (const platform::WifiAccessPoint& ap : found) {
        auto at = std::find_if(out.begin(), out.end(), [&](const platform::WifiAccessPoint& o) {
            return o.signal <= ap.signal;
        });
        out.insert(at, ap);
    }
    return out;
}

int KeyKindOf(int authentication) {
    if (authentication >= 3 && authentication <= 5) {
        return 3;
    }
    if (authentication == 6 || authentication == 7) {
        return 6;
    }
    return 0;
}

namespace {

// Sleeps the calling worker until `ms` have passed on the process clock, so
// that a test's clock decides when the wait ends.
void WaitOnClock(uint32_t ms) {
    const uint64_t end = platform::NowMs() + ms;
    for (uint64_t now = platform::NowMs(); now < end; now = platform::NowMs()) {
        platform::SleepMs(static_cast<uint32_t>(std::min<uint64_t>(end - now, 20)));
    }
}

// The join worker's steps: the join; an adapter with an address already
// gets a fixed wait, any other the wait for its address change, the LAN
// checks and the settling time. Returns the failure's reason ("" when it
// went through) and sets `result`.
std::string RunJoin(platform::WifiProvider& wifi, const platform::WifiJoinRequest& request,
                    uint32_t addressWaitMs, uint32_t lanCheckMs, uint32_t settleMs,
                    std::atomic<int>& result) {
    const bool adapterKnown = wifi.AdapterHasAddress(request.interfaceName);
    std::string error;
    if (!wifi.Join(request, &error)) {
        result.store(kJoinFinished);
        return error.empty() ? std::string("the join failed") : error;
    }
    if (adapterKnown) {
        WaitOnClock(addressWaitMs);
        result.store(kJoinFinished);
        return {};
    }
    if (wifi.WaitForAddressChange(addressWaitMs) < 0) {
        result.store(kJoinNotifyFailed);
        return "the address change could not be watched";
    }
    for (int check = 0; check < kLanChecks; ++check) {
        if (check > 0) {
            WaitOnClock(lanCheckMs);
        }
        if (wifi.ConnectedThroughLan()) {
            break;
        }
    }
    WaitOnClock(settleMs);
    result.store(kJoinFinished);
    return {};
}

}  // namespace

std::string WifiJoinFlow::Read(const std::string& key) const {
    return m_ctx.readSetting ? m_ctx.readSetting(key) : std::string();
}

void WifiJoinFlow::Write(const std::string& key, const std::string& value) {
    if (m_ctx.writeSetting) {
        m_ctx.writeSetting(key, value);
    }
}

void WifiJoinFlow::Log(const std::string& line) {
    if (m_ctx.log) {
        m_ctx.log(line);
    }
}

void WifiJoinFlow::WaitFor(const std::atomic<bool>& done) {
    while (!done.load()) {
        if (m_ctx.pump) {
            m_ctx.pump(kPumpMs);
        } else {
            platform::SleepMs(kPumpMs);
        }
    }
}

void WifiJoinFlow::ResetRestoreKeys() {
    Write("SelectAPName", "");
    Write("isZERIFlag", "0");
    Write("oldAPName", "");
    Write("oldNTName", "");
    Write("isRestore", "0");
}

int WifiJoinFlow::RestoreService() {
    if (Read("isZERIFlag") == "1") {
        return 0;
    }
    ResetRestoreKeys();
    if (m_ctx.wifi) {
        m_ctx.wifi->RestoreService();
    }
    return 1;
}

int WifiJoinFlow::ChooseAndJoin(bool profileChosen, ui::ConnectionProfile& profile) {
    platform::WifiProvider* wifi = m_ctx.wifi;
    if (!wifi) {
        return kJoinNotManaged;
    }
    switch (wifi->ServiceState()) {
        case platform::WifiServiceState::kNotManaged:
            return kJoinNotManaged;
        case platform::WifiServiceState::kQueryFailed:
            return kJoinNotifyFailed;
        case platform::WifiServiceState::kManaged:
            break;
    }
    const std::string inUse = wifi->CurrentNetwork();

    // The list, on a worker; the UI keeps pumping.
    auto found = std::make_shared<std::vector<platform::WifiAccessPoint>>();
    auto listDone = std::make_shared<std::atomic<bool>>(false);
    std::thread lister([wifi, found, listDone] {
        wifi->ListAccessPoints(*found);
        listDone->store(true);
    });
    WaitFor(*listDone);
    lister.join();
    if (found->empty()) {
        return 0;
    }
    const std::vector<platform::WifiAccessPoint> sorted = SortByQuality(*found);
    const std::string storedKey = Read("WifiKeyByVornCipher");
    const std::string storedName = Read("DeviceNameByVornCipher");

    platform::WifiJoinRequest request;
    if (!profileChosen) {
        ui::CQKCommonDlg choice(m_ctx.env);
        choice.SetType(1);
        choice.SetReference(m_ctx.owner);
        for (const platform::WifiAccessPoint& ap : sorted) {
            choice.AllAccessPoints().push_back({ap.ssid, ap.bssid, ap.signal, ap.authentication});
        }
        if (!m_ctx.env.runner || m_ctx.env.runner->DoModal(choice) != ui::kIdOk) {
            return 0;
        }
        const int row = choice.SelectedRow();
        if (row < 0 || static_cast<size_t>(row) >= sorted.size()) {
            return 0;
        }
        const platform::WifiAccessPoint& ap = sorted[static_cast<size_t>(row)];
        request.ssid = ap.ssid;
        request.interfaceName = ap.interfaceName;
        request.authentication = ap.authentication;
        ui::CQKCommonDlg keyBox(m_ctx.env);
        keyBox.SetType(4);
        keyBox.SetReference(m_ctx.owner);
        keyBox.SetChosenAuthentication(KeyKindOf(ap.authentication));
        const bool stored = !storedKey.empty() && storedName == ap.ssid;
        if (stored) {
            keyBox.SetInitialText(kStoredKeyMask);
        }
        if (m_ctx.env.runner->DoModal(keyBox) != ui::kIdOk) {
            return kJoinKeyCancelled;
        }
        const std::string entered = keyBox.GetEnteredKey();
        request.key = entered == kStoredKeyMask && stored ? storedKey : entered;
        if (!inUse.empty() && request.ssid == inUse) {
            return kJoinNetworkInUse;
        }
    } else {
        request.ssid = profile.ssid.substr(0, 1024);
        request.key = profile.key;
        for (const platform::WifiAccessPoint& ap : sorted) {
            if (ap.ssid == request.ssid) {
                request.interfaceName = ap.interfaceName;
                request.authentication = ap.authentication;
                break;
            }
        }
        if (!inUse.empty() && request.ssid == inUse) {
            return kJoinNetworkInUse;
        }
    }
    if (request.ssid.empty()) {
        return 0;
    }
    if (Read("isZERIFlag") != "1") {
        Write("oldAPName", request.interfaceName);
        Write("oldNTName", inUse);
        Write("isRestore", "1");
        Write("isZERIFlag", "1");
    }
    Write("SelectAPName", request.ssid);
    if (request.ssid == storedName) {
        Write("WifiKeyByVornCipher", "");
        Write("DeviceNameByVornCipher", "");
    }
    profile.ssid = request.ssid;
    profile.key = request.key;

    // The join, on a worker.
    auto joinDone = std::make_shared<std::atomic<bool>>(false);
    auto result = std::make_shared<std::atomic<int>>(kJoinFinished);
    auto reason = std::make_shared<std::string>();
    std::thread joiner([wifi, request, joinDone, result, reason,
                        addressWaitMs = m_ctx.addressWaitMs, lanCheckMs = m_ctx.lanCheckMs,
                        settleMs = m_ctx.settleMs] {
        *reason = RunJoin(*wifi, request, addressWaitMs, lanCheckMs, settleMs, *result);
        joinDone->store(true);
    });
    WaitFor(*joinDone);
    joiner.join();
    m_joinAttempted = true;
    if (!reason->empty()) {
        Log("Wi-Fi join of \"" + request.ssid + "\" failed: " + *reason);
    } else {
        Log("Wi-Fi join of \"" + request.ssid + "\" done");
    }
    return result->load();
}

}  // namespace pemuapp
