// The window manager on the headless backend: ids, posting, timers, loops,
// modal windows, quit, pumps, painting, deferred deletion and the tray.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "platform/draw/surface.h"
#include "platform/log.h"
#include "platform/pump.h"
#include "tests/platform/window/window_test_support.h"

namespace platform {
namespace {

class WindowManagerTest : public WindowTest {
protected:
    // A main window, a dialog it owns, and a dialog that one owns.
    std::tuple<WindowId, WindowId, WindowId> OwnedChain(RecordingHandler& h) {
        WindowId main = TopLevel(Rect::FromXywh(0, 0, 300, 300), &h);
        WindowOptions o;
        o.parent = main;
        o.rect = Rect::FromXywh(10, 10, 100, 100);
        o.handler = &h;
        WindowId outer = wm->Create(o);
        o.parent = outer;
        return {main, outer, wm->Create(o)};
    }
};

TEST_F(WindowManagerTest, OnlyOneManagerAtATimeAndNeverWithoutBackend) {
    EXPECT_EQ(WindowManager::Current(), wm.get());
    EXPECT_EQ(WindowManager::Create(std::make_unique<HeadlessBackend>()), nullptr);
    EXPECT_EQ(WindowManager::Create(nullptr), nullptr);
}

TEST_F(WindowManagerTest, DeadIdsFailEverywhereAndNeverMatchANewWindow) {
    RecordingHandler& h = NewHandler();
    WindowId first = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    ASSERT_TRUE(wm->PostCommand(first, 7));
    ASSERT_TRUE(wm->Destroy(first));
    // The slot is reused with a new generation.
    WindowId second = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    EXPECT_EQ(second.Slot(), first.Slot());
    EXPECT_NE(second, first);

    h.log.clear();
    struct Row {
        const char* what;
        bool result;
    } rows[] = {
        {"post", wm->PostCommand(first, 1)},
        {"destroy", wm->Destroy(first)},
        {"show", wm->Show(first, true)},
        {"move", wm->Move(first, Rect::FromXywh(1, 1, 2, 2))},
        {"timer", wm->SetTimer(first, 1, 10)},
        {"capture", wm->SetCapture(first)},
        {"focus", wm->SetFocus(first)},
        {"track", wm->TrackMouse(first, true, true, 1)},
        {"invalidate", wm->Invalidate(first)},
        {"alive", wm->IsAlive(first)},
        {"null post", wm->PostCommand(WindowId{}, 1)},
        {"forged id", wm->PostCommand(WindowId::FromParts(999, 1), 1)},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(r.result);
    }
    EXPECT_EQ(wm->Send(first, Message::Command(3)), 0);
    Pump();
    // The command posted before the destruction was dropped with the window.
    EXPECT_TRUE(h.Of(MessageKind::kCommand).empty());
    EXPECT_TRUE(wm->IsAlive(second));
}

TEST_F(WindowManagerTest, DestroyingAWindowEndsItsChildrenAndOwnedWindowsFirstAndLast) {
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 100, 100), &h);
    WindowId child = Child(main, Rect::FromXywh(0, 0, 10, 10), &h);
    WindowId grandChild = Child(child, Rect::FromXywh(0, 0, 5, 5), &h);
    WindowOptions o;
    o.parent = main;
    o.rect = Rect::FromXywh(0, 0, 50, 50);
    o.handler = &h;
    WindowId owned = wm->Create(o);
    ASSERT_TRUE(owned);
    h.log.clear();

    ASSERT_TRUE(wm->Destroy(main));
    std::vector<std::pair<MessageKind, WindowId>> got;
    for (const Received& r : h.log) {
        got.emplace_back(r.kind, r.target);
    }
    std::vector<std::pair<MessageKind, WindowId>> want = {
        {MessageKind::kDestroy, owned},      {MessageKind::kFinalRelease, owned},
        {MessageKind::kDestroy, main},       {MessageKind::kDestroy, child},
        {MessageKind::kDestroy, grandChild}, {MessageKind::kFinalRelease, grandChild},
        {MessageKind::kFinalRelease, child}, {MessageKind::kFinalRelease, main},
    };
    EXPECT_EQ(got, want);
    for (WindowId id : {main, child, grandChild, owned}) {
        EXPECT_FALSE(wm->IsAlive(id));
    }
    EXPECT_EQ(headless->State(main), nullptr);
}

