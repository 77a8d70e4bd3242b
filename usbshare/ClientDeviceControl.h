// CClientDeviceControl: Porvane's exported class, through which the sender
// shares USB devices with a receiver.
//
// The program creates it, calls Init with the receiver's address (which opens
// the ZAMP command channel to port 6000), drives binding and attaching with
// the public methods, hears back through its callback, and ends with
// DetachAllDevice, Terminate and delete. Inside, the object owns the socket
// client and its reader thread, the keep-alive thread and the device list;
// each device is forwarded by the DeviceForwarder. Every thread it starts is
// stopped cooperatively and joined by Terminate or the destructor.
//
// Methods may be called from any of the program's threads; requests that
// wait for a reply are serialised, one at a time, and each waits for the
// reply of its own code (replies of other codes are set aside). Deleting the
// object while a request waits on another thread ends that request (-1)
// before anything is freed. Methods return 0 (or a count) on success and -1
// on failure; asynchronous outcomes go to the callback. Not copyable.
#pragma once

#include <atomic>
#include <boost/thread/condition_variable.hpp>
#include <boost/thread/mutex.hpp>
#include <boost/thread/recursive_mutex.hpp>
#include <boost/thread/thread.hpp>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "usbshare/AutoResetEvent.h"
#include "usbshare/DeviceForwarder.h"
#include "usbshare/ISocketClientHandler.h"
#include "usbshare/PorvaneCodes.h"
#include "usbshare/PorvaneExport.h"
#include "usbshare/ZAMPDevice.h"
#include "usbshare/ZampFrameReader.h"
#include "usbshare/ZampLinkState.h"
#include "usbshare/ZampTimings.h"

struct sockaddr;

namespace porvane {
class NetworkState;
class SocketClient;
}  // namespace porvane
namespace usbip {
class VirtualUsbBus;
}  // namespace usbip

// The program's window that receives device-interface notices; opaque here.
using DeviceNotifyWindow = void*;

class PORVANE_EXPORT CClientDeviceControl final : public porvane::ISocketClientHandler {
public:
    CClientDeviceControl();
    // Ends the requests that wait on other threads, stops every thread of the
    // object (reader, keep-alive, forwarding) and closes the connection.
    // Sends nothing to the receiver.
    ~CClientDeviceControl();
    CClientDeviceControl(const CClientDeviceControl&) = delete;
    CClientDeviceControl& operator=(const CClientDeviceControl&) = delete;

    // Reads the settings, switches the log on as they say (or next to the
    // program when `logNextToProgram`), and connects the command channel to
    // `ip`. Ends an earlier session of this object first. Returns 0 when
    // connected; -1 when `ip` is empty or too long, or no address connects.
    // `callback` is kept and called on the library's threads.
    int Init(char* ip, DeviceNotifyWindow hwnd, CallBackMsgFuntion callback, bool logNextToProgram);

    // Ends the session: stops the keep-alive and reader threads, terminates
    // every device and closes the connection. False (and nothing changes)
    // when a Terminate is running or done. The caller detaches first.
    bool Terminate();

    int GetDeviceCount();
    // Fetches the device list and starts forwarding every device, then the
    // keep-alive thread. -1 when the link is lost or the list can't be had.
    int AttachAllDevice();
    // Detaches every device, unbinds (while the link is up), stops the
    // keep-alive thread and terminates the devices. 0, -1 when a detach
    // failed, or the unbind's negative result.
    int DetachAllDevice();
    // Start or stop the forwarding of one device; -1 for an index outside
    // the list.
    int AttachDeviceByIndex(int index);
    int DetachDeviceByIndex(int index);
    // The device at `index`, or nullptr. Valid until the list changes (a new
    // device list, the receiver's withdrawal, Terminate).
    CZAMPDevice* GetDeviceInfoByIndex(int index);
    // Index of the device with this bus id, else -1.
    int GetDeviceIndexByID(char* busid);

    int GetStatus() { return m_Status.load(); }
    void SetExitKeepAliveValue(bool exit) { m_bExitKeepAlive = exit; }
    bool GetExitKeepAliveValue() { return m_bExitKeepAlive.load(); }

