// The input replay against the recording injector: what each receiver record
// becomes on the desktop.
#include "vrxclientsdk/VRXClient/input/InputReplay.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/input/fake_input_injector.h"

namespace {

using platform::DisplayRect;
using platform::FakeInputInjector;
using platform::KeyInput;
using platform::MouseInput;
using Kind = FakeInputInjector::Event::Kind;

// A keyboard record: zero time, type, code and value, little-endian, padded
// to the 19 bytes the receiver sends.
std::string KeyRecord(uint16_t type, uint16_t code, int32_t value) {
    std::string r(19, '\0');
    r[8] = static_cast<char>(type & 0xFF);
    r[9] = static_cast<char>(type >> 8);
    r[10] = static_cast<char>(code & 0xFF);
    r[11] = static_cast<char>(code >> 8);
    for (int i = 0; i < 4; ++i) {
        r[12 + i] = static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    }
    return r;
}

std::string MouseRecord(uint8_t buttons, int8_t dx, int8_t dy, uint8_t wheel) {
    return std::string{static_cast<char>(buttons),
                       static_cast<char>(dx),
                       static_cast<char>(dy),
                       static_cast<char>(wheel),
                       0,
                       0,
                       0};
}

// A text record claiming `count` code units and carrying `units`.
std::string TextRecord(uint16_t count, const std::u16string& units) {
    std::string r(16, '\0');
    r[0] = static_cast<char>(count & 0xFF);  // host order on this machine
    r[1] = static_cast<char>(count >> 8);
    r[2] = static_cast<char>((units.size() * 2) & 0xFF);
    for (char16_t u : units) {
        r.push_back(static_cast<char>(u & 0xFF));
        r.push_back(static_cast<char>(u >> 8));
    }
    return r;
}

class InputReplayTest : public testing::Test {
protected:
    std::vector<MouseInput> Mice() {
        std::vector<MouseInput> out;
        for (const auto& e : injector->Events()) {
            if (e.kind == Kind::kMouse) {
                out.push_back(e.mouse);
            }
        }
        return out;
    }

