// The skinned widgets' test fixture: a window manager on the headless
// backend with a fake clock, the generated skin, a fake main host and a fake
// common host (made when first used), and helpers to make widgets, move and
// click the pointer on them and read which skin frame was drawn where.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/res/skin_marker.h"
#include "platform/window/window_limits.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/ui/widgets/fake_widget_hosts.h"

namespace widgettest {

class WidgetTest : public platform::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        skin = std::make_unique<ui::SkinImages>(
            PEMU_SKIN_DIR, [this](const std::string& line) { skinLog.push_back(line); });
    }

    // Widgets go while the layer runs, then the hosts, then the layer.
    void TearDown() override {
        widgets.clear();
        mainHost.reset();
        commonHost.reset();
        WindowTest::TearDown();
    }

    FakeMainHost& Main() {
        if (!mainHost) {
            mainHost = std::make_unique<FakeMainHost>(*wm, Point{10, 10}, skin.get());
            Pump();
        }
        return *mainHost;
    }
    FakeCommonHost& Common() {
        if (!commonHost) {
            commonHost = std::make_unique<FakeCommonHost>(*wm, Point{400, 300}, skin.get());
            Pump();
        }
        return *commonHost;
    }

    // A top-level widget of `host`, filled but not yet created.
    template <class T>
    T* Add(ui::WidgetHost* host, uint32_t id, Rect rect, std::string name = "", int frames = 1,
           bool visible = true) {
        auto w = ui::MakeWidget<T>();
        w->SetOwner(host, host && host->AsMainDialog() ? "CQKinMainDlg" : "CQKCommonDlg");
        w->SetTopLevel(true);
        w->SetControlId(id);
        w->SetRect(rect);
        w->SetElementName(std::move(name));
        w->SetFrameCount(frames);
        w->SetVisibleFlag(visible);
        T* raw = w.get();
        widgets.push_back(std::move(w));
        return raw;
    }

    Point ScreenOf(const ui::CQKin& w, Point local) const {
        std::optional<Point> p = wm->ClientToScreen(w.Window(), local);
        EXPECT_TRUE(p.has_value());
        return p.value_or(Point{});
    }
    void MoveTo(const ui::CQKin& w, Point local) {
        headless->MoveMouse(ScreenOf(w, local));
        Pump();
    }
    // A press long enough after the last one not to make a double click.
    void PressOn(const ui::CQKin& w, Point local) {
        clock.Advance(platform::kDoubleClickMs + 1);
        headless->PressButton(platform::MouseButton::kLeft, ScreenOf(w, local));
        Pump();
    }
    void ReleaseOn(const ui::CQKin& w, Point local) {
        headless->ReleaseButton(platform::MouseButton::kLeft, ScreenOf(w, local));
        Pump();
    }
    void ClickOn(const ui::CQKin& w, Point local) {
        PressOn(w, local);
        ReleaseOn(w, local);
    }
    // Time passes with the pointer at rest (hover notices, timers).
    void Rest(uint64_t ms) {
        clock.Advance(ms);
        Pump();
    }

    // The skin frame whose marker lies at `frameOrigin + kSkinMarkerOffset`
    // of the host's back buffer.
    static std::optional<appres::SkinMarker> MarkerAt(const FakeHost& host, Point frameOrigin) {
        const Point m{frameOrigin.x + appres::kSkinMarkerOffset.x,
                      frameOrigin.y + appres::kSkinMarkerOffset.y};
        return appres::ReadSkinMarker(host.BackPixel(m));
    }

    std::unique_ptr<ui::SkinImages> skin;
    std::vector<std::string> skinLog;
    std::unique_ptr<FakeMainHost> mainHost;
    std::unique_ptr<FakeCommonHost> commonHost;
    std::vector<ui::WidgetPtr<ui::CQKin>> widgets;
};

}  // namespace widgettest
