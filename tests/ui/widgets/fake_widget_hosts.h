// Fakes for the skinned widgets' tests: a main dialog (526 x 400) and a
// common dialog (614 x 400) as WidgetHosts on the headless backend, each
// recording what its widgets sent it, and a receiver client whose status,
// record and media answers a test sets.
//
// A host is a real top-level window with a back buffer and a ControlSet;
// copies to the screen go through the set as in the program. Its paint
// handler presents the back buffer as it is; RepaintAll redraws the widgets
// it was given (AddPainted) over its background first, as a dialog's paint
// does.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/controls/control_set.h"
#include "platform/draw/surface.h"
#include "platform/window/window_manager.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qkin.h"
#include "ui/widgets/receiver_row_client.h"
#include "ui/widgets/skin_images.h"
#include "ui/widgets/widget_host.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace widgettest {

using platform::Argb;
using platform::Message;
using platform::MessageKind;
using platform::Point;
using platform::Rect;
using platform::Surface;
using platform::WindowId;

// One event a widget sent to a dialog's dispatcher.
struct HostEvent {
    uint32_t id = 0;  // the sender's control id
    uint32_t flags = 0;
    bool secondFlag = false;
    bool operator==(const HostEvent&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const HostEvent& e) {
    return out << "{" << e.id << ", 0x" << std::hex << e.flags << std::dec << ", " << e.secondFlag
               << "}";
}

// One message the dialog window itself received (posted presses and releases).
struct WindowInput {
    MessageKind kind;
    Point point;
    bool operator==(const WindowInput&) const = default;
};

class FakeHost : public platform::WindowHandler, public ui::WidgetHost {
public:
    static constexpr Argb kBackground{0xFF336699u};

    FakeHost(platform::WindowManager& wm, Rect screenRect, ui::SkinImages* skin)
        : m_wm(wm), m_skin(skin) {
        platform::WindowOptions o;
        o.rect = screenRect;
        o.className = "FAKE_HOST";
        o.visible = true;
        o.handler = this;
        m_window = wm.Create(o);
        m_back = Surface::Create(screenRect.Width(), screenRect.Height());
        m_back->Clear(kBackground);
        m_controls = std::make_unique<platform::ControlSet>(wm, m_window);
    }
    ~FakeHost() override {
        m_controls.reset();
        if (platform::WindowManager::Current() == &m_wm && m_wm.IsAlive(m_window)) {
            m_wm.Destroy(m_window);
        }
    }

    // --- WidgetHost ---------------------------------------------------------
    WindowId Window() const override { return m_window; }
    Surface* BackBuffer() override { return m_back.get(); }
    platform::ControlSet* Controls() override { return m_controls.get(); }
    ui::SkinImages* Skin() override { return m_skin; }
    void SetSkin(ui::SkinImages* skin) { m_skin = skin; }
    std::string TranslateText(std::string_view english) override {
        return translate ? translate(english) : std::string(english);
    }
    void BlitWidgetRect(const ui::CQKin& widget) override {
        blits.push_back(widget.GetRect());
        WidgetHost::BlitWidgetRect(widget);
    }
    void BlitWidgetAt(const ui::CQKin& widget, int x, int y) override {
        const Rect r = widget.GetRect();
        blits.push_back(Rect::FromXywh(x, y, r.Width(), r.Height()));
        WidgetHost::BlitWidgetAt(widget, x, y);
    }
    void BlitClientArea() override {
        blits.push_back(m_back->Bounds());
        WidgetHost::BlitClientArea();
    }

    // --- Window ---------------------------------------------------------------
    int64_t OnMessage(WindowId, const Message& msg) override {
        switch (msg.kind) {
            case MessageKind::kPaint:
                m_controls->Present(*m_back, msg.rect);
                return 0;
            case MessageKind::kButtonDown:
            case MessageKind::kButtonUp:
                input.push_back({msg.kind, msg.point});
                return 0;
            default:
                return kDefault;
        }
    }

    // Widgets the host redraws, in order, on RepaintAll.
    void AddPainted(ui::CQKin* widget) { m_painted.push_back(widget); }
    void ClearPainted() { m_painted.clear(); }
    void RepaintAll() {
        m_back->Clear(kBackground);
        for (ui::CQKin* w : m_painted) {
            w->DrawToBackBuffer();
        }
        BlitClientArea();
    }
    Argb BackPixel(Point p) const { return m_back->PixelAt(p.x, p.y); }

    std::vector<HostEvent> TakeEvents() {
        std::vector<HostEvent> e;
        e.swap(events);
        return e;
    }

    std::vector<HostEvent> events;
    std::vector<WindowInput> input;
    std::vector<Rect> blits;
    std::function<std::string(std::string_view)> translate;

protected:
    void Record(ui::CQKin& widget, uint32_t flags) {
        events.push_back({widget.ControlId(), flags, widget.SecondFlag()});
        widget.SetSecondFlag(false);
        if (onEvent) {
            onEvent(widget, flags);
        }
    }

public:
    std::function<void(ui::CQKin&, uint32_t)> onEvent;

private:
    platform::WindowManager& m_wm;
    ui::SkinImages* m_skin;
    WindowId m_window;
    std::unique_ptr<Surface> m_back;
    std::unique_ptr<platform::ControlSet> m_controls;
    std::vector<ui::CQKin*> m_painted;
};

// The main dialog: 526 x 400, with the members the widgets use.
class FakeMainHost final : public FakeHost, public ui::MainDialogSide {
public:
    static constexpr int kWidth = 526;
    static constexpr int kHeight = 400;

