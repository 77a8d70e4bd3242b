// The window's outlines and the extended-screen decisions.
#include <gtest/gtest.h>

#include "app/mainwnd/extended_screen.h"
#include "app/mainwnd/window_shape.h"

namespace pemuapp {
namespace {

TEST(WindowShapeTest, TileModesGiveTheirHeightAndRegion) {
    EXPECT_EQ(MainWindowHeight(false), 230);
    EXPECT_EQ(MainWindowHeight(true), 400);
    EXPECT_EQ(MainWindowRegion(false).Bounds(), (platform::Rect{0, 0, 526, 230}));
    EXPECT_EQ(MainWindowRegion(true).Bounds(), (platform::Rect{0, 0, 526, 400}));
    EXPECT_FALSE(MainWindowRegion(false).Contains(100, 230));
}

TEST(WindowShapeTest, ThePanelOutlineHasCutCornersAndNoGapWhereThePartsMeet) {
    for (int h : {150, 226, 400}) {
        const platform::Region r = ShapeWindowRegion(h);
        SCOPED_TRACE(h);
        // Corners of the title part and of the body are cut.
        EXPECT_FALSE(r.Contains(0, 0));
        EXPECT_FALSE(r.Contains(kPanelWidth - 1, 0));
        EXPECT_FALSE(r.Contains(0, h + 1));
        EXPECT_FALSE(r.Contains(kPanelWidth - 1, h + 1));
        EXPECT_TRUE(r.Contains(kPanelWidth / 2, 0));
        EXPECT_TRUE(r.Contains(kPanelWidth / 2, h + 1));
        // Every row from the top to the bottom is covered across the middle,
        // and where the parts meet (rows 84 to 86 overlap) only the corners'
        // curves are cut: no row is missing and none is narrower than the
        // corners allow.
        for (int y = 0; y < h + 2; ++y) {
            ASSERT_TRUE(r.Contains(kPanelWidth / 2, y)) << y;
        }
        for (int y = 80; y <= 90; ++y) {
            for (int x = 12; x < kPanelWidth - 12; ++x) {
                ASSERT_TRUE(r.Contains(x, y)) << x << "," << y;
            }
        }
        EXPECT_EQ(r.Bounds(), (platform::Rect{0, 0, kPanelWidth, h + 2}));
    }
}

TEST(WindowShapeTest, ListPanelRowsFromHeights) {
    struct Case {
        int top, bottom, rows;
    };
    const Case cases[] = {{0, 0, 0},     {0, 146, 0},  {0, 165, 0},  {0, 166, 1},
                          {26, 400, 11}, {100, 50, 0}, {0, 1000, 42}};
    for (const Case& t : cases) {
        EXPECT_EQ(ListPanelRows(t.top, t.bottom), t.rows) << t.top << ".." << t.bottom;
    }
    struct First {
        int first, receivers, rows, result;
    };
    const First firsts[] = {{-3, 10, 4, 0}, {0, 10, 4, 0}, {8, 10, 4, 6},
                            {6, 10, 4, 6},  {2, 3, 4, 2},  {5, 5, 0, 5}};
    for (const First& t : firsts) {
        EXPECT_EQ(ListPanelFirstVisible(t.first, t.receivers, t.rows), t.result)
            << t.first << " " << t.receivers << " " << t.rows;
    }
}

class TableDriver final : public ExtendedScreenDriver {
public:
    bool installed = true;
    std::string version = "1.0.2.1";
    int detect = 0;
    int32_t activate = 0;
    bool extraDisplay = false;
    int restores = 0;
    int leaves = 0;
    bool ComponentInstalled() override { return installed; }
    std::string VirtualDisplayDriverVersion() override { return version; }
    int Detect() override { return detect; }
    int32_t Activate(int) override { return activate; }
    bool ExtraDisplayFlag() override { return extraDisplay; }
    void RestoreExtraExtendedDesktop() override { ++restores; }
    bool Leave(int) override {
        ++leaves;
        return true;
    }
};

TEST(ExtendedScreenTest, OsCodeAndDriverAnswerGiveTheMessage) {
    struct Case {
        int os;
        bool installed;
        std::string version;
        int detect;
        int32_t activate;
        bool usable;
        uint32_t message;
    };
    const Case cases[] = {
        {12, true, "1.0.2.1", 0, 0, false, kMsgSystemUnsupported},
        {20, true, "1.0.2.1", 0, 0, false, kMsgSystemUnsupported},
        {15, false, "1.0.2.1", 0, 0, false, kMsgInstallComponent},
        {15, true, "1.0.2.0", 0, 0, false, kMsgUpdateDriver},
        {15, true, "1.0.10.0", 0, 0, true, 0},
        // Codes 18 and 19 skip the version test.
        {18, true, "0.9", 1, kDriverGeneralFailure, true, 0},
        {19, true, "0.9", 0, 0, true, 0},
        {18, true, "1.0.2.1", 0, kDriverGeneralFailure, false, kMsgSystemUnsupported},
        {15, true, "1.0.2.1", 1, kDriverGeneralFailure, false, kMsgInstallComponent},
        {13, true, "1.0.2.1", 0, 5, true, 0},
    };
    for (const Case& t : cases) {
        TableDriver d;
        d.installed = t.installed;
        d.version = t.version;
        d.detect = t.detect;
        d.activate = t.activate;
        ExtendedScreenState state;
        const ExtendedScreenCheck c = CheckExtendedScreen(&d, t.os, state);
        SCOPED_TRACE(testing::Message() << "os " << t.os << " version " << t.version);
        EXPECT_EQ(c.usable, t.usable);
        EXPECT_EQ(c.messageId, t.message);
        EXPECT_EQ(state.available, t.message == 0);
    }
    ExtendedScreenState state;
    EXPECT_FALSE(CheckExtendedScreen(nullptr, 18, state).usable);
    EXPECT_EQ(CheckExtendedScreen(nullptr, 18, state).messageId, 0u);
    // This platform's driver finds no extended screen.
    NoExtendedScreenDriver none;
    EXPECT_EQ(CheckExtendedScreen(&none, 18, state).messageId, kMsgSystemUnsupported);
}

TEST(ExtendedScreenTest, LeavingWithDriverStateOneChangesNothing) {
    TableDriver d;
    ExtendedScreenState state;
    state.driverState = 1;
    state.extendedMode = true;
    EXPECT_TRUE(LeaveExtendedScreen(&d, 17, state));
    EXPECT_TRUE(state.extendedMode);
    EXPECT_EQ(d.restores + d.leaves, 0);

    state.driverState = 0;
    EXPECT_TRUE(LeaveExtendedScreen(&d, 17, state));
    EXPECT_FALSE(state.extendedMode);
    EXPECT_EQ(d.restores, 1);
    EXPECT_EQ(d.leaves, 1);
    d.extraDisplay = true;
    state.extendedMode = true;
    EXPECT_TRUE(LeaveExtendedScreen(&d, 19, state));
    EXPECT_EQ(d.leaves, 1);  // 19 is outside 12..18
    EXPECT_FALSE(state.extendedMode);
    EXPECT_FALSE(LeaveExtendedScreen(nullptr, 17, state));
}

TEST(ExtendedScreenTest, DottedVersions) {
    EXPECT_EQ(CompareDottedVersion("1.0.2.1", "1.0.2.1"), 0);
    EXPECT_EQ(CompareDottedVersion("1.0.2", "1.0.2.0"), 0);
    EXPECT_EQ(CompareDottedVersion("1.0.10", "1.0.2.1"), 1);
    EXPECT_EQ(CompareDottedVersion("", "1"), -1);
    EXPECT_EQ(CompareDottedVersion("x.y", "0.0"), 0);
}

}  // namespace
}  // namespace pemuapp