    // Remembers the window for device-interface notices: 1, or 0 without a
    // window.
    int DoRegisterDeviceInterface();
    void DoUnRegisterDeviceInterface();

    // The command channel. The Do* operations send a request and wait for its
    // reply (bounded); the others send or judge one message.
    int DoBind();
    int DoUnBind();
    int DoExport();
    bool CanDeviceAttach();
    int USBInfoRequest();
    int USBBindRequest();
    int USBBindReply();
    int USBUnBindRequest();
    int USBUnBindReply();
    int ExportDeviceRequest();
    int ExportDeviceReply();
    int KeepAliveReply();

    // Test hooks; call before Init. The forwarder is kept across Init calls.
    void SetTimingsForTest(const porvane::ZampTimings& timings) { m_Timings = timings; }
    void SetAppDataFolderForTest(const std::string& folder) { m_AppDataForTest = folder; }
    void SetCommandServiceForTest(const std::string& service) { m_Service = service; }
    void SetDeviceForwarderForTest(std::unique_ptr<porvane::DeviceForwarder> forwarder);
    // The virtual bus (not owned; must outlive the object) and the devices'
    // data service, for the forwarder that Init creates.
    void SetVirtualUsbBusForTest(usbip::VirtualUsbBus* bus) { m_pBus = bus; }
    void SetDataServiceForTest(const std::string& service) { m_DataService = service; }
    // `state` must outlive the object's connections.
    void SetNetworkStateForTest(porvane::NetworkState* state) { m_pNetworkForTest = state; }

protected:
    bool LoadIniFile();
    void InitAppLog();
    void SetCallBackMsgFuntion(CallBackMsgFuntion callback) { m_Link.callback = callback; }
    int Connect();
    int DoAttachAllDevice();
    int SetStatus(int status) {
        m_Status = status;
        return 0;
    }
    int ShowPortStatus();
    int WriteData(unsigned char* const data, unsigned long len, sockaddr* const, unsigned long);
    // The receiver's export and unexport requests (whole messages).
    int AutoExportDevice(std::span<const uint8_t> message);
    int AutoUnExportDevice(std::span<const uint8_t> message);
    void StopKeepAliveThread();
    void CreateUSBIPKEEPALIVEThread();
    void GetAddress(const porvane::SockAddrIn& addr, std::string& text) const;

    void OnThreadBegin(porvane::CSocketHandle* pSH) override;
    void OnThreadExit(porvane::CSocketHandle* pSH) override;
    void OnDataReceived(porvane::CSocketHandle* pSH, const unsigned char* data, unsigned long count,
                        const porvane::SockAddrIn& addr) override;
    void OnConnectionDropped(porvane::CSocketHandle* pSH) override;
    void OnConnectionError(porvane::CSocketHandle* pSH, unsigned long error) override;

private:
    using DevicePtr = std::shared_ptr<CZAMPDevice>;

    // Counts a public call in progress, so that the destructor can wake it
    // and wait until it has left the object. False when the object is going.
    class CallGuard {
    public:
        explicit CallGuard(CClientDeviceControl& control) : m_control(control) {
            boost::lock_guard<boost::mutex> hold(control.m_CallLock);
            m_entered = !control.m_bClosing;
            control.m_Calls += m_entered ? 1 : 0;
        }
        ~CallGuard() {
            if (!m_entered) {
                return;
            }
            // Notified under the lock: once it is released the object may go.
            boost::lock_guard<boost::mutex> hold(m_control.m_CallLock);
            if (--m_control.m_Calls == 0) {
                m_control.m_CallsDone.notify_all();
            }
        }
        CallGuard(const CallGuard&) = delete;
        CallGuard& operator=(const CallGuard&) = delete;
        explicit operator bool() const { return m_entered; }

    private:
        CClientDeviceControl& m_control;
        bool m_entered = false;
    };

