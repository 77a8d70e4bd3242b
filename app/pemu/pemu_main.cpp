// pemu: the sender program. Start-up decides whether this start runs the
// window or hands its action to the copy that runs; the first copy loads
// the settings, installs the screen capture and runs the main dialog on
// the X display until it exits.
//
//   --discovery-to ADDR   receiver discovery asks ADDR only (no broadcast)
//   --local ADDR          the sockets that wait for receivers (discovery
//                         answers, the sender server) bind ADDR, so that
//                         their fixed ports are this run's own
#include <arpa/inet.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/features/main_window_features.h"
#include "app/features/thumbnail_store.h"
#include "app/features/usb_sharing.h"
#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_feature_host.h"
#include "app/mainwnd/main_window.h"
#include "app/settings/settings_file.h"
#include "app/startup/startup.h"
#include "app/system/extended_desktop.h"
#include "platform/audio/audio_endpoint.h"
#include "platform/display/display_settings.h"
#include "platform/dynload.h"
#include "platform/icmp_pinger.h"
#include "platform/network_adapters.h"
#include "platform/nm_wifi_provider.h"
#include "platform/power/power_plans.h"
#include "platform/window/window_backend_x11.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/settings_pages.h"
#include "usbshare/ClientDeviceControl.h"
#include "vrxclientsdk/VRPClient/DiscoveryNetwork.h"
#include "vrxclientsdk/VRXClient/capture/CaptureSourceFactory.h"
#include "vrxclientsdk/VRXClient/capture/FrawlPool.h"

namespace {

// The main window, for the command server's thread (0: none yet).
std::atomic<uint64_t> g_mainWindow{0};

void PostToMain(uint32_t command) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    const uint64_t id = g_mainWindow.load();
    if (wm && id != 0) {
        wm->PostCommand(platform::WindowId::FromValue(id), command);
    }
}

std::string CurrentFolder() {
    std::vector<char> buffer(4096);
    return ::getcwd(buffer.data(), buffer.size()) ? std::string(buffer.data()) : std::string(".");
}

// Discovery to one address: no adapters, the address instead of the
// broadcast. On a loopback address the sockets bind 127.0.0.1 so that a
// receiver on another loopback address can hold the same ports.
bool DiscoveryTo(const std::string& text, DiscoveryNetwork* network) {
    in_addr a{};
    if (::inet_pton(AF_INET, text.c_str(), &a) != 1 || a.s_addr == 0) {
        return false;
    }
    network->limitedBroadcast = a;
    network->getAdapters = [](std::vector<platform::AdapterAddress>* out) {
        out->clear();
        return true;
    };
    const uint32_t host = ntohl(a.s_addr);
    if ((host >> 24) == 127 && host != INADDR_LOOPBACK) {
        network->bindAddress.s_addr = htonl(INADDR_LOOPBACK);
    }
    return true;
}

// The IPv4 address of option `name` (network order); 0 when it is not
// given, nullopt (reported) when it is no address.
std::optional<uint32_t> AddressOption(const pemuapp::StartupContext& context, const char* name) {
    auto it = context.options.find(name);
    if (it == context.options.end()) {
        return 0;
    }
    in_addr a{};
    if (::inet_pton(AF_INET, it->second.c_str(), &a) != 1 || a.s_addr == 0) {
        std::fprintf(stderr, "pemu: --%s needs an IPv4 address, not \"%s\"\n", name,
                     it->second.c_str());
        return std::nullopt;
    }
    return a.s_addr;
}