TEST_F(WindowManagerTest, RefusedTopLevelGivesNullId) {
    headless->SetRefuseTopLevels(true);
    RecordingHandler& h = NewHandler();
    EXPECT_FALSE(TopLevel(Rect::FromXywh(0, 0, 10, 10), &h));
    EXPECT_TRUE(h.log.empty());
}

TEST_F(WindowManagerTest, TimersFireInDueOrderOnTheVirtualClock) {
    RecordingHandler& h = NewHandler();
    WindowId a = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    WindowId b = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    wm->SetTimer(a, 1, 300);
    wm->SetTimer(b, 2, 200);
    wm->SetTimer(a, 3, 200);  // same due time as b's 2, set later
    wm->SetTimer(b, 4, 1000);
    h.on[MessageKind::kTimer] = [&](WindowId self, const Message& m) -> int64_t {
        if (self == a && m.code == 3 && h.Of(MessageKind::kTimer).size() == 2) {
            wm->KillTimer(a, 3);  // kills itself after its first firing
        }
        if (h.Of(MessageKind::kTimer).size() == 8) {
            wm->PostQuit(5);
        }
        return 0;
    };
    uint64_t start = clock.NowMs();
    EXPECT_EQ(wm->Run(), 5);

    struct Row {
        WindowId window;
        uint32_t timer;
        uint64_t at;
    } want[] = {
        {b, 2, 200},
        {a, 3, 200},
        {a, 1, 300},
        {b, 2, 400},
        // a's timer 1 was re-armed before b's timer 2, so it goes first at 600.
        {a, 1, 600},
        {b, 2, 600},
        {b, 2, 800},
        {a, 1, 900},
    };
    std::vector<Received> fired = h.Of(MessageKind::kTimer);
    ASSERT_EQ(fired.size(), std::size(want));
    for (size_t i = 0; i < fired.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fired[i].target, want[i].window);
        EXPECT_EQ(fired[i].code, want[i].timer);
        EXPECT_EQ(fired[i].timeMs - start, want[i].at);
    }
}

TEST_F(WindowManagerTest, LateTimerFiresOnceAndCountsOnFromThen) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    wm->SetTimer(w, 9, 100);
    clock.Advance(350);  // three intervals missed
    Pump();
    EXPECT_EQ(h.Of(MessageKind::kTimer).size(), 1u);
    clock.Advance(99);
    Pump();
    EXPECT_EQ(h.Of(MessageKind::kTimer).size(), 1u);
    clock.Advance(1);
    Pump();
    EXPECT_EQ(h.Of(MessageKind::kTimer).size(), 2u);
}

