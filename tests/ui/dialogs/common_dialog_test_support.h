// The common dialog's test fixture: the window layer on the headless
// backend with a fake clock, the generated skin, a scripted dialog runner,
// recording page operations and a fake main window; helpers open a dialog
// window without its modal loop and click its widgets at screen points.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "app/res/translator.h"
#include "platform/fake_wifi_provider.h"
#include "tests/platform/window/window_test_support.h"
#include "tests/ui/dialogs/fake_main_window_services.h"
#include "tests/ui/dialogs/recording_page_operations.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/skin_images.h"

namespace dialogtest {

using platform::Point;
using platform::Rect;

class CommonDialogTest : public platform::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        skin = std::make_unique<ui::SkinImages>(PEMU_SKIN_DIR, [](const std::string&) {});
        env.runner = &runner;
        env.mainWindow = &mainWindow;
        env.pages = &pages;
        env.skin = skin.get();
        env.wifi = &wifi;
        env.skinFolder = PEMU_SKIN_DIR;
        env.fontName = "DejaVu Sans";
    }
    void TearDown() override {
        windows.clear();
        dialogs.clear();
        appres::Translator::SelectLanguage("");
        WindowTest::TearDown();
    }

    // A dialog of `type` with the fixture's environment, kept by the fixture.
    ui::CQKCommonDlg& Dialog(int type) {
        dialogs.push_back(std::make_unique<ui::CQKCommonDlg>(env));
        dialogs.back()->SetType(type);
        return *dialogs.back();
    }
    // Its window made and shown as the modal loop would, messages run.
    ui::CommonDialogWindow& Open(ui::CQKCommonDlg& dialog) {
        windows.push_back(std::make_unique<ui::CommonDialogWindow>(dialog));
        ui::CommonDialogWindow& w = *windows.back();
        EXPECT_TRUE(w.Create());
        wm->Show(w.Window(), true);
        Pump();
        return w;
    }
    ui::CommonDialogWindow& Open(int type) { return Open(Dialog(type)); }

    // The screen point at the middle of widget `id` of `w`.
    Point WidgetPoint(ui::CommonDialogWindow& w, uint32_t id) {
        ui::CQKin* widget = w.FindWidget(id);
        EXPECT_NE(widget, nullptr) << id;
        if (!widget) {
            return {};
        }
        const Rect r = widget->GetRect();
        return *wm->ClientToScreen(w.Window(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    void ClickWidget(ui::CommonDialogWindow& w, uint32_t id) {
        const Point p = WidgetPoint(w, id);
        headless->MoveMouse(p);
        Pump();
        headless->Click(platform::MouseButton::kLeft, p);
        Pump();
    }
    void Key(platform::Key key) {
        headless->PressKey(key);
        headless->ReleaseKey(key);
        Pump();
    }

    std::unique_ptr<ui::SkinImages> skin;
    ui::ScriptedDialogRunner runner;
    ui::FakeMainWindowServices mainWindow;
    ui::RecordingPageOperations pages;
    platform::FakeWifiProvider wifi;
    ui::DialogEnvironment env;
    std::vector<std::unique_ptr<ui::CQKCommonDlg>> dialogs;
    std::vector<std::unique_ptr<ui::CommonDialogWindow>> windows;
};

// When the loop would wait, run `step` once (then let time pass).
inline void OnFirstIdle(platform::HeadlessBackend* headless, platform::FakeClock& clock,
                        std::function<void()> step) {
    auto once = std::make_shared<std::function<void()>>(std::move(step));
    headless->SetIdleHandler([once, &clock](int timeoutMs) {
        if (*once) {
            auto s = std::move(*once);
            *once = nullptr;
            s();
            return;
        }
        if (timeoutMs > 0) {
            clock.Advance(static_cast<uint64_t>(timeoutMs));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

}  // namespace dialogtest
