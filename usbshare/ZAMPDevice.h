// CZAMPDevice: one USB device that the receiver offers for sharing.
//
// Holds what the receiver said about the device (its USB/IP record and
// interface table) and the state that its forwarding passes through. The
// forwarding itself is done by a DeviceForwarder; this class has no thread.
// The control object keeps devices in shared pointers, so a device that the
// receiver withdraws stays valid for a thread still using it. State, port
// and flags may be read and written from any thread.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "usbshare/PorvaneExport.h"
#include "usbshare/UsbDeviceRecord.h"

class PORVANE_EXPORT CZAMPDevice {
public:
    enum State : int {
        kNew = 0,
        kListed = 4,          // from the device-list reply
        kForwardStarted = 5,  // forwarding thread started
        kForwardEnded = 6,    // forwarding thread finished
        kImporting = 7,       // import requested / plugging in
        kImported = 8,        // import reply received / plugged in
        kDetaching = 9,
        kDetached = 10,    // detached at the program's request
        kRelayEnded = 13,  // relay ended on its own
        kRequested = 14,   // created for a receiver's export request
        kTerminating = 16,
        kTerminated = 17,
    };

    CZAMPDevice() = default;
    CZAMPDevice(const CZAMPDevice&) = delete;
    CZAMPDevice& operator=(const CZAMPDevice&) = delete;

    // Clears the device and takes the receiver's address. Returns 0.
    int InitZAMPDevice(const std::string& address);

    // Takes the record and interface table the receiver sent; marks the
    // device unsupported when an interface is audio or audio/video.
    void SetEntry(const zamp::ZampDeviceEntry& entry);

    const std::string& GetAddress() const { return m_Address; }
    const zamp::UsbDeviceRecord& GetRecord() const { return m_Record; }
    const std::string& GetBusId() const { return m_Record.busId; }
    bool IsUnsupported() const { return m_bUnsupported; }

    // The interface table; empty once released.
    std::vector<zamp::UsbInterfaceEntry> GetInterfaceTable() const;
    bool HasInterfaceTable() const;
    // Frees the interface table; later calls do nothing.
    void ReleaseInterfaceTable();

    int GetState() const { return m_State.load(); }
    void SetState(int state) { m_State.store(state); }
    int GetPort() const { return m_Port.load(); }
    void SetPort(int port) { m_Port.store(port); }
    int GetListIndex() const { return m_ListIndex.load(); }
    void SetListIndex(int index) { m_ListIndex.store(index); }

    // Set by the program's detach; by the forwarding thread when it starts;
    // when the data socket failed; when the bus side failed.
    std::atomic<int> m_bDetach{0};
    std::atomic<int> m_bAttach{0};
    std::atomic<int> m_bSocket_Error{0};
    std::atomic<int> m_bDevErr{0};

private:
    std::string m_Address;
    zamp::UsbDeviceRecord m_Record;
    bool m_bUnsupported = false;
    mutable std::mutex m_TableLock;
    std::vector<zamp::UsbInterfaceEntry> m_InterfaceTable;  // guarded by m_TableLock
    bool m_bHasTable = false;                               // guarded by m_TableLock
    std::atomic<int> m_State{kNew};
    std::atomic<int> m_Port{0};
    std::atomic<int> m_ListIndex{0};
};