// A modal dialog started from a click handler of the main window, ending in
// each of the ways a dialog ends.
TEST_F(WindowManagerTest, ModalDialogResults) {
    struct Row {
        const char* what;
        std::function<void(WindowManager&, HeadlessBackend&, WindowId)> end;
        int expected;
    } rows[] = {
        {"EndModal", [](WindowManager& m, HeadlessBackend&, WindowId d) { m.EndModal(d, 42); }, 42},
        {"Enter", [](WindowManager&, HeadlessBackend& b, WindowId) { b.PressKey(Key::kReturn); },
         static_cast<int>(kCommandOk)},
        {"Escape", [](WindowManager&, HeadlessBackend& b, WindowId) { b.PressKey(Key::kEscape); },
         static_cast<int>(kCommandCancel)},
        {"close request", [](WindowManager&, HeadlessBackend& b, WindowId d) { b.RequestClose(d); },
         static_cast<int>(kCommandCancel)},
        {"posted OK", [](WindowManager& m, HeadlessBackend&, WindowId d) { m.PostCommand(d, 1); },
         static_cast<int>(kCommandOk)},
        {"destroyed", [](WindowManager& m, HeadlessBackend&, WindowId d) { m.Destroy(d); },
         kModalAborted},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        RecordingHandler& mainHandler = NewHandler();
        RecordingHandler& dialogHandler = NewHandler();
        dialogHandler.defaultResult = WindowHandler::kDefault;
        WindowId main = TopLevel(Rect::FromXywh(0, 0, 200, 200), &mainHandler);
        WindowId dialog =
            wm->Create(DialogWindowOptions(main, Rect::FromXywh(50, 50, 100, 100), &dialogHandler));
        ASSERT_TRUE(dialog);
        int result = 12345;
        bool ownerEnabledDuring = true;
        // The dialog's first timer ends it, as a user would.
        dialogHandler.on[MessageKind::kTimer] = [&](WindowId self, const Message&) -> int64_t {
            wm->KillTimer(self, 1);
            ownerEnabledDuring = wm->IsEnabled(main);
            r.end(*wm, *headless, self);
            return 0;
        };
        mainHandler.on[MessageKind::kCommand] = [&](WindowId, const Message&) -> int64_t {
            wm->SetTimer(dialog, 1, 10);
            result = wm->RunModal(dialog);
            wm->PostQuit(0);
            return 0;
        };
        wm->PostCommand(main, 100);
        EXPECT_EQ(wm->Run(), 0);
        EXPECT_EQ(result, r.expected);
        EXPECT_FALSE(ownerEnabledDuring);
        EXPECT_TRUE(wm->IsEnabled(main));
        EXPECT_FALSE(wm->IsVisible(dialog));
        wm->Destroy(main);
    }
}

TEST_F(WindowManagerTest, NestedModalsReturnTheirOwnResultsInnermostFirst) {
    RecordingHandler& h = NewHandler();
    h.defaultResult = WindowHandler::kDefault;
    auto [main, outer, inner] = OwnedChain(h);
    std::vector<std::string> trace;
    h.on[MessageKind::kUser] = [&](WindowId self, const Message& m) -> int64_t {
        if (self == main) {
            trace.push_back("outer=" + std::to_string(wm->RunModal(outer)));
            wm->PostQuit(3);
        } else if (self == outer && m.code == 1) {
            // The outer dialog opens the inner one and then ends itself.
            trace.push_back("inner=" + std::to_string(wm->RunModal(inner)));
            trace.push_back(std::string("outer enabled after inner: ") +
                            (wm->IsEnabled(outer) ? "yes" : "no"));
            wm->EndModal(outer, 20);
        }
        return 0;
    };
    h.on[MessageKind::kShow] = [&](WindowId self, const Message& m) -> int64_t {
        if (m.code == 1 && self == outer) {
            wm->Post(outer, Message::User(1));
        }
        if (m.code == 1 && self == inner) {
            EXPECT_FALSE(wm->IsEnabled(outer));
            EXPECT_FALSE(wm->IsEnabled(main)) << "main stays disabled under both";
            wm->PostCommand(inner, kCommandOk);
        }
        return 0;
    };
    wm->Post(main, Message::User(0));
    EXPECT_EQ(wm->Run(), 3);
    EXPECT_EQ(trace,
              (std::vector<std::string>{"inner=1", "outer enabled after inner: yes", "outer=20"}));
}

