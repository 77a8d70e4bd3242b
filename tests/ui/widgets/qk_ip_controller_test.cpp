// The skinned dialogs' address field: one command 1006 per press wherever it
// lands, the entry's own handling after it, and the remembered rectangle.
#include "ui/widgets/qk_ip_controller.h"

#include <gtest/gtest.h>

#include "tests/platform/controls/control_test_support.h"

namespace ui {
namespace {

using platform::Notice;
using platform::Point;
using platform::Rect;

class QkIpControllerTest : public platform::ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        field = Make<CQKIPController>(1021, Rect::FromXywh(20, 20, 160, 24));
        Pump();
    }
    CQKIPController* field = nullptr;
};

TEST_F(QkIpControllerTest, EveryPressTellsTheDialogOnceThenTheEntryTakesIt) {
    // The 160-pixel entry has four 33-pixel fields with 8-pixel dots between.
    struct Row {
        const char* what;
        Point at;
        int field;
    } rows[] = {
        {"first number", {10, 12}, 0},  {"first dot", {37, 12}, 0},    {"second dot", {78, 12}, 1},
        {"third number", {100, 12}, 2}, {"last number", {150, 12}, 3}, {"the border", {0, 0}, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ClickOn(*field, r.at);
        EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{kIpFieldClicked, kIpFieldClicked, 0}}));
        EXPECT_TRUE(field->HasFocus());
        EXPECT_EQ(field->Fields().Current(), r.field);
    }
    // Other buttons and moves tell nothing.
    headless->Click(platform::MouseButton::kRight, ScreenOf(*field, {10, 12}));
    headless->MoveMouse(ScreenOf(*field, {60, 12}));
    Pump();
    EXPECT_TRUE(TakeNotices().empty());
    // Typing still works as in the entry.
    ClickOn(*field, {10, 12});
    TakeNotices();
    Type("10.1.2.3");
    EXPECT_EQ(field->Text(), "10.1.2.3");
    EXPECT_TRUE(TakeNotices().empty());
}

TEST_F(QkIpControllerTest, ItRemembersWhereItWasPlaced) {
    EXPECT_EQ(field->Rectangle(), Rect::FromXywh(20, 20, 160, 24));
    field->Move(Rect::FromXywh(40, 90, 150, 22));
    EXPECT_EQ(field->Rectangle(), Rect::FromXywh(40, 90, 150, 22));
    EXPECT_EQ(set->Get<platform::IpAddressControl>(1021), field);
}

}  // namespace
}  // namespace ui
