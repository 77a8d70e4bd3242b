// The drop-shadow window on the headless backend: made once initialised and
// only with layered windows, placed and drawn from the parent, following
// its moves, sizes, shows and minimising, and gone with it.
#include "ui/widgets/wnd_shadow.h"

#include <gtest/gtest.h>

#include "tests/ui/widgets/menu_loop_test_support.h"

namespace ui {
namespace {

using platform::Rect;
using platform::WindowId;

class WndShadowTest : public WidgetTest {
protected:
    void SetUp() override {
        WidgetTest::SetUp();
        CWndShadow::ResetInitializationForTest();
        parent = TopLevel(Rect::FromXywh(100, 100, 350, 222), &NewHandler());
    }

    // True when the shadow window shows exactly what MakeShadow makes for
    // the parent as it is now.
    bool ShowsTheParentsShadow(const CWndShadow& shadow) {
        Pump();
        const auto* state = headless->State(shadow.Window());
        Rect r = *wm->GetRect(parent);
        std::unique_ptr<platform::Surface> want =
            MakeShadow(wm->GetRegion(parent), {r.Width(), r.Height()}, {});
        if (!state || !state->presented || !want || state->presented->Width() != want->Width() ||
            state->presented->Height() != want->Height()) {
            return false;
        }
        for (int y = 0; y < want->Height(); ++y) {
            for (int x = 0; x < want->Width(); ++x) {
                if (state->presented->PixelAt(x, y) != want->PixelAt(x, y)) {
                    return false;
                }
            }
        }
        return true;
    }

    WindowId parent;
};

TEST_F(WndShadowTest, NothingBeforeInitialisationWhichHappensOnce) {
    CWndShadow early;
    early.Create(parent);
    EXPECT_EQ(early.Window(), WindowId{});
    EXPECT_TRUE(CWndShadow::Initialize());
    EXPECT_FALSE(CWndShadow::Initialize());
    CWndShadow shadow;
    shadow.Create(parent);
    EXPECT_NE(shadow.Window(), WindowId{});
}

TEST_F(WndShadowTest, WithoutLayeredWindowsThereIsNoShadow) {
    CWndShadow::Initialize();
    headless->SetLayeredSupport(false);
    CWndShadow shadow;
    shadow.Create(parent);
    EXPECT_EQ(shadow.Window(), WindowId{});
    EXPECT_EQ(headless->StackingOrder().size(), 1u) << "only the parent";
}

TEST_F(WndShadowTest, ItFollowsTheParentAndDrawsOnlyWhenItsSizeChanges) {
    CWndShadow::Initialize();
    CWndShadow shadow;
    shadow.Create(parent);
    WindowId w = shadow.Window();
    ASSERT_TRUE(w);
    EXPECT_EQ(wm->GetRect(w), Rect::FromXywh(102, 102, 356, 228));
    EXPECT_EQ(wm->ClassName(w), "OrvikShadowWnd");
    EXPECT_EQ(wm->Owner(w), parent);
    const auto& spec = headless->State(w)->spec;
    EXPECT_TRUE(spec.clickThrough);
    EXPECT_TRUE(spec.perPixelAlpha);
    EXPECT_TRUE(wm->IsVisible(w));
    EXPECT_NE(wm->ActiveTopLevel(), w);
    EXPECT_TRUE(ShowsTheParentsShadow(shadow));
    EXPECT_EQ(shadow.RenderCount(), 1);
    EXPECT_EQ(wm->WindowAt({455, 200}), WindowId{}) << "clicks go through";

    struct Step {
        const char* what;
        Rect parentRect;
        int rendersBefore;  // right after the move
        int rendersAfter;   // once the parent has painted
    } steps[] = {
        {"move", Rect::FromXywh(200, 150, 350, 222), 1, 1},
        {"grow: drawn at the parent's paint", Rect::FromXywh(200, 150, 400, 250), 1, 2},
        {"shrink: drawn at once", Rect::FromXywh(200, 150, 300, 200), 3, 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        wm->Move(parent, s.parentRect);
        EXPECT_EQ(wm->GetRect(w)->left, s.parentRect.left + 2);
        EXPECT_EQ(wm->GetRect(w)->top, s.parentRect.top + 2);
        EXPECT_EQ(shadow.RenderCount(), s.rendersBefore);
        Pump();
        EXPECT_EQ(shadow.RenderCount(), s.rendersAfter);
        EXPECT_EQ(wm->GetRect(w),
                  Rect::FromXywh(s.parentRect.left + 2, s.parentRect.top + 2,
                                 s.parentRect.Width() + 6, s.parentRect.Height() + 6));
        EXPECT_TRUE(ShowsTheParentsShadow(shadow));
    }
}

TEST_F(WndShadowTest, ARoundParentGetsItsRoundShadow) {
    CWndShadow::Initialize();
    wm->SetRegion(parent, platform::Region::FromRoundRect({0, 0, 350, 222}, 40, 40));
    CWndShadow shadow;
    shadow.Create(parent);
    EXPECT_TRUE(ShowsTheParentsShadow(shadow));
}

TEST_F(WndShadowTest, HiddenWhileTheParentIsHiddenOrMinimised) {
    CWndShadow::Initialize();
    CWndShadow shadow;
    wm->Show(parent, false);
    shadow.Create(parent);
    WindowId w = shadow.Window();
    ASSERT_TRUE(w);
    struct Step {
        const char* what;
        std::function<void()> act;
        bool shown;
    } steps[] = {
        {"created hidden", [] {}, false},
        {"parent shown", [&] { wm->Show(parent, true); }, true},
        {"parent minimised", [&] { wm->Minimize(parent); }, false},
        {"parent restored", [&] { wm->Show(parent, true); }, true},
        {"parent hidden", [&] { wm->Show(parent, false); }, false},
        {"shown by hand", [&] { shadow.Show(); }, true},
        {"closed", [&] { shadow.Close(); }, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(wm->IsVisible(w), s.shown);
    }
}

TEST_F(WndShadowTest, TheShadowEndsWithItsParentOrItsObject) {
    CWndShadow::Initialize();
    {
        CWndShadow shadow;
        shadow.Create(parent);
        WindowId w = shadow.Window();
        auto second = std::make_unique<CWndShadow>();
        second->Create(parent);
        WindowId w2 = second->Window();
        second.reset();
        EXPECT_FALSE(wm->IsAlive(w2));
        wm->Move(parent, Rect::FromXywh(0, 0, 100, 100));  // the gone one no longer watches
        Pump();
        EXPECT_TRUE(wm->IsAlive(w));
        wm->Destroy(parent);
        EXPECT_FALSE(wm->IsAlive(w));
        EXPECT_EQ(shadow.Window(), WindowId{});
        shadow.Show();  // nothing left to show
    }
    Pump();
}

}  // namespace
}  // namespace ui