int RunMainWindow(pemuapp::StartupContext& context) {
    const std::optional<uint32_t> local = AddressOption(context, "local");
    if (!local) {
        return 2;
    }
    DiscoveryNetwork network;
    std::unique_ptr<ScopedDiscoveryNetworkOverride> discovery;
    if (auto it = context.options.find("discovery-to"); it != context.options.end()) {
        if (!DiscoveryTo(it->second, &network)) {
            std::fprintf(stderr, "pemu: --discovery-to needs an IPv4 address, not \"%s\"\n",
                         it->second.c_str());
            return 2;
        }
        if (*local != 0) {
            network.bindAddress.s_addr = *local;
        }
        discovery = std::make_unique<ScopedDiscoveryNetworkOverride>(network);
    }
    auto backend = platform::WindowBackendX11::Create();
    if (!backend) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "pemu: cannot open the display %s\n",
                     display && *display ? display : "(DISPLAY is not set)");
        return 1;
    }
    auto wm = platform::WindowManager::Create(std::move(backend));
    if (!wm) {
        std::fprintf(stderr, "pemu: cannot start the window layer\n");
        return 1;
    }
    FrawlPool* pool = FrawlPool::Acquire();
    pool->SetCaptureFactory(
        [](const CaptureClientRecord& record) { return CreateCaptureSource(record, nullptr); });

    pemuapp::SettingsFile settingsFile(context.paths, nullptr);
    pemuapp::SettingsLoadContext load;
    load.startFolder = CurrentFolder();
    load.programFolder = platform::ProgramFolder();
    pemuapp::CQKinMainDlg::Services services;
    settingsFile.Load(load, &services.settings);
    services.paths = context.paths;
    services.settingsFile = &settingsFile;
    services.actions = &context.actions;
    if (*local != 0) {
        services.makeClient = [address = *local] {
            auto client = std::make_unique<pemuapp::CQKVRXClientEx>();
            client->SetListenAddress(address);
            return client;
        };
    }
    // The PC's speakers, power plans and display modes.
    std::unique_ptr<platform::AudioEndpoint> audio = platform::AudioEndpoint::Create();
    std::unique_ptr<platform::PowerPlans> power = platform::PowerPlans::Create();
    std::unique_ptr<platform::DisplaySettings> display = platform::DisplaySettings::Create();
    services.system = {audio.get(), power.get(), display.get()};
    // The dialogs' page code: profiles, Wi-Fi through NetworkManager, the
    // self-check on the real adapters.
    std::unique_ptr<platform::NmWifiProvider> wifi = platform::NmWifiProvider::Create();
    platform::SystemAdapterProvider adapters;
    platform::IcmpPinger pinger;
    ui::SettingsPages::Services pageServices;
    pageServices.adapters = &adapters;
    pageServices.pinger = &pinger;
    if (wifi) {
        pageServices.probe = [nm = wifi.get()](const ui::AccessPointInfo& chosen) {
            ui::AccessPointProbe probe;
            for (const platform::NmAccessPoint& ap : nm->LastListing()) {
                if (ap.point.bssid == chosen.bssid) {
                    probe = {ap.point.authentication, ap.channel, ap.cipher};
                }
            }
            return probe;
        };
    }
    ui::SettingsPages pages(std::move(pageServices));
    services.pages = &pages;
    services.wifi = wifi.get();
    pemuapp::MainWindow::Hooks hooks;
    hooks.audio = audio.get();
    hooks.wifi = wifi.get();
    // After the receiver's access-point-client setup the USB-sharing notice
    // closes (when its flow has ended).
    hooks.closeUsbNotice = [] { PostToMain(pemuapp::kCmdCloseUsbNotice); };
    // The resolution question only when the screen can take 1920 x 1080.
    hooks.canChangeResolution = [d = display.get()] {
        return pemuapp::ExtendedDesktop(d, nullptr).IsMode1920x1080Available();
    };
    // The tiles show the thumbnails the conference information stores.
    hooks.thumbnailFolder = pemuapp::ThumbnailStore::DefaultFolder();
    // The page outlives the engine, whose window it draws.
    pemuapp::MainWindow page(*wm, std::move(hooks));
    services.parts = &page;
    int status = 0;
    {
        pemuapp::CQKinMainDlg dialog(*wm, std::move(services));
        page.Attach(dialog);
        // The window's features: the update check, the login code, the
        // conference information, USB sharing through Porvane and the menu
        // commands. They end before the engine, whose window they serve.
        CClientDeviceControl usbControl;
        pemuapp::MainFeatureHost featureHost(*wm, dialog, page);
        pemuapp::MainWindowFeatures features(featureHost, {.usbControl = &usbControl});
        page.SetFeatures(&features);
        if (!dialog.Create()) {
            std::fprintf(stderr, "pemu: the display refused the main window\n");
            status = 1;
        } else {
            g_mainWindow = dialog.Window().Value();
            status = wm->Run();
            g_mainWindow = 0;
        }
        // The features end here; the engine's own ending does not reach them.
        page.SetFeatures(nullptr);
    }
    FrawlPool::Release();
    return status;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Sanitizer builds: pango keeps fontconfig's patterns of the fonts it loaded
// until the process ends (it has no safe tear-down); they are the library's
// cache, not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

int main(int argc, char** argv) {
    pemuapp::StartupHooks hooks;
    hooks.longOptions.push_back(
        {"discovery-to", true, "ADDR  receiver discovery asks this IPv4 address only"});
    hooks.longOptions.push_back(
        {"local", true, "ADDR  the sockets that wait for receivers bind this IPv4 address"});
    hooks.runMainWindow = RunMainWindow;
    hooks.onActionQueued = [] { PostToMain(pemuapp::kCmdProcessCommandFile); };
    hooks.onRestore = [] { PostToMain(pemuapp::kCmdConnect); };
    return pemuapp::RunStartup(std::vector<std::string>(argv + 1, argv + argc), hooks);
}