TEST_F(WindowManagerTest, QuitInsideANestedLoopEndsEveryLoop) {
    RecordingHandler& h = NewHandler();
    auto [main, outer, inner] = OwnedChain(h);
    std::vector<int> results;
    int afterQuit = 0;
    h.on[MessageKind::kUser] = [&](WindowId self, const Message& m) -> int64_t {
        if (m.code == 9) {
            return 0;
        }
        if (self == main) {
            results.push_back(wm->RunModal(outer));
            // A loop started while the quit unwinds ends at once.
            results.push_back(wm->RunModal(inner));
        } else if (self == outer) {
            results.push_back(wm->RunModal(inner));
        } else {
            wm->PostQuit(77);
            wm->Post(main, Message::User(9));  // queued after the quit: left for the next Run
        }
        return 0;
    };
    h.on[MessageKind::kShow] = [&](WindowId self, const Message& m) -> int64_t {
        if (m.code == 1 && self != main) {
            wm->Post(self, Message::User(0));
        }
        return 0;
    };
    h.on[MessageKind::kCommand] = [&](WindowId, const Message&) -> int64_t {
        ++afterQuit;
        return 0;
    };
    wm->Post(main, Message::User(0));
    EXPECT_EQ(wm->Run(), 77);
    EXPECT_EQ(results, (std::vector<int>{kModalAborted, kModalAborted, kModalAborted}));
    EXPECT_EQ(h.Of(MessageKind::kUser).size(), 3u);
    // The next Run starts afresh and takes what was left queued.
    wm->PostCommand(main, 5);
    wm->PostQuit(1);
    EXPECT_EQ(wm->Run(), 1);
    EXPECT_EQ(afterQuit, 1);
    EXPECT_EQ(h.Of(MessageKind::kUser).size(), 4u);
}

TEST_F(WindowManagerTest, FilteredPumpRunsTimersThenPaintsAndKeepsTheRestQueued) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(0, 0, 50, 50), &h);
    Pump();
    h.log.clear();
    wm->PostCommand(w, 1);
    wm->Invalidate(w, Rect::FromXywh(1, 1, 5, 5));
    wm->SetTimer(w, 7, 10);
    wm->SetTimer(w, 8, 20);
    clock.Advance(25);

    // The foundation's entry point reaches the installed pump on this thread.
    PumpTimerPaintMessages();
    std::vector<MessageKind> kinds;
    for (const Received& r : h.log) {
        kinds.push_back(r.kind);
    }
    EXPECT_EQ(kinds, (std::vector<MessageKind>{MessageKind::kTimer, MessageKind::kTimer,
                                               MessageKind::kPaint}));

    PumpMessages();
    EXPECT_EQ(h.Of(MessageKind::kCommand).size(), 1u);
}

TEST_F(WindowManagerTest, PumpOffTheUserInterfaceThreadDoesNothing) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(0, 0, 50, 50), &h);
    Pump();
    wm->PostCommand(w, 1);
    // The misuse is reported through the platform log's sink.
    std::mutex logLock;
    std::vector<std::string> lines;
    LogSink previous = SetLogSink([&](LogLevel, std::string_view area, std::string_view text) {
        std::lock_guard<std::mutex> guard(logLock);
        lines.push_back(std::string(area) + ": " + std::string(text));
    });
    std::thread other([&] {
        PumpMessages();
        PumpTimerPaintMessages();
        wm->Show(w, false);  // refused: only the user-interface thread touches windows
    });
    other.join();
    SetLogSink(previous);
    EXPECT_TRUE(h.Of(MessageKind::kCommand).empty());
    EXPECT_TRUE(wm->IsVisible(w));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "window: Show called off the user-interface thread; ignored");
    Pump();
    EXPECT_EQ(h.Of(MessageKind::kCommand).size(), 1u);
}