    std::shared_ptr<FakeInputInjector> injector = std::make_shared<FakeInputInjector>();
    InputReplay replay{injector};
};

TEST_F(InputReplayTest, AbsolutePositionsMapOntoTheSelectedDisplay) {
    const std::vector<DisplayRect> twoSideBySide = {
        {0, 0, 1920, 1080}, {0, 0, 1920, 1080}, {1920, 0, 1920, 1080}};
    const struct {
        const char* name;
        std::vector<DisplayRect> layout;
        int screen;
        DisplayRect viewport;
        uint16_t x, y;
        MouseInput expected;
    } rows[] = {
        {"primary, no viewport", {}, 0, {-1, -1, -1, -1}, 32768, 32768, {32768, 32768, 0, 0x8001}},
        {"second of two displays", twoSideBySide, 2, {-1, -1, -1, -1}, 0, 0, {32768, 0, 0, 0xC001}},
        {"first of two displays, far corner",
         twoSideBySide,
         1,
         {-1, -1, -1, -1},
         65535,
         65535,
         {32767, 65535, 0, 0xC001}},
        {"no such display: the primary",
         twoSideBySide,
         5,
         {-1, -1, -1, -1},
         100,
         200,
         {100, 200, 0, 0x8001}},
        // The right half of the primary display.
        {"primary with a viewport",
         {},
         0,
         {960, 0, 960, 1080},
         0,
         65535,
         {32768, 65535, 0, 0x8001}},
        {"second display with a viewport",
         twoSideBySide,
         2,
         {0, 540, 1920, 540},
         0,
         0,
         {32768, 32768, 0, 0xC001}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        injector->SetDesktop(row.layout);
        injector->Clear();
        replay.SetViewport(row.viewport);
        replay.SelectInputDisplay(row.screen);
        replay.SendMouseMoveAbsolute(row.x, row.y);
        EXPECT_EQ(Mice(), std::vector<MouseInput>{row.expected});
    }
}

TEST_F(InputReplayTest, ADisplayWithoutSizeMovesNothing) {
    injector->SetDesktop({{0, 0, 0, 0}});
    replay.SetViewport({0, 0, 100, 100});
    replay.SelectInputDisplay(0);
    replay.SendMouseMoveAbsolute(100, 100);
    EXPECT_TRUE(injector->Events().empty());
}

TEST_F(InputReplayTest, KeyRecordsBecomeScanCodesOrVirtualKeys) {
    const struct {
        const char* name;
        std::string record;
        std::vector<KeyInput> expected;
    } rows[] = {
        {"cursor up pressed", KeyRecord(1, 103, 1), {{0, 0x48, 0x9}}},
        {"cursor up released", KeyRecord(1, 103, 0), {{0, 0x48, 0xB}}},
        {"volume up", KeyRecord(1, 115, 1), {{0xAF, 0xF0AF, 0}}},
        {"beyond the table", KeyRecord(1, 200, 1), {{0, 200, 0x8}}},
        {"auto-repeat presses again", KeyRecord(1, 30, 2), {{0, 30, 0x8}}},
        {"absolute axis is no key", KeyRecord(3, 0, 100), {}},
        {"short record", KeyRecord(1, 30, 1).substr(0, 15), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        injector->Clear();
        replay.InjectKeyEvent(row.record);
        std::vector<KeyInput> keys;
        for (const auto& e : injector->Events()) {
            keys.push_back(e.key);
        }
        EXPECT_EQ(keys, row.expected);
    }
}

TEST_F(InputReplayTest, MouseRecordsCarryButtonChangesMotionAndWheel) {
    const struct {
        const char* name;
        std::string record;
        std::vector<MouseInput> expected;
    } steps[] = {
        {"valid, nothing pressed", MouseRecord(0x08, 0, 0, 0), {{0, 0, 0, 0x1}}},
        {"left pressed, moved", MouseRecord(0x09, 5, 3, 0), {{5, -3, 0, 0x3}}},
        {"bit 3 clear: ignored", MouseRecord(0x01, 9, 9, 0), {}},
        {"right added, left held", MouseRecord(0x0B, 0, 0, 0), {{0, 0, 0, 0x9}}},
        {"all released, middle pressed",
         MouseRecord(0x0C, 0, 0, 0),
         {{0, 0, 0, 0x1 | 0x4 | 0x10 | 0x20}}},
        {"wheel 1, middle released", MouseRecord(0x08, 0, 0, 1), {{0, 0, -120, 0x841}}},
        {"wheel 15", MouseRecord(0x08, 0, 0, 15), {{0, 0, 120, 0x801}}},
        {"wheel 8", MouseRecord(0x08, 0, 0, 8), {{0, 0, 960, 0x801}}},
        {"wheel 0x10 clamped", MouseRecord(0x08, 0, 0, 0x10), {{0, 0, -840, 0x801}}},
        {"wheel 0xFD is three notches", MouseRecord(0x08, 0, 0, 0xFD), {{0, 0, 360, 0x801}}},
        {"wheel 0x80 clamped", MouseRecord(0x08, 0, 0, 0x80), {{0, 0, 960, 0x801}}},
        {"short record", MouseRecord(0x09, 0, 0, 0).substr(0, 3), {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        injector->Clear();
        replay.InjectMouseEvent(step.record);
        EXPECT_EQ(Mice(), step.expected);
    }
}

TEST_F(InputReplayTest, SelectingADisplayForgetsTheButtons) {
    replay.InjectMouseEvent(MouseRecord(0x09, 0, 0, 0));
    replay.SelectInputDisplay(0);
    injector->Clear();
    replay.InjectMouseEvent(MouseRecord(0x09, 0, 0, 0));
    EXPECT_EQ(Mice(), (std::vector<MouseInput>{{0, 0, 0, 0x3}}));
}

TEST_F(InputReplayTest, TextIsBoundedByTheBytesThatArrived) {
    const struct {
        const char* name;
        std::string record;
        std::u32string expected;
    } rows[] = {
        {"count as sent", TextRecord(3, u"abc"), U"abc"},
        {"count above the bytes", TextRecord(60000, u"ab"), U"ab"},
        {"count below the bytes", TextRecord(1, u"ab"), U"a"},
        {"surrogate pair", TextRecord(3, u"x\U0001F600"), U"x\U0001F600"},
        {"pair cut by the count", TextRecord(2, u"x\U0001F600"), U"x\xD83D"},
        {"odd trailing byte", TextRecord(2, u"ab").substr(0, 19), U"a"},
        {"header only", TextRecord(5, u""), U""},
        {"short header", TextRecord(5, u"abcde").substr(0, 15), U""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        injector->Clear();
        replay.SendUnicodeString(row.record);
        std::u32string typed;
        for (const auto& e : injector->Events()) {
            typed.push_back(e.character);
        }
        EXPECT_EQ(typed, row.expected);
    }
}

TEST_F(InputReplayTest, TouchValuesAreCutToTheirWidths) {
    replay.StartTouch(1);
    replay.SetFingerInfo(0x101, 0x12345, 7, 0x102);
    replay.StopTouch();
    const auto events = injector->Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, Kind::kTouchStart);
    EXPECT_EQ(events[0].id, 1);
    EXPECT_EQ(events[1].kind, Kind::kFinger);
    EXPECT_EQ(events[1].id, 1);
    EXPECT_EQ(events[1].x, 0x2345);
    EXPECT_EQ(events[1].y, 7);
    EXPECT_EQ(events[1].state, 2);
    EXPECT_EQ(events[2].kind, Kind::kTouchStop);
}

TEST(InputReplayWithoutInjectorTest, DoesNothing) {
    InputReplay replay(nullptr);
    EXPECT_FALSE(replay.CanInject());
    replay.SelectInputDisplay(1);
    replay.SendMouseMoveAbsolute(1, 1);
    replay.InjectMouseEvent(MouseRecord(0x09, 1, 1, 1));
    platform::LockKeyStates states;
    EXPECT_FALSE(replay.ReadLockKeys(&states));
}

}  // namespace
