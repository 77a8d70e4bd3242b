// MainWindow: Pemu's main window as the user sees it. It is the engine's
// MainWindowParts for the page: the 45 widgets of the main page built from
// its layout table, drawn into one 526 x 400 back buffer and presented
// through the page's controls (the device-name box 1004 lies on top); the
// widgets' events (DoEvent: tiles, receiver list, settings, minimise, exit);
// the tiles kept in step with the receiver's position list (the pure rules
// of tile_rules.h); the window's height and region by tile mode.
//
// The window itself is the engine's (CQKinMainDlg): Attach() gives it
// before the engine creates it. What the window needs from the rest of the
// program and cannot reach through the engine goes through Hooks, so tests
// replace it: the conference refresh, the NCC_CONTROL request, the lock-code
// question, the PC's own addresses, the USB-sharing rules and the text
// measurement.
//
// Ownership: the program owns the window and the engine; the window must
// outlive the engine's window (it draws for it). It owns its widgets and
// controls, which go with it.
// THREADING: user-interface thread only.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/maindlg/main_window_parts.h"
#include "app/mainwnd/position_record.h"
#include "app/mainwnd/tile_rules.h"
#include "app/mainwnd/wifi_join.h"
#include "platform/controls/control_set.h"
#include "platform/draw/surface.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/layout_element.h"
#include "ui/widgets/qkin.h"
#include "ui/widgets/widget_host.h"

namespace platform {
class AudioEndpoint;
class WifiProvider;
}  // namespace platform

namespace ui {
class CQKListView;
}

class VRXClient;

namespace pemuapp {

class CQKinMainDlg;
class MainWindowFeatures;

// The main page's table: 45 records in widget order.
std::span<const ui::LayoutElement> MainPageTable();

// Ids of the page's other elements.
inline constexpr uint32_t kExitButtonId = 30129;
inline constexpr uint32_t kMinButtonId = 30212;
inline constexpr uint32_t kSettingsButtonId = 30153;
inline constexpr uint32_t kMaskId = 30204;
inline constexpr uint32_t kDeviceListButtonId = 30205;
inline constexpr uint32_t kListViewId = 30206;
inline constexpr uint32_t kDeviceNameTextId = 30221;
inline constexpr uint32_t kDeviceNameEditId = 1004;
inline constexpr size_t kDeviceNameLimit = 16;
// The request id of NCC_CONTROL as a forwarded text.
inline constexpr uint32_t kNccControlMessage = 0x1000020;

// Width of a text in a font, in pixels.
using TextMeasure =
    std::function<int(const std::string& text, const std::string& family, int pixels, int weight)>;

// The volume scalar of a volume knob value (0..157): 157 is 1.0, otherwise
// value / 138 capped at 1.0.
float VolumeScalar(int value);

// What the window needs beyond the engine; tests give their own.
struct MainWindowHooks {
    // Re-reads the receiver's conference information into the position
    // list (SetPositions); true when it was read. Null: nothing read.
    std::function<bool()> refreshConference;
    // Sends the NCC_CONTROL request for `record` (its new state, position
    // and lock text set); the client's answer. Null: through the engine's
    // client as a forwarded text.
    std::function<int(const PositionRecord& record)> sendNccControl;
    // Asks for the lock code of a position; nullopt when refused. Null:
    // the password dialog (type 30).
    std::function<std::optional<std::string>(const PositionRecord& record)> askLockCode;
    // The PC's IPv4 addresses (network order). Null: the adapters'.
    std::function<std::vector<uint32_t>()> ownAddresses;
    // The USB-sharing start and stop rules. Null: no USB sharing.
    std::function<void()> usbSharingStart;
    std::function<void()> usbSharingStop;
    // Text widths. Null: pango.
    TextMeasure measure;
    // The PC's audio output. Null: none (the settings show no volume).
    platform::AudioEndpoint* audio = nullptr;
    // The folder of the thumbnails.
    std::string thumbnailFolder;
    // Whether a thumbnail file exists. Null: the file system.
    std::function<bool(const std::string&)> fileExists;
    // The PC's wireless networks (the Wi-Fi join); null: no joins.
    platform::WifiProvider* wifi = nullptr;
    // The join's settling time after the address change (ms).
    uint32_t wifiSettleMs = kSettleMs;
    // The settings file's stored values (the join's restore keys); null: none.
    std::function<std::string(const std::string& key)> readSetting;
    // The primary screen's size; null: the window layer's screen.
    std::function<platform::Size()> primaryScreen;
    // Whether the display service can switch the screen to 1920 x 1080;
    // null: it cannot (the resolution question never comes).
    std::function<bool()> canChangeResolution;
    // The quick profiles' file (profile.ini); empty: the one in the
    // user's settings folder.
    std::string profileFile;
    // Closes the USB-sharing notice when one shows; null: none shows.
    std::function<void()> closeUsbNotice;
};

class MainWindow final : public MainWindowParts, public ui::WidgetHost, public ui::MainDialogSide {
public:
    using Hooks = MainWindowHooks;