TEST_F(WindowManagerTest, PaintsCoverTheInvalidatedAreaAndPresentReachesTheScreen) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(100, 100, 40, 30), &h);
    WindowId child = Child(w, Rect::FromXywh(10, 10, 10, 10), &h);
    auto back = Surface::Create(40, 30);
    ASSERT_NE(back, nullptr);
    h.on[MessageKind::kPaint] = [&](WindowId self, const Message& m) -> int64_t {
        back->Clear(Argb(0xFF00FF00));
        wm->Present(self, *back, m.rect);
        return 0;
    };
    Pump();
    ASSERT_EQ(h.Of(MessageKind::kPaint).size(), 1u);  // the show invalidated it all
    const HeadlessBackend::TopLevelState* s = headless->State(w);
    ASSERT_NE(s->presented, nullptr);
    EXPECT_EQ(s->presented->PixelAt(39, 29), Argb(0xFF00FF00));

    h.log.clear();
    wm->Invalidate(child, Rect::FromXywh(0, 0, 2, 2));
    wm->Invalidate(w, Rect::FromXywh(30, 20, 5, 5));
    wm->Invalidate(w, Rect::FromXywh(35, 25, 50, 50));  // clipped to the window
    Pump();
    std::vector<Received> paints = h.Of(MessageKind::kPaint);
    ASSERT_EQ(paints.size(), 1u);
    EXPECT_EQ(paints[0].target, w);

    wm->Show(w, false);
    h.log.clear();
    wm->Invalidate(w);
    Pump();
    EXPECT_TRUE(h.Of(MessageKind::kPaint).empty()) << "hidden windows are not painted";
}

TEST_F(WindowManagerTest, DestroyDuringANestedLoopDefersTheReleaseUntilTheHandlerReturns) {
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 100, 100), &h);
    WindowId widget = Child(main, Rect::FromXywh(0, 0, 10, 10), &h);
    std::vector<std::string> trace;
    h.on[MessageKind::kCommand] = [&](WindowId self, const Message& m) -> int64_t {
        if (self == widget) {
            trace.push_back("widget handler starts a wait");
            wm->PostCommand(main, 2);
            PumpMessages();  // the nested pump destroys this very widget
            trace.push_back(std::string("widget handler resumes, alive: ") +
                            (wm->IsAlive(widget) ? "yes" : "no"));
        } else if (m.code == 2) {
            wm->Destroy(widget);
            wm->DeleteSoon([&] { trace.push_back("deferred deletion"); });
            trace.push_back("destroyed");
        }
        return 0;
    };
    h.on[MessageKind::kFinalRelease] = [&](WindowId, const Message&) -> int64_t {
        trace.push_back("final release");
        return 0;
    };
    wm->PostCommand(widget, 1);
    Pump();
    EXPECT_EQ(trace, (std::vector<std::string>{"widget handler starts a wait", "destroyed",
                                               "widget handler resumes, alive: no", "final release",
                                               "deferred deletion"}));
    h.on.clear();  // `trace` ends with this test; the main window lives on until tear-down
}

// A dialog made on the stack inside a handler owns its window: it destroys it
// and is gone before the loop around releases the window. The release must
// not reach it (ASan reports a use after free otherwise).
TEST_F(WindowManagerTest, AHandlerGoneBeforeTheReleaseOfItsWindowIsNotCalled) {
    struct OwnedWindow final : WindowHandler {
        WindowManager& wm;
        WindowId id;
        int* released;
        OwnedWindow(WindowManager& w, int* r) : wm(w), released(r) {
            WindowOptions o;
            o.rect = Rect::FromXywh(0, 0, 20, 20);
            o.handler = this;
            id = wm.Create(o);
        }
        ~OwnedWindow() override { wm.Destroy(id); }
        int64_t OnMessage(WindowId, const Message& m) override {
            if (m.kind == MessageKind::kFinalRelease) {
                ++*released;
            }
            return 0;
        }
    };
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 100, 100), &h);
    int released = 0;
    WindowId made;
    h.on[MessageKind::kCommand] = [&](WindowId, const Message&) -> int64_t {
        OwnedWindow dialog(*wm, &released);
        made = dialog.id;
        return 0;
    };
    wm->PostCommand(main, 1);
    Pump();
    EXPECT_TRUE(made);
    EXPECT_FALSE(wm->IsAlive(made));
    EXPECT_EQ(released, 0);
    h.on.clear();
}

