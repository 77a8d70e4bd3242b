// The login-code overlay on the headless window layer, and the bottom-edge
// resize steps.
#include <gtest/gtest.h>

#include "app/maindlg/login_code_overlay.h"
#include "app/maindlg/window_resize.h"
#include "platform/fake_clock.h"
#include "platform/window/headless_backend.h"

namespace pemuapp {
namespace {

TEST(LoginCodeOverlay, FontHeightsRoundAsTheSystemDoes) {
    EXPECT_EQ(OverlayLabelHeight(96), 27);  // 26.58
    EXPECT_EQ(OverlayCodeHeight(96), 43);   // 43.2
    EXPECT_EQ(OverlayLabelHeight(120), 33);
    EXPECT_EQ(OverlayCodeHeight(120), 54);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
}

TEST(LoginCodeOverlay, OneWindowAtATimeInTheCorner) {
    platform::FakeClock clock{1000};
    auto backend = std::make_unique<platform::HeadlessBackend>(platform::Rect{0, 0, 800, 600});
    platform::HeadlessBackend* headless = backend.get();
    auto wm = platform::WindowManager::Create(std::move(backend), &clock);
    ASSERT_NE(wm, nullptr);
    {
        LoginCodeOverlay overlay(*wm);
        EXPECT_EQ(overlay.Hide(), 0);  // nothing up
        ASSERT_TRUE(overlay.Show("123456"));
        const platform::WindowId first = overlay.Window();
        ASSERT_TRUE(overlay.Show("654321"));  // replaces it
        EXPECT_FALSE(wm->IsAlive(first));
        EXPECT_EQ(wm->FindTopLevel(kOverlayClass, ""), overlay.Window());
        EXPECT_EQ(wm->GetRect(overlay.Window()),
                  platform::Rect::FromXywh(0, 0, kOverlayWidth, kOverlayHeight));
        EXPECT_TRUE(wm->IsVisible(overlay.Window()));
        // It redraws on its own timer and shows its code.
        clock.Advance(50);
        wm->PumpPending(platform::PumpKind::kAll);
        const auto* state = headless->State(overlay.Window());
        ASSERT_NE(state, nullptr);
        EXPECT_TRUE(state->spec.topmost);
        ASSERT_NE(state->presented, nullptr);
        EXPECT_EQ(overlay.Code(), "654321");
        EXPECT_EQ(overlay.Hide(), 1);
        EXPECT_FALSE(wm->FindTopLevel(kOverlayClass, ""));
    }
}

TEST(WindowResize, BottomEdgeStepsWithinTheLimits) {
    ResizeInput in;
    in.left = 100;
    in.right = 626;
    in.top = 50;
    in.pointerX = 300;
    const struct {
        int height;
        int below;  // pointer distance below the bottom edge
        bool locked;
        int expected;
    } rows[] = {
        {366, 100, false, 386}, {386, 100, false, 406}, {406, 100, false, 406},
        {366, 10, false, 366},  {366, -11, false, 346}, {226, -50, false, 206},
        {206, -50, false, 206}, {366, 100, true, 366},
    };
    for (const auto& row : rows) {
        in.height = row.height;
        in.pointerY = in.top + row.height + row.below;
        in.locked = row.locked;
        EXPECT_EQ(ResizeByBottomEdge(in), row.expected) << row.height << " " << row.below;
    }
    in.height = 366;
    in.pointerY = in.top + 466;
    in.pointerX = in.left + 5;  // not inside the side edges
    EXPECT_EQ(ResizeByBottomEdge(in), 366);
}

}  // namespace
}  // namespace pemuapp
