#include "app/features/main_window_features.h"

#include <utility>

#include "app/features/feature_host.h"

#ifndef PEMU_UPDATE_URL
#define PEMU_UPDATE_URL "http://update.pemu.invalid"
#endif

namespace pemuapp {

MainWindowFeatures::MainWindowFeatures(FeatureHost& host, FeatureOptions options)
    : m_host(host),
      m_loginCode(host),
      m_update(host, options.updateBase.empty() ? std::string(PEMU_UPDATE_URL)
                                                : std::move(options.updateBase)),
      m_conference(host, options.thumbnailFolder.empty() ? ThumbnailStore::DefaultFolder()
                                                         : std::move(options.thumbnailFolder)),
      m_usb(host, options.usbControl, std::move(options.usb)),
      m_commands(host),
      m_profiles(host, std::move(options.profilePath)),
      m_grisp(std::move(options.grispFolder)),
      m_manualAdd(host, m_conference) {
    if (options.checkedRows) {
        m_media = std::make_unique<MediaPlayback>(host, *options.checkedRows, [] {
            return std::unique_ptr<MediaFacts>(MediaInfoProbe::Create());
        });
    }
}

MainWindowFeatures::~MainWindowFeatures() = default;

bool MainWindowFeatures::IsUsbSharingOn() {
    return m_usb.IsSharingOn();
}

void MainWindowFeatures::StopUsbSharing() {
    m_usb.StopSharing();
}

void MainWindowFeatures::StartUsbSharing(const std::string& ip) {
    // A start that replaced a running one keeps the devices attached.
    if (m_usb.Enabled() && !m_usb.IsSharingOn()) {
        m_usb.StartSharing(ip);
    }
}

bool MainWindowFeatures::RunUpdateCheck() {
    return m_update.CheckForUpdateAtStart() == 1;
}

void MainWindowFeatures::ShowFirstStartDialog() {
    m_loginCode.ShowFirstStartLoginCodeDialog();
}

void MainWindowFeatures::FetchConferenceInfo() {
    m_conference.FetchConferenceInfo();
}

void MainWindowFeatures::SetupSenderIdentity() {
    m_loginCode.SetupSenderIdentity();
}

bool MainWindowFeatures::OnCommand(uint32_t id) {
    switch (id) {
        case kCmdShowLoginCode:
            m_loginCode.OnShowLoginCode();
            return true;
        case kCmdCheckForUpdate:
            m_update.OnCheckForUpdate();
            return true;
        case kCmdConferenceUpdated:
            m_conference.OnConferenceUpdated();
            return true;
        case kCmdThumbnailsReady:
            m_conference.OnThumbnailsReady();
            return true;
        case kCmdEnableUsbSharing:
            m_usb.OnEnableZAMP();
            return true;
        case kCmdCloseUsbNotice:
            m_usb.OnCloseNotice();
            return true;
        case kCmdToggleRepeat:
            if (m_media) {
                m_media->ToggleMediaRepeat();
            }
            return true;
        case kCmdChangeLoginCode:
            m_loginCode.OnChangeLoginCode();
            return true;
        case kCmdOpenGrisp:
            m_grisp.OnOpenGrisp();
            return true;
        case kCmdCopyToDesktop:
            m_grisp.OnCopyDesktop();
            return true;
        case kCmdSaveProfile:
            m_profiles.OnSaveProfile();
            return true;
        case kCmdManageProfile:
            m_profiles.OnManageProfile();
            return true;
        case kCmdManualAddDevice:
            m_manualAdd.OnManualAddDevice();
            return true;
        default:
            return m_commands.OnCommand(id);
    }
}

}  // namespace pemuapp