TEST_F(WindowManagerTest, FindsTopLevelsByClassAndTitle) {
    WindowOptions o;
    o.className = "COMMON";
    o.title = "Info";
    WindowId info = wm->Create(o);
    o.title = "Language";
    WindowId language = wm->Create(o);
    o.className = "MAIN";
    WindowId main = wm->Create(o);
    struct Row {
        const char* cls;
        const char* title;
        WindowId expected;
    } rows[] = {
        {"COMMON", "Info", info}, {"COMMON", "Language", language}, {"", "Language", language},
        {"MAIN", "", main},       {"COMMON", "Audio", WindowId{}},  {"OTHER", "", WindowId{}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.cls) + "/" + r.title);
        EXPECT_EQ(wm->FindTopLevel(r.cls, r.title), r.expected);
    }
}

TEST_F(WindowManagerTest, MessageOnlyWindowsTakeTimersButNeverReachTheScreen) {
    RecordingHandler& h = NewHandler();
    WindowOptions o;
    o.className = "WND_TIMER_CLASS";
    o.title = "TIMER_WND";
    o.messageOnly = true;
    o.handler = &h;
    WindowId timer = wm->Create(o);
    ASSERT_TRUE(timer);
    EXPECT_EQ(headless->State(timer), nullptr);
    EXPECT_FALSE(wm->Show(timer, true));
    EXPECT_FALSE(wm->IsVisible(timer));
    wm->SetTimer(timer, 1, 50);
    clock.Advance(50);
    Pump();
    EXPECT_EQ(h.Of(MessageKind::kTimer).size(), 1u);
    EXPECT_EQ(wm->FindTopLevel("WND_TIMER_CLASS", ""), timer);
    EXPECT_TRUE(wm->Destroy(timer));
}

TEST_F(WindowManagerTest, ClientAndScreenCoordinates) {
    RecordingHandler& h = NewHandler();
    WindowId top = TopLevel(Rect::FromXywh(100, 50, 300, 200), &h);
    WindowId row = Child(top, Rect::FromXywh(10, 20, 200, 30), &h);
    WindowId part = Child(row, Rect::FromXywh(5, 6, 10, 10), &h);
    EXPECT_EQ(wm->ClientToScreen(part, {1, 2}), (Point{116, 78}));
    EXPECT_EQ(wm->ScreenToClient(part, {116, 78}), (Point{1, 2}));
    EXPECT_EQ(wm->ScreenRect(part), Rect::FromXywh(115, 76, 10, 10));
    wm->Move(top, Rect::FromXywh(0, 0, 300, 200));
    EXPECT_EQ(wm->ClientToScreen(part, {0, 0}), (Point{15, 26}));
    wm->Destroy(top);
    EXPECT_EQ(wm->ClientToScreen(part, {0, 0}), std::nullopt);
}

TEST_F(WindowManagerTest, TrayIconEventsReachTheOwner) {
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    auto icon = Surface::Create(16, 16);
    EXPECT_TRUE(wm->AddTrayIcon(main, 1, icon.get(), "Sender"));
    EXPECT_FALSE(wm->AddTrayIcon(main, 1, icon.get(), "twice"));
    EXPECT_TRUE(wm->ModifyTrayIcon(main, 1, nullptr, "Sender (connected)"));
    ASSERT_NE(headless->Tray(main, 1), nullptr);
    EXPECT_EQ(headless->Tray(main, 1)->tip, "Sender (connected)");

    headless->TrayInput(main, 1, TrayAction::kLeftDoubleClick, {900, 700});
    Pump();
    std::vector<Received> tray = h.Of(MessageKind::kTray);
    ASSERT_EQ(tray.size(), 1u);
    EXPECT_EQ(tray[0].code, static_cast<uint32_t>(TrayAction::kLeftDoubleClick));
    EXPECT_EQ(tray[0].point, (Point{900, 700}));

    EXPECT_TRUE(wm->RemoveTrayIcon(main, 1));
    EXPECT_FALSE(wm->RemoveTrayIcon(main, 1));
}

}  // namespace
}  // namespace platform
