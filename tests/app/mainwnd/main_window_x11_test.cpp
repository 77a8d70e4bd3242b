// The main window on a private Xvfb through the X11 backend, in two-tile
// and four-tile mode: the server's window shape is the window's region, and
// what the server shows inside it (XGetImage) is exactly the presented page.
// Screenshots of both modes are kept as test artefacts.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/main_window.h"
#include "app/mainwnd/window_shape.h"
#include "tests/app/mainwnd/recording_client.h"
#include "tests/platform/window/x11_test_support.h"
#include "tests/support/TempDir.h"
#include "tests/ui/dialogs/scripted_dialog_runner.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace platform {
namespace {

using pemuapp::PositionRecord;

PositionRecord Sender(const char* name, uint32_t hostAddress, int state, int signal) {
    PositionRecord r;
    r.displayName = name;
    r.address = htonl(hostAddress);
    r.state = state;
    r.signalLevel = signal;
    return r;
}

class MainWindowX11Test : public X11WindowTest {
protected:
    void StartWindow() {
        pemuapp::MainWindowHooks hooks;
        hooks.sendNccControl = [](const PositionRecord&) { return 0; };
        hooks.ownAddresses = [] { return std::vector<uint32_t>{}; };
        page = std::make_unique<pemuapp::MainWindow>(*wm, std::move(hooks));
        services.paths = pemuapp::SenderPaths::Under(dir.File("config"), dir.File("data"));
        services.runner = &boxes;
        services.parts = page.get();
        services.userName = "ann";
        services.writeAppLog = false;
        services.makeClient = [this]() -> std::unique_ptr<pemuapp::CQKVRXClientEx> {
            auto c = std::make_unique<pemuapp::RecordingClient>();
            if (!client) {
                client = c.get();
            }
            return c;
        };
        engine = std::make_unique<pemuapp::CQKinMainDlg>(*wm, services);
        page->Attach(*engine);
        ASSERT_TRUE(engine->Create());
        wm->KillTimer(engine->Window(), pemuapp::kTimerKeepHidden);
        wm->KillTimer(engine->Window(), pemuapp::kTimerStartPause);
        wm->Move(engine->Window(), Rect::FromXywh(60, 40, 526, 230));
        wm->Show(engine->Window(), true);
        ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(engine->Window())); }));
    }
    void TearDown() override {
        engine.reset();
        page.reset();
        X11WindowTest::TearDown();
    }
    // Shows `records` and checks shape and pixels against the page.
    void ShowAndCompare(pemuapp::PositionList records, const std::string& artefact) {
        client->status = kVrxIdle;
        page->SetPositions(std::move(records));
        page->AdjustHeightAndTiles();
        const int height = page->CopyHeight();
        const unsigned long native = x11->NativeWindow(engine->Window());
        ASSERT_TRUE(PumpUntil([&] { return RootGeometry(native).Height() == height; }));
        wm->Invalidate(engine->Window());
        Settle();
        Settle();

        int count = 0;
        int ordering = 0;
        XRectangle* rects = XShapeGetRectangles(peer, native, ShapeBounding, &count, &ordering);
        std::vector<Rect> shape;
        for (int i = 0; i < count; ++i) {
            shape.push_back(
                Rect::FromXywh(rects[i].x, rects[i].y, rects[i].width, rects[i].height));
        }
        XFree(rects);
        EXPECT_EQ(shape, pemuapp::MainWindowRegion(page->FourTiles()).ToRects());

        auto shown = Screenshot(native, {pemuapp::kMainWidth, height}, artefact);
        ASSERT_NE(shown, nullptr);
        const Surface* back = page->BackBuffer();
        ASSERT_NE(back, nullptr);
        int different = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < pemuapp::kMainWidth; ++x) {
                const uint32_t a = shown->PixelAt(x, y).value & 0xFFFFFFu;
                const uint32_t b = back->PixelAt(x, y).value & 0xFFFFFFu;
                different += a != b;
            }
        }
        EXPECT_EQ(different, 0) << artefact;
    }

    testsupport::TempDir dir;
    ui::ScriptedDialogRunner boxes;
    pemuapp::CQKinMainDlg::Services services;
    std::unique_ptr<pemuapp::MainWindow> page;
    std::unique_ptr<pemuapp::CQKinMainDlg> engine;
    pemuapp::RecordingClient* client = nullptr;
};

TEST_F(MainWindowX11Test, BothTileModesShowTheirShapeAndExactlyThePresentedPage) {
    StartWindow();
    ShowAndCompare({Sender("Meeting room PC", 0x0A000011, pemuapp::kPositionProjecting, 3),
                    Sender("", 0x0A000012, pemuapp::kPositionIdle, 2)},
                   "main_window_two_tiles.png");
    ShowAndCompare({Sender("Meeting room PC", 0x0A000011, pemuapp::kPositionProjecting, 3),
                    Sender("Laptop", 0x0A000012, pemuapp::kPositionIdle, 2),
                    Sender("Tablet", 0x0A000013, pemuapp::kPositionModerated, 1),
                    Sender("Guest", 0x0A000014, pemuapp::kPositionIdle, 3)},
                   "main_window_four_tiles.png");
}

}  // namespace
}  // namespace platform
