// Message observers (a window's messages seen before its handler), the
// minimise notice, and the headless tray's pictures and "no tray" switch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/draw/surface.h"
#include "tests/platform/window/window_test_support.h"

namespace platform {
namespace {

// Writes "<name>:<kind>" into a shared trace for every message it sees.
class TraceObserver : public MessageObserver {
public:
    TraceObserver(std::string name, std::vector<std::string>& trace)
        : m_name(std::move(name)), m_trace(trace) {}
    void OnObservedMessage(WindowId, const Message& msg) override {
        m_trace.push_back(m_name + ":" + std::to_string(static_cast<int>(msg.kind)));
        if (onMessage) {
            onMessage(msg);
        }
    }
    std::function<void(const Message&)> onMessage;

private:
    std::string m_name;
    std::vector<std::string>& m_trace;
};

std::string K(const char* who, MessageKind kind) {
    return std::string(who) + ":" + std::to_string(static_cast<int>(kind));
}

using MessageObserverTest = WindowTest;

TEST_F(MessageObserverTest, ObserversSeeEveryMessageBeforeTheHandlerAndEndWithKDestroy) {
    std::vector<std::string> trace;
    RecordingHandler& h = NewHandler();
    h.defaultResult = 33;
    WindowId w = TopLevel(Rect::FromXywh(10, 10, 100, 100), &h);
    h.on[MessageKind::kCommand] = [&](WindowId, const Message&) -> int64_t {
        trace.push_back(K("handler", MessageKind::kCommand));
        return 33;
    };
    h.on[MessageKind::kButtonDown] = [&](WindowId, const Message&) -> int64_t {
        trace.push_back(K("handler", MessageKind::kButtonDown));
        return 0;
    };
    Pump();  // the first paint
    TraceObserver first("first", trace);
    TraceObserver second("second", trace);
    ASSERT_TRUE(wm->AddMessageObserver(w, &first));
    ASSERT_TRUE(wm->AddMessageObserver(w, &first)) << "twice keeps one registration";
    ASSERT_TRUE(wm->AddMessageObserver(w, &second));
    EXPECT_FALSE(wm->AddMessageObserver(w, nullptr));

    EXPECT_EQ(wm->Send(w, Message::Command(4)), 33) << "the handler's answer is kept";
    wm->PostCommand(w, 5);
    headless->PressButton(MouseButton::kLeft, {20, 20});
    Pump();
    EXPECT_EQ(trace,
              (std::vector<std::string>{
                  K("first", MessageKind::kCommand), K("second", MessageKind::kCommand),
                  K("handler", MessageKind::kCommand), K("first", MessageKind::kCommand),
                  K("second", MessageKind::kCommand), K("handler", MessageKind::kCommand),
                  K("first", MessageKind::kButtonDown), K("second", MessageKind::kButtonDown),
                  K("handler", MessageKind::kButtonDown)}));

    // The first observer takes the second one out while it is being told.
    trace.clear();
    first.onMessage = [&](const Message&) { wm->RemoveMessageObserver(w, &second); };
    wm->Send(w, Message::Command(6));
    EXPECT_EQ(trace, (std::vector<std::string>{K("first", MessageKind::kCommand),
                                               K("handler", MessageKind::kCommand)}));
    EXPECT_FALSE(wm->RemoveMessageObserver(w, &second));

    trace.clear();
    first.onMessage = nullptr;
    wm->Destroy(w);
    EXPECT_EQ(trace, (std::vector<std::string>{K("first", MessageKind::kDestroy)}));
    EXPECT_FALSE(wm->RemoveMessageObserver(w, &first)) << "the registration ended with the window";
}

TEST_F(MessageObserverTest, MinimisingTellsTheWindowOnceUntilItIsShownAgain) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(0, 0, 50, 50), &h);
    ASSERT_TRUE(wm->Minimize(w));
    ASSERT_TRUE(wm->Minimize(w));
    EXPECT_EQ(h.Of(MessageKind::kMinimize).size(), 1u);
    EXPECT_TRUE(wm->IsMinimized(w));

    h.log.clear();
    ASSERT_TRUE(wm->Show(w, true));
    EXPECT_FALSE(wm->IsMinimized(w));
    std::vector<Received> shows = h.Of(MessageKind::kShow);
    ASSERT_EQ(shows.size(), 1u);
    EXPECT_EQ(shows[0].code, 1u);
    ASSERT_TRUE(wm->Minimize(w));
    EXPECT_EQ(h.Of(MessageKind::kMinimize).size(), 1u);
}

TEST_F(MessageObserverTest, TheRegionReadsBackAsSet) {
    RecordingHandler& h = NewHandler();
    WindowId w = TopLevel(Rect::FromXywh(0, 0, 50, 50), &h);
    EXPECT_EQ(wm->GetRegion(w), std::nullopt);
    Region round = Region::FromRoundRect({0, 0, 50, 50}, 20, 20);
    ASSERT_TRUE(wm->SetRegion(w, round));
    EXPECT_EQ(wm->GetRegion(w), round);
    wm->Destroy(w);
    EXPECT_EQ(wm->GetRegion(w), std::nullopt);
}

TEST_F(MessageObserverTest, HeadlessTrayKeepsACopyOfEachPictureAndCanBeAbsent) {
    RecordingHandler& h = NewHandler();
    WindowId main = TopLevel(Rect::FromXywh(0, 0, 10, 10), &h);
    auto blue = Surface::Create(16, 16);
    blue->Clear(Argb(0xFF2060C0));
    ASSERT_TRUE(wm->AddTrayIcon(main, 1, blue.get(), "Sender"));
    blue->Clear(Argb(0xFFFF0000));  // the caller's surface changes; the tray's copy does not
    const HeadlessBackend::TrayIcon* icon = headless->Tray(main, 1);
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(icon->picture, nullptr);
    EXPECT_EQ(icon->picture->PixelAt(3, 3), Argb(0xFF2060C0));

    ASSERT_TRUE(wm->ModifyTrayIcon(main, 1, nullptr, "tip only"));
    EXPECT_EQ(headless->Tray(main, 1)->picture->PixelAt(3, 3), Argb(0xFF2060C0));
    ASSERT_TRUE(wm->ModifyTrayIcon(main, 1, blue.get(), "new picture"));
    EXPECT_EQ(headless->Tray(main, 1)->picture->PixelAt(3, 3), Argb(0xFFFF0000));

    headless->SetTrayAvailable(false);
    EXPECT_FALSE(wm->AddTrayIcon(main, 2, blue.get(), "no tray"));
    EXPECT_EQ(headless->Tray(main, 2), nullptr);
    EXPECT_NE(headless->Tray(main, 1), nullptr) << "icons already added stay";
    headless->SetTrayAvailable(true);
    EXPECT_TRUE(wm->AddTrayIcon(main, 2, nullptr, "no picture"));
    EXPECT_EQ(headless->Tray(main, 2)->picture, nullptr);
}

}  // namespace
}  // namespace platform