    void Dispatch(const zamp::ZampHeader& header, std::span<const uint8_t> message);
    // Sets a reply aside for the request that waits for its code.
    void StoreReply(uint16_t code, std::span<const uint8_t> message);
    // Forgets an earlier reply of `code` before its request goes out.
    void ForgetReply(uint16_t code);
    // Waits until a reply of `code` has come (it becomes the stored reply),
    // `deadline` passes, or the object is going. Replies of other codes
    // wake the wait and are left aside.
    bool WaitForReply(uint16_t code, uint64_t deadline);
    zamp::ZampHeader StoredReplyHeader();
    void ClearReply();
    bool Stopping() const { return m_bClosing || m_bShuttingDown; }
    // Marks the command link lost (state 2) and reports code 1 unless this
    // session already did.
    void LinkLost(const char* reason);
    void ReportLinkLost(const char* reason);
    void KeepAliveThread();
    // Asks the keep-alive thread to end and joins it (unless called on it).
    void EndKeepAliveThread();
    std::vector<DevicePtr> Devices();
    void ReplaceDevices(std::vector<DevicePtr> devices);
    DevicePtr DeviceAt(int index);
    DevicePtr NewDevice(const zamp::ZampDeviceEntry& entry, int state);
    // Stops every thread and releases the connection and the devices.
    void Shutdown();
    std::string AppDataFolder() const;
    int SendRequest(uint16_t code);

    std::string m_Address;
    DeviceNotifyWindow m_hWnd = nullptr;
    bool m_bNotifyRegistered = false;
    bool m_bLogNextToProgram = false;
    int m_KeepAliveSeconds = 2;
    int m_KeepAliveMisses = 10;
    std::string m_SettingsPath;
    std::string m_AppDataForTest;
    std::string m_Service;

    porvane::ZampTimings m_Timings;
    porvane::ZampLinkState m_Link;
    std::atomic<int> m_Status{porvane::kStatusInit};
    // Set while Shutdown runs: waits on the reader thread end early.
    std::atomic<bool> m_bShuttingDown{false};

    std::unique_ptr<porvane::SocketClient> m_pSocketClient;
    porvane::NetworkState* m_pNetworkForTest = nullptr;
    zamp::ZampFrameReader m_Reader;  // reader thread only

    // Public calls in progress, and whether the destructor has begun.
    boost::mutex m_CallLock;
    boost::condition_variable m_CallsDone;
    int m_Calls = 0;                      // guarded by m_CallLock
    std::atomic<bool> m_bClosing{false};  // set under m_CallLock

    // One request waits for its reply at a time.
    boost::mutex m_RequestLock;
    porvane::AutoResetEvent m_ReplyEvent;   // set whenever a reply arrives
    std::atomic<uint16_t> m_WaitingFor{0};  // the code a request waits for, for the log
    boost::mutex m_ReplyLock;
    // Replies that arrived, by code and in order, not yet taken by a request.
    std::map<uint16_t, std::deque<std::vector<uint8_t>>> m_Arrived;  // guarded by m_ReplyLock
    std::vector<uint8_t> m_Reply;  // the reply last taken, header first; guarded by m_ReplyLock

    porvane::AutoResetEvent m_hKeepAliveEvent;
    boost::mutex m_KeepAliveLock;  // guards the thread object and its id
    boost::thread m_hUSBIPKEEPALIVEThread;
    boost::thread::id m_KeepAliveThreadId;
    std::atomic<bool> m_bExitKeepAlive{false};

    boost::recursive_mutex m_DeviceLock;
    std::vector<DevicePtr> m_Devices;  // guarded by m_DeviceLock

    // Forwards the devices; Init creates the USB/IP forwarder over the test's
    // bus or the system's, unless a test put another forwarder in place.
    // The system's bus (vhci-hcd), found by Init; it outlives the forwarder.
    std::unique_ptr<usbip::VirtualUsbBus> m_pSystemBus;
    std::unique_ptr<porvane::DeviceForwarder> m_pForwarder;
    bool m_bForwarderForTest = false;
    usbip::VirtualUsbBus* m_pBus = nullptr;  // a test's bus
    std::string m_DataService;
};
