// A user-activity source for tests: the test sets what the next poll sees.
#pragma once

#include <atomic>

#include "platform/idle/user_activity.h"

namespace platform {

class FakeUserActivity final : public UserActivity {
public:
    bool CursorPosition(int& x, int& y) override {
        x = cursorX.load();
        y = cursorY.load();
        return cursorKnown.load();
    }
    bool AnyKeyDown() override { return keyDown.load(); }
    int64_t InputIdleMs() override { return inputIdleMs.load(); }

    std::atomic<int> cursorX{0};
    std::atomic<int> cursorY{0};
    std::atomic<bool> cursorKnown{true};
    std::atomic<bool> keyDown{false};
    std::atomic<int64_t> inputIdleMs{-1};
};

}  // namespace platform