    FakeMainHost(platform::WindowManager& wm, Point origin, ui::SkinImages* skin)
        : FakeHost(wm, Rect::FromXywh(origin.x, origin.y, kWidth, kHeight), skin) {}

    ui::MainDialogSide* AsMainDialog() override { return this; }

    void DoEvent(ui::CQKin& widget, uint32_t flags) override { Record(widget, flags); }
    int VolumeValue() const override { return volume; }
    void SetVolumeValue(int value) override { volume = value; }
    bool IsMenuLocked() const override { return menuLocked; }
    bool IsSpeedSwitchLocked() const override { return speedLocked; }
    uint8_t FirstChoice() const override { return firstChoice; }
    uint8_t SecondChoice() const override { return secondChoice; }
    std::string CurrentLoginCode() const override { return loginCode; }
    ui::CQKListView* ListView() override { return list; }
    void LayoutVolumeSlider(int mode) override { hooks.emplace_back("LayoutVolumeSlider", mode); }
    void KillMediaPositionTimer() override { hooks.emplace_back("KillMediaPositionTimer", 168); }
    void OnMediaPositionMoved(int position) override {
        hooks.emplace_back("OnMediaPositionMoved", position);
    }
    void DrawSpeedyImage(int position) override { hooks.emplace_back("DrawSpeedyImage", position); }
    void SeekMediaFile(int position) override { hooks.emplace_back("SeekMediaFile", position); }

    int volume = 0;
    bool menuLocked = false;
    bool speedLocked = false;
    uint8_t firstChoice = 0;
    uint8_t secondChoice = 1;
    std::string loginCode;
    ui::CQKListView* list = nullptr;
    std::vector<std::pair<std::string, int>> hooks;
};

// The common dialog: 614 x 400.
class FakeCommonHost final : public FakeHost, public ui::CommonDialogSide {
public:
    static constexpr int kWidth = 614;
    static constexpr int kHeight = 400;

    FakeCommonHost(platform::WindowManager& wm, Point origin, ui::SkinImages* skin)
        : FakeHost(wm, Rect::FromXywh(origin.x, origin.y, kWidth, kHeight), skin) {}

    ui::CommonDialogSide* AsCommonDialog() override { return this; }

    void OnItemClicked(ui::CQKin& widget, uint32_t flags) override { Record(widget, flags); }
    int VolumeValue() const override { return volume; }
    void SetVolumeValue(int value) override { volume = value; }
    void DrawVolumeSlider() override { ++sliderDraws; }

    int volume = 0;
    int sliderDraws = 0;
};

// A receiver client: status, record and media answers as the test sets them.
class FakeReceiverClient final : public VRXClient, public ui::ReceiverMediaFlags {
public:
    struct LogCall {
        std::string path;
        int level;
        bool append;
        bool operator==(const LogCall&) const = default;
    };

    ~FakeReceiverClient() override { Shutdown(); }

    int GetStatus() override { return status; }
    int ConnectToDeviceThruIP(uint32_t ipv4, DevAnnounce* out, int timeoutSeconds) override {
        asked.push_back(ipv4);
        EXPECT_EQ(timeoutSeconds, 10);
        if (duringAnnounce) {
            duringAnnounce();  // what the wait for the receiver pumps
        }
        if (announceResult < 0 || !out) {
            return announceResult;
        }
        std::memset(out->bytes, 0, sizeof(out->bytes));
        std::memcpy(out->bytes + DevAnnounce::kNameOffset, announcedName.data(),
                    std::min(announcedName.size(), DevAnnounce::kNameSize));
        return 0;
    }
    void Logout() override { ++logouts; }
    int SetLog(const char* path, int level, bool append) override {
        logs.push_back({path ? path : "", level, append});
        return 0;
    }
    using VRXClient::PlayVideoFileW;
    int PlayVideoFileW(const std::wstring& path, bool findPort, int transcode) override {
        played.push_back(path);
        EXPECT_TRUE(findPort);
        EXPECT_EQ(transcode, 0);
        return mediaResult;
    }
    int PauseResumeVideoFile() override {
        ++pauseResumes;
        return mediaResult;
    }
    int SeekVideoFile(int position) override {
        seeks.push_back(position);
        return mediaResult;
    }
    bool VideoFileFlag() const override { return videoFlag; }
    void ClearMediaFlags() override {
        videoFlag = false;
        ++flagClears;
    }

    int status = kVrxDisconnected;
    std::string announcedName;
    int announceResult = 0;
    std::function<void()> duringAnnounce;
    std::vector<uint32_t> asked;
    int logouts = 0;
    std::vector<LogCall> logs;
    bool videoFlag = false;
    int flagClears = 0;
    std::vector<std::wstring> played;
    int pauseResumes = 0;
    std::vector<int> seeks;
    int mediaResult = 0;
};

}  // namespace widgettest
