#include "usbshare/ZAMPDevice.h"

#include "usbshare/ZampLog.h"

int CZAMPDevice::InitZAMPDevice(const std::string& address) {
    WriteLog("*********init ZAMP Device*********\n");
    m_Address = address;
    m_Record = zamp::UsbDeviceRecord();
    m_bUnsupported = false;
    ReleaseInterfaceTable();
    m_State = kNew;
    m_Port = 0;
    m_ListIndex = 0;
    m_bDetach = m_bAttach = m_bSocket_Error = m_bDevErr = 0;
    WriteLog("init ZAMP Deviceend\n");
    return 0;
}

void CZAMPDevice::SetEntry(const zamp::ZampDeviceEntry& entry) {
    m_Record = entry.record;
    m_bUnsupported = entry.HasUnsupportedInterface();
    std::lock_guard<std::mutex> hold(m_TableLock);
    m_InterfaceTable = entry.interfaces;
    m_bHasTable = true;
}

std::vector<zamp::UsbInterfaceEntry> CZAMPDevice::GetInterfaceTable() const {
    std::lock_guard<std::mutex> hold(m_TableLock);
    return m_InterfaceTable;
}

bool CZAMPDevice::HasInterfaceTable() const {
    std::lock_guard<std::mutex> hold(m_TableLock);
    return m_bHasTable;
}

void CZAMPDevice::ReleaseInterfaceTable() {
    std::lock_guard<std::mutex> hold(m_TableLock);
    m_InterfaceTable.clear();
    m_InterfaceTable.shrink_to_fit();
    m_bHasTable = false;
}