    explicit MainWindow(platform::WindowManager& wm, MainWindowHooks hooks = MainWindowHooks());
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The engine whose window this page fills; before the engine's Create.
    void Attach(CQKinMainDlg& engine) { m_engine = &engine; }
    // The window's features (borrowed; null: the defaults). They are made
    // after the window and must outlive the engine's window.
    void SetFeatures(MainWindowFeatures* features) { m_features = features; }

    // --- MainWindowParts --------------------------------------------------------
    void BuildMainPage() override;
    void SetPageState(int page) override { m_pageState = page; }
    void RefreshPlayButtons() override { RefreshPage(); }
    void ShowReceiverName(const std::string& name) override;
    void FillReceiverList(const std::vector<ReceiverRow>& rows) override;
    void RefreshTiles(int hoverId) override;
    void SetMainWindowHeight(bool fourTiles) override;
    bool IsDeviceNameEditVisible() override;
    bool ConfirmLeave() override;
    bool PaintMainWindow(const platform::Rect& area) override;
    // CheckChangeResolution: asks once whether to switch to 1920 x 1080.
    void CheckResolution() override;
    // The features' part of the engine's calls (the defaults without them).
    bool IsUsbSharingOn() override;
    void StopUsbSharing() override;
    void StartUsbSharing(const std::string& ip) override;
    bool RunUpdateCheck() override;
    void ShowFirstStartDialog() override;
    void SetupSenderIdentity() override;
    void FetchConferenceInfo() override;
    // Menu command 2026 is the window's own; the others go to the features.
    bool OnFeatureCommand(uint32_t id) override;
    bool IsUsbAttachRunning() override;

    // --- the page's state ---------------------------------------------------------
    // The receiver's position records (the conference information).
    void SetPositions(PositionList positions) { m_positions = std::move(positions); }
    // The positions of the features' conference information (their last
    // answer); nothing without features.
    void TakeConferencePositions();
    const PositionList& Positions() const { return m_positions; }
    void SetConnected(bool connected) { m_connected = connected; }
    bool Connected() const { return m_connected; }
    bool FourTiles() const { return m_fourTiles; }
    int PageState() const { return m_pageState; }
    int ModeratedTile() const { return m_moderatedTile; }
    bool ListShown() const { return m_listShown; }
    int CopyHeight() const;
    // The four-tile flag from the position list, the window's height and
    // region, then the tiles.
    void AdjustHeightAndTiles();

    // --- widgets ---------------------------------------------------------------------
    const std::vector<ui::WidgetPtr<>>& Widgets() const { return m_widgets; }
    ui::CQKin* FindWidget(uint32_t id) const;
    platform::Control* DeviceNameEdit() const;
    // Lays out the tile texts, draws every widget into the back buffer and
    // presents the page (RefreshPage does so only while drawing is on).
    void DrawPage();
    void RefreshPage();
    void LayoutTileTexts();
    // Sets the tile widgets for a hover code.
    void UpdateTileButtons(uint32_t tileId, uint32_t hoverCode);
    void SetTileNameText(uint32_t hoverCode, uint32_t textId);
    // Moves the tile widgets out of sight (to 500, 500, size 0) or back to
    // their layout places.
    void ShowTileWidgets(bool hide);
    // Marks this PC's own records as projecting and remembers its index.
    void MarkOwnRecords();
    int OwnIndex() const { return m_ownIndex; }
    // The PC's IPv4 addresses (network order).
    std::vector<uint32_t> OwnAddresses() const;

    // --- the session ------------------------------------------------------------------
    // The client logged in to the receiver the window shows: the main
    // client while it is connected; after a login handed over by another
    // start (the main client then only names the receiver) the command
    // runner's client of that receiver. The runner keeps its clients for
    // the whole run.
    VRXClient* SessionClient() const;
    // SessionClient as the user-interface thread last found it (refreshing
    // the tiles or asking for the conference), for any thread; null before.
    VRXClient* LastSessionClient() const { return m_sessionClient.load(); }

    // --- WidgetHost -------------------------------------------------------------------
    platform::WindowId Window() const override;
    platform::Surface* BackBuffer() override { return m_back.get(); }
    platform::ControlSet* Controls() override { return m_controls.get(); }
    ui::SkinImages* Skin() override;
    ui::MainDialogSide* AsMainDialog() override { return this; }
    std::string TranslateText(std::string_view english) override;
    // BlitPageToScreen: the page rectangle of the tile mode.
    void BlitClientArea() override;

