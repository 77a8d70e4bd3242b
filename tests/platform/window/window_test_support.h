// Shared pieces of the window layer's tests: a handler that records what it
// receives, and a fixture with a window manager on the headless backend and
// a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake_clock.h"
#include "platform/window/headless_backend.h"
#include "platform/window/window_manager.h"

namespace platform {

// One received message, reduced to what the tests compare.
struct Received {
    MessageKind kind;
    WindowId target;
    uint32_t code = 0;
    Point point;
    uint64_t timeMs = 0;
    Key key = Key::kUnknown;
    uint32_t modifiers = 0;
    int64_t param = 0;
    int64_t param2 = 0;
};

class RecordingHandler : public WindowHandler {
public:
    int64_t OnMessage(WindowId self, const Message& msg) override {
        log.push_back(Received{msg.kind, self, msg.code, msg.point, msg.timeMs, msg.key,
                               msg.modifiers, msg.param, msg.param2});
        auto it = on.find(msg.kind);
        if (it != on.end()) {
            return it->second(self, msg);
        }
        return defaultResult;
    }

    // The messages of one kind, in order.
    std::vector<Received> Of(MessageKind kind) const {
        std::vector<Received> out;
        for (const Received& r : log) {
            if (r.kind == kind) {
                out.push_back(r);
            }
        }
        return out;
    }
    // The kinds of the input-related messages, in order (for compact tables).
    std::vector<MessageKind> InputKinds() const {
        std::vector<MessageKind> out;
        for (const Received& r : log) {
            if (IsInputMessage(r.kind) || r.kind == MessageKind::kMouseHover ||
                r.kind == MessageKind::kMouseLeave || r.kind == MessageKind::kCaptureLost) {
                out.push_back(r.kind);
            }
        }
        return out;
    }

    std::vector<Received> log;
    std::map<MessageKind, std::function<int64_t(WindowId, const Message&)>> on;
    int64_t defaultResult = 0;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto backend = std::make_unique<HeadlessBackend>(Rect{0, 0, 1024, 768});
        headless = backend.get();
        wm = WindowManager::Create(std::move(backend), &clock);
        ASSERT_NE(wm, nullptr);
        // A loop that would wait steps the fake clock to its next deadline; a
        // wait without a deadline would hang the test, so it ends the loops.
        headless->SetIdleHandler([this](int timeoutMs) {
            if (timeoutMs < 0) {
                ADD_FAILURE() << "a message loop would wait forever";
                wm->PostQuit(-99);
                return;
            }
            clock.Advance(static_cast<uint64_t>(timeoutMs));
        });
    }

    // The manager goes before the fixture's handlers.
    void TearDown() override { wm.reset(); }

    WindowId TopLevel(Rect rect, WindowHandler* handler, bool visible = true) {
        WindowOptions o;
        o.rect = rect;
        o.handler = handler;
        o.visible = visible;
        o.className = "TEST";
        return wm->Create(o);
    }

    WindowId Child(WindowId parent, Rect rect, WindowHandler* handler,
                   WindowLayer layer = WindowLayer::kWidget) {
        WindowOptions o = ChildWindowOptions(parent, rect, handler);
        o.layer = layer;
        return wm->Create(o);
    }

    void Pump() { wm->PumpPending(PumpKind::kAll); }

    // A handler that lives until after the window manager (and so after
    // every window that uses it).
    RecordingHandler& NewHandler() {
        handlers.push_back(std::make_unique<RecordingHandler>());
        return *handlers.back();
    }

    std::vector<std::unique_ptr<RecordingHandler>> handlers;
    FakeClock clock{10000};
    HeadlessBackend* headless = nullptr;
    std::unique_ptr<WindowManager> wm;
};

}  // namespace platform
