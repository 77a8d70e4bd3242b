// The IPv4 address entry: its typing rules as a table, the address round
// trip, and the control in a dialog (typing, clicking into a field,
// disabling, and a dialog's own class deriving from it).
#include "platform/controls/ip_address_control.h"

#include <gtest/gtest.h>

#include "platform/controls/ip_fields.h"
#include "tests/platform/controls/control_test_support.h"

namespace platform {
namespace {

// Keys spelled inside the typed text: '<' Backspace, '{' Left, '}' Right,
// '~' Delete.
IpFields::Result Feed(IpFields& f, char c) {
    switch (c) {
        case '<':
            return f.Backspace();
        case '~':
            return f.Delete();
        case '{':
            f.Left();
            return {};
        case '}':
            f.Right();
            return {};
        default:
            return f.Type(static_cast<char32_t>(c));
    }
}

TEST(IpFieldsTest, TypingRules) {
    struct Row {
        const char* what;
        const char* keys;
        const char* text;
        int bells;
    } rows[] = {
        {"dots move on", "192.168.1.10", "192.168.1.10", 0},
        {"three digits move on by themselves", "19216811", "192.168.11.0", 0},
        {"a dot right after three digits does not move twice", "192.168.1.1", "192.168.1.1", 0},
        {"above 255 becomes 255", "300", "255.0.0.0", 1},
        {"255 still fits", "255255", "255.255.0.0", 0},
        {"a dot in the last field is refused", "1.2.3.4.", "1.2.3.4", 1},
        {"letters are refused", "1a2", "12.0.0.0", 1},
        {"a dot in an empty field does nothing", "1..2", "1.2.0.0", 0},
        {"a full last field takes no more", "1.2.3.4567", "1.2.3.255", 2},
        {"backspace crosses back to the end", "10.20<<<3", "103.0.0.0", 0},
        {"a field entered by a dot is replaced", "1.2{{{.9", "1.9.0.0", 0},
        {"leading zeros go when the field is left", "007.1", "7.1.0.0", 0},
        {"left and right cross fields", "12.34{{{}}5", "12.255.0.0", 1},
        {"delete removes after the caret", "12.34{{~", "12.4.0.0", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        IpFields f;
        int bells = 0;
        for (const char* k = r.keys; *k; ++k) {
            bells += Feed(f, *k).bell ? 1 : 0;
        }
        EXPECT_EQ(f.Text(), r.text);
        EXPECT_EQ(bells, r.bells);
    }
}

TEST(IpFieldsTest, AddressRoundTripAndBlank) {
    IpFields f;
    EXPECT_TRUE(f.IsBlank());
    EXPECT_EQ(f.Text(), "0.0.0.0");
    f.SetAddress(0xC0A80A01);
    EXPECT_EQ(f.Text(), "192.168.10.1") << "the first field is the most significant byte";
    EXPECT_EQ(f.Address(), 0xC0A80A01u);
    EXPECT_FALSE(f.IsBlank());
    f.SetAddress(0);
    EXPECT_EQ(f.Field(0), "0");
    EXPECT_FALSE(f.IsBlank()) << "zeros are written, not blank";
    f.Clear();
    EXPECT_TRUE(f.IsBlank());
    EXPECT_EQ(f.Address(), 0u);
}

class IpTest : public ControlTest {
protected:
    void SetUp() override {
        ControlTest::SetUp();
        ip = Make<IpAddressControl>(1021, Rect::FromXywh(20, 20, 160, 24));
        Pump();
    }
    IpAddressControl* ip = nullptr;
};

TEST_F(IpTest, TypingClickingAndDisabling) {
    ClickOn(*ip, {5, 12});
    Type("10.0.0.300");
    EXPECT_EQ(ip->Text(), "10.0.0.255");
    EXPECT_EQ(ip->Address(), 0x0A0000FFu);
    EXPECT_EQ(headless->BellCount(), 1);
    // A click on the third field puts the caret there.
    ClickOn(*ip, {100, 12});
    EXPECT_EQ(ip->Fields().Current(), 2);
    Press(Key::kBackspace);
    Type("7");
    EXPECT_EQ(ip->Text(), "10.0.7.255");

    ip->Clear();
    EXPECT_TRUE(ip->IsBlank());
    ip->Enable(false);
    ClickOn(*ip, {5, 12});
    Type("1");
    EXPECT_TRUE(ip->IsBlank()) << "a disabled entry takes no input";
    EXPECT_TRUE(TakeNotices().empty()) << "the entry itself tells nothing";
}

// A dialog's own class: a click tells the dialog (command 1006, as the
// skinned dialogs' address field does) and then does what the entry does.
class NotifyingIpField : public IpAddressControl {
public:
    int64_t OnMessage(WindowId self, const Message& msg) override {
        if (msg.kind == MessageKind::kButtonDown) {
            Message m = Message::Command(1006, 1006);
            Wm().Send(Wm().Parent(self), m);
        }
        return IpAddressControl::OnMessage(self, msg);
    }
};

TEST_F(IpTest, DerivedClassAddsItsHandlingAndKeepsTheBase) {
    ControlOptions o;
    o.id = 1022;
    o.rect = Rect::FromXywh(20, 60, 160, 24);
    NotifyingIpField* field = set->Add(std::make_unique<NotifyingIpField>(), o);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(set->Get<IpAddressControl>(1022), field);
    ClickOn(*field, {150, 12});
    EXPECT_EQ(TakeNotices(), (std::vector<Notice>{{1006, 1006, 0}}));
    EXPECT_TRUE(field->HasFocus());
    EXPECT_EQ(field->Fields().Current(), 3);
}

}  // namespace
}  // namespace platform