    // --- MainDialogSide ------------------------------------------------------------
    void DoEvent(ui::CQKin& widget, uint32_t flags) override;
    int VolumeValue() const override { return m_volumeValue; }
    void SetVolumeValue(int value) override { m_volumeValue = value; }
    bool IsMenuLocked() const override { return m_refusal; }
    bool IsSpeedSwitchLocked() const override { return false; }
    uint8_t FirstChoice() const override { return 0; }
    uint8_t SecondChoice() const override { return 0; }
    std::string CurrentLoginCode() const override { return m_loginCode; }
    ui::CQKListView* ListView() override { return m_listView; }
    void LayoutVolumeSlider(int) override {}
    void KillMediaPositionTimer() override {}
    void OnMediaPositionMoved(int) override {}
    void DrawSpeedyImage(int) override {}
    void SeekMediaFile(int) override {}

    // --- actions (DoEvent's) ----------------------------------------------------------
    void OnTileClick(int tile);
    void OnSettingsButton();
    void OnDeviceListButton();
    void OnReceiverListSelect();
    // A quick profile's network: joined when AutoWifi is on and the profile
    // names one (not "<<Existing Network>>"). 50006 tells the user and
    // turns AutoWifi off. The join result, or 0 when nothing was joined.
    int JoinProfileNetwork(ui::ConnectionProfile& profile);

    // --- quick profiles and the receiver's access-point-client setup -----------
    // The quick-profile flow: the profile choice (type 18, preset with the
    // file's current profile), its network joined, then the connect to its
    // receiver. 0 when the receiver was reached, -2 when the connect was
    // abandoned (the program is ending), -1 otherwise.
    int RunQuickProfile() override;
    // After the receiver's access-point-client setup: tells the user that
    // the receiver reboots, forgets the profiles and hides the window.
    void ShowReceiverRebootNotice() override;
    // Deletes the quick profiles' file; false (logged) when it stays.
    bool ClearProfiles();
    // Menu command 2026: the receiver's access-point-client page (type 21).
    void OnApClientSetup();
    // Sizes the receiver list panel to a window from `top` to `bottom`: the
    // outline, the rows shown, the first visible row and the list's box.
    void LayoutListPanel(int top, int bottom);
    void LayoutForHeight(int height) override { LayoutListPanel(0, height); }
    // The main dialog's flags these flows keep.
    bool ExitPending() const { return m_exitPending; }
    bool ProfileChosen() const { return m_profileChosen; }
    bool ReconnectFlag() const { return m_reconnectFlag; }
    int ReconnectCount() const { return m_reconnectCount; }
    const ui::ConnectionProfile& CurrentQuickProfile() const { return m_quickProfile; }
    std::string ProfileFilePath() const;

private:
    VRXClient* NoteSessionClient();
    bool ForwardFeatureCommand(uint32_t id);
    // A page about the receiver in use: its type, the client and its name.
    void PrepareReceiverPage(ui::CQKCommonDlg& dlg, int type);
    void BuildWidget(const ui::LayoutElement& record);
    void SetUpDeviceNameEdit(const ui::LayoutElement& record);
    void Apply(const TileChanges& changes);
    void SetVisible(ui::CQKin& widget, bool visible);
    bool IsBusy() const;
    bool IsOwnAddress(uint32_t address) const;
    int SendNcc(const PositionRecord& record);
    void RefreshSenderStatus();
    platform::Point PointerInClient() const;
    int MeasureText(const std::string& text, const std::string& family, int pixels,
                    int weight) const;
    void ShowListPanel(bool shown);

    platform::WindowManager& m_wm;
    Hooks m_hooks;
    CQKinMainDlg* m_engine = nullptr;
    MainWindowFeatures* m_features = nullptr;
    std::unique_ptr<platform::Surface> m_back;
    std::unique_ptr<platform::ControlSet> m_controls;
    std::vector<ui::WidgetPtr<>> m_widgets;
    ui::CQKListView* m_listView = nullptr;
    std::string m_fontFamily = "Tahoma";

    PositionList m_positions;
    std::vector<ReceiverRow> m_receivers;
    bool m_connected = false;
    bool m_fourTiles = false;
    bool m_drawing = true;
    bool m_ready = true;
    bool m_listShown = false;
    bool m_refusal = false;
    bool m_tileLock = false;
    std::array<bool, kTileCount> m_tileLocks{};
    int m_currentTile = -1;
    int m_moderatedTile = -1;
    bool m_tileStart = false;
    bool m_ownEntry = false;
    int m_ownIndex = -1;
    bool m_listChoice = false;
    bool m_severalReceivers = false;
    int m_pageState = 0;
    int m_volumeValue = 0;
    bool m_muted = false;
    std::string m_loginCode;
    int m_currentNameIndex = -1;
    bool m_exitPending = false;
    bool m_profileChosen = false;
    bool m_reconnectFlag = false;
    int m_reconnectCount = 0;
    ui::ConnectionProfile m_quickProfile;
    std::atomic<VRXClient*> m_sessionClient{nullptr};
};

}  // namespace pemuapp
