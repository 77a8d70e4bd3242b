#include "usbshare/NoBusDeviceForwarder.h"

#include "usbshare/ZAMPDevice.h"
#include "usbshare/ZampLog.h"

namespace porvane {

void NoBusDeviceForwarder::StartAttachDeviceThread(const std::shared_ptr<CZAMPDevice>& device) {
    WriteLog("AttachDevice\n");
    const bool requested = device->GetState() == CZAMPDevice::kRequested;
    device->m_bAttach = 1;
    device->SetState(CZAMPDevice::kForwardStarted);
    WriteLog("open vbus driver\n");
    device->ReleaseInterfaceTable();
    device->SetState(CZAMPDevice::kForwardEnded);
    m_link.Report(device->GetBusId().c_str(), requested ? kCbRequestedFailed : kCbAttachFailed);
    WriteLog("AttachDeviceEnd\n");
}

int NoBusDeviceForwarder::DetachDevice(CZAMPDevice& device) {
    device.m_bDetach = 1;
    const int state = device.GetState();
    if (state == CZAMPDevice::kNew || state == CZAMPDevice::kForwardEnded || state > 12) {
        return 0;
    }
    WriteLog("Port == 0\n");
    return -1;
}

void NoBusDeviceForwarder::TerminateDevice(CZAMPDevice& device) {
    if (device.GetState() >= CZAMPDevice::kTerminating) {
        return;
    }
    device.SetListIndex(0);
    device.SetState(CZAMPDevice::kTerminating);
    device.ReleaseInterfaceTable();
    device.SetState(CZAMPDevice::kTerminated);
}

int NoBusDeviceForwarder::ShowPortStatus() {
    return -1;
}

}  // namespace porvane
