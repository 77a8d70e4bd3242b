// Shared pieces of the widget tests: the window layer's headless fixture
// with a script of steps that run whenever a message loop would wait, so
// that a test can drive a menu or a timer window while its nested loop runs.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "tests/platform/window/window_test_support.h"

namespace ui {

class WidgetTest : public platform::WindowTest {
protected:
    void SetUp() override {
        platform::WindowTest::SetUp();
        headless->SetIdleHandler([this](int timeoutMs) {
            if (!m_steps.empty()) {
                std::function<void()> step = std::move(m_steps.front());
                m_steps.pop_front();
                step();
                return;
            }
            if (timeoutMs < 0) {
                ADD_FAILURE() << "a message loop would wait forever";
                wm->PostQuit(-99);
                return;
            }
            clock.Advance(static_cast<uint64_t>(timeoutMs));
        });
    }

    // Runs `step` the next time a loop has nothing left to do, before the
    // clock moves on; steps run in the order given.
    void Then(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    bool StepsLeft() const { return !m_steps.empty(); }
    // Drops the steps that did not run (the loop they were meant for ended).
    void ClearSteps() { m_steps.clear(); }

    // Moves the clock on by `ms` inside a step (timers then fire).
    void ThenWait(uint64_t ms) {
        Then([this, ms] { clock.Advance(ms); });
    }

private:
    std::deque<std::function<void()>> m_steps;
};

}  // namespace ui
