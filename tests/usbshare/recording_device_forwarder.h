// A device forwarder for tests of the command channel. It stands where the
// USB/IP relay and the virtual bus will be: each started device gets a
// thread that "forwards" until the device is detached or terminated, and
// every call is recorded. A test can make a detach fail, or keep a device
// busy until it says so.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "usbshare/DeviceForwarder.h"
#include "usbshare/ZAMPDevice.h"

namespace porvane_test {

class RecordingDeviceForwarder final : public porvane::DeviceForwarder {
public:
    ~RecordingDeviceForwarder() override {
        std::map<std::string, std::thread> threads;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_stopAll = true;
            threads.swap(m_threads);
        }
        m_cond.notify_all();
        for (auto& [bus, t] : threads) {
            t.join();
        }
    }

    void StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) override {
        const std::string bus = device->GetBusId();
        Record("start " + bus +
               (device->GetState() == CZAMPDevice::kRequested ? " requested" : ""));
        if (m_onStart) {
            m_onStart(bus);
        }
        device->m_bAttach = 1;
        device->SetState(CZAMPDevice::kImported);
        std::lock_guard<std::mutex> hold(m_lock);
        m_stop.erase(bus);
        m_threads[bus] = std::thread([this, device, bus] {
            std::unique_lock<std::mutex> lock(m_lock);
            m_cond.wait(lock, [&] { return m_stopAll || m_stop.count(bus); });
            if (device->GetState() == CZAMPDevice::kImported) {
                device->SetState(CZAMPDevice::kForwardEnded);
            }
        });
    }

    int DetachDevice(CZAMPDevice& device) override {
        const std::string bus = device.GetBusId();
        Record("detach " + bus);
        device.m_bDetach = 1;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            if (m_failDetach.count(bus)) {
                return -1;
            }
        }
        if (device.GetState() == CZAMPDevice::kImported) {
            device.SetState(CZAMPDevice::kDetached);
        }
        Stop(bus);
        return 0;
    }

    void TerminateDevice(CZAMPDevice& device) override {
        if (device.GetState() >= CZAMPDevice::kTerminating) {
            return;
        }
        Record("terminate " + device.GetBusId());
        Stop(device.GetBusId());
        device.ReleaseInterfaceTable();
        device.SetState(CZAMPDevice::kTerminated);
    }

    int ShowPortStatus() override {
        std::lock_guard<std::mutex> hold(m_lock);
        return static_cast<int>(m_threads.size());
    }

    // Makes DetachDevice of this bus id fail.
    void FailDetach(const std::string& bus) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_failDetach.insert(bus);
    }

    // Ends the forwarding of one device as if its relay had ended.
    void Finish(const std::string& bus) { Stop(bus); }

    // Runs `hook` with the bus id on the caller's thread whenever a device is
    // started. Set before the device list is fetched.
    void SetOnStart(std::function<void(const std::string&)> hook) { m_onStart = std::move(hook); }

    std::vector<std::string> Calls() {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_calls;
    }

    // Waits up to ten seconds until `call` has been made.
    bool WaitForCall(const std::string& call) {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_cond.wait_for(hold, std::chrono::seconds(10), [&] {
            return std::find(m_calls.begin(), m_calls.end(), call) != m_calls.end();
        });
    }

private:
    void Record(const std::string& call) {
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_calls.push_back(call);
        }
        m_cond.notify_all();
    }

    void Stop(const std::string& bus) {
        std::thread t;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            m_stop.insert(bus);
            auto it = m_threads.find(bus);
            if (it != m_threads.end()) {
                t = std::move(it->second);
                m_threads.erase(it);
            }
        }
        m_cond.notify_all();
        if (t.joinable()) {
            t.join();
        }
    }

    std::mutex m_lock;
    std::condition_variable m_cond;
    std::map<std::string, std::thread> m_threads;
    std::set<std::string> m_stop;
    std::set<std::string> m_failDetach;
    bool m_stopAll = false;
    std::vector<std::string> m_calls;
    std::function<void(const std::string&)> m_onStart;
};

}  // namespace porvane_test
