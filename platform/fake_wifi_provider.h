// FakeWifiProvider: a WifiProvider for tests that answers with `points`.
//
// Block() makes the next listings wait until Release(), so that a test can
// act while a scan is running (a second refresh, a quit); Calls() counts the
// listings begun; DeletedProfiles() lists the fixed profiles removed. Joining: the public fields
// give the service state, the network in use and the join's and address wait's answers; Joins()
// keeps every request, Restores() counts the restores, AddressWaits() and LanChecks() count
// the address waits and the LAN checks.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "platform/wifi_provider.h"

namespace platform {

class FakeWifiProvider final : public WifiProvider {
public:
    explicit FakeWifiProvider(std::vector<WifiAccessPoint> points = {})
        : m_points(std::move(points)) {}

    bool ListAccessPoints(std::vector<WifiAccessPoint>& out) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_calls;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_blocked; });
        out = m_points;
        return true;
    }

    // Records the SSID; true unless SetDeleteFails(true).
    bool DeleteFixedProfile(const std::string& ssid) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deleted.push_back(ssid);
        return !m_deleteFails;
    }
    std::vector<std::string> DeletedProfiles() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_deleted;
    }
    void SetDeleteFails(bool fails) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deleteFails = fails;
    }

    void SetPoints(std::vector<WifiAccessPoint> points) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_points = std::move(points);
    }
    void Block() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blocked = true;
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blocked = false;
        m_changed.notify_all();
    }
    // Waits until `n` listings have begun.
    void WaitForCalls(int n) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_calls >= n; });
    }
    int Calls() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }

    WifiServiceState ServiceState() override { return serviceState; }
    std::string CurrentNetwork() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return currentNetwork;
    }
    bool Join(const WifiJoinRequest& request, std::string* error) override {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_joinsHeld; });
        m_joins.push_back(request);
        if (!joinSucceeds && error) {
            *error = "the network refused the key";
        }
        if (joinSucceeds) {
            currentNetwork = request.ssid;
        }
        return joinSucceeds;
    }
    int WaitForAddressChange(uint32_t) override {
        ++m_addressWaits;
        return addressChange;
    }
    bool AdapterHasAddress(const std::string& interfaceName) override {
        return interfaceName == adapterWithAddress;
    }
    // True from the `lanAfterChecks`-th check on (0: never).
    bool ConnectedThroughLan() override {
        ++m_lanChecks;
        return lanAfterChecks > 0 && m_lanChecks >= lanAfterChecks;
    }
    int AddressWaits() const { return m_addressWaits; }
    int LanChecks() const { return m_lanChecks; }
    bool RestoreService() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_restores;
        return true;
    }
    // Joins wait from HoldJoins() until ReleaseJoins().
    void HoldJoins() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_joinsHeld = true;
    }
    void ReleaseJoins() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_joinsHeld = false;
        m_changed.notify_all();
    }
    std::vector<WifiJoinRequest> Joins() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_joins;
    }
    int Restores() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_restores;
    }

    // Set before the flow runs.
    WifiServiceState serviceState = WifiServiceState::kManaged;
    std::string currentNetwork;  // guarded once a flow runs
    bool joinSucceeds = true;
    int addressChange = 1;
    std::string adapterWithAddress;  // the interface that has an address already
    int lanAfterChecks = 1;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<WifiAccessPoint> m_points;
    bool m_blocked = false;
    int m_calls = 0;
    std::vector<std::string> m_deleted;
    bool m_deleteFails = false;
    std::vector<WifiJoinRequest> m_joins;
    int m_restores = 0;
    bool m_joinsHeld = false;
    std::atomic<int> m_addressWaits{0};
    std::atomic<int> m_lanChecks{0};
};

}  // namespace platform
