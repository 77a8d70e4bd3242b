// The standard controls on a private Xvfb through the X11 backend: keys
// typed with XTest reach an edit (chords included), the combo box's list
// maps as an override-redirect window that an XTest click picks from, and a
// dialog with every control shows exactly what the ControlSet drew
// (screenshots kept as test artefacts).
#include <gtest/gtest.h>

#include "platform/controls/button.h"
#include "platform/controls/combo_box.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/image_list.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/controls/static_control.h"
#include "platform/controls/tool_tip.h"
#include "platform/controls/trackbar.h"
#include "platform/draw/image_loader.h"
#include "platform/draw/painter.h"
#include "tests/platform/controls/control_test_support.h"
#include "tests/platform/window/x11_test_support.h"

// Xlib last: its macros clash with names above.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace platform {
namespace {

class ControlsX11Test : public X11WindowTest {
protected:
    static constexpr Rect kDialogRect = Rect::FromXywh(40, 40, 520, 380);

    void SetUp() override {
        X11WindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        WindowOptions o = DialogWindowOptions({}, kDialogRect, &host);
        o.title = "Controls";
        o.visible = true;
        dialog = wm->Create(o);
        ASSERT_TRUE(dialog);
        host.back = Surface::Create(kDialogRect.Width(), kDialogRect.Height());
        host.back->Clear(ToArgb(ColorRef::FromRgb(0xF0, 0xF0, 0xF0)));
        set = std::make_unique<ControlSet>(*wm, dialog);
        host.set = set.get();
    }
    void TearDown() override {
        set.reset();
        X11WindowTest::TearDown();
    }

    template <class T>
    T* Make(uint32_t id, Rect rect, std::string text = "") {
        ControlOptions o;
        o.id = id;
        o.rect = rect;
        o.text = std::move(text);
        return set->Add(std::make_unique<T>(), o);
    }
    Button* MakeButton(ButtonStyle style, uint32_t id, Rect rect, std::string text) {
        ControlOptions o;
        o.id = id;
        o.rect = rect;
        o.text = std::move(text);
        return set->Add(std::make_unique<Button>(style), o);
    }
    Point ScreenOf(const Control& c, Point local) { return *wm->ClientToScreen(c.Window(), local); }

    // Maps the dialog, gives it the keyboard, and lets its first paint happen.
    void ShowDialog() {
        ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(dialog)); }));
        wm->Raise(dialog);
        Settle();
    }

    // Types ASCII text with XTest, Shift for capitals.
    void TypeText(const std::string& text) {
        for (char c : text) {
            unsigned long sym = c == ' ' ? XK_space : static_cast<unsigned long>(c);
            bool upper = c >= 'A' && c <= 'Z';
            if (upper) {
                TypeKey(XK_a + (c - 'A'), {XK_Shift_L});
            } else {
                TypeKey(sym);
            }
        }
    }

    DialogHost host;
    WindowId dialog;
    std::unique_ptr<ControlSet> set;
};

TEST_F(ControlsX11Test, XTestTypingIntoAnEditGivesItsTextAndChordsMoveIt) {
    Edit* name = Make<Edit>(1004, Rect::FromXywh(20, 20, 200, 24));
    Edit* other = Make<Edit>(1005, Rect::FromXywh(20, 60, 200, 24));
    ShowDialog();
    Click(ScreenOf(*name, {5, 12}));
    ASSERT_TRUE(PumpUntil([&] { return name->HasFocus(); }));
    TypeText("Pemu 42");
    ASSERT_TRUE(PumpUntil([&] { return name->Text() == "Pemu 42"; })) << name->Text();
    EXPECT_EQ(host.notices.size(), 7u) << "one change per character";
    EXPECT_TRUE(std::all_of(host.notices.begin(), host.notices.end(), [](const Notice& n) {
        return n == Notice{1004, kEnChange, 0};
    }));

    TypeKey(XK_a, {XK_Control_L});
    TypeKey(XK_x, {XK_Control_L});
    ASSERT_TRUE(PumpUntil([&] { return name->Text().empty(); }));
    Click(ScreenOf(*other, {5, 12}));
    TypeKey(XK_v, {XK_Control_L});
    ASSERT_TRUE(PumpUntil([&] { return other->Text() == "Pemu 42"; })) << other->Text();
}

TEST_F(ControlsX11Test, ComboListIsAnOverrideRedirectWindowAndAClickPicks) {
    ComboBox* combo = Make<ComboBox>(205, Rect::FromXywh(20, 20, 200, 24));
    for (const char* item : {"Disable", "WEP", "WPA-AES", "WPA2-AES"}) {
        combo->AddItem(item);
    }
    combo->SetSelection(0);
    ShowDialog();
    Click(ScreenOf(*combo, {100, 12}));
    ASSERT_TRUE(PumpUntil([&] { return combo->IsDropped(); }));
    WindowId dropped = combo->DropWindow();
    unsigned long list = x11->NativeWindow(dropped);
    ASSERT_NE(list, kNoWindow);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(list); }));
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(peer, list, &a));
    EXPECT_TRUE(a.override_redirect);
    Rect r = RootGeometry(list);
    Rect box = *wm->ScreenRect(combo->Window());
    EXPECT_EQ(r.top, box.bottom) << "right below the box";

    // The item rows are the font's 12 pixels and 6 more, below a border.
    Click({r.left + 30, r.top + 1 + 2 * 18 + 9});
    ASSERT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
    EXPECT_EQ(combo->Text(), "WPA-AES");
    EXPECT_EQ(host.notices, (std::vector<Notice>{{205, kCbnSelChange, 2}}));
    EXPECT_FALSE(wm->IsAlive(dropped)) << "the list window is gone";
    EXPECT_EQ(x11->NativeWindow(dropped), kNoWindow);
}

// Every control in one dialog: the screen shows exactly the back buffer with
// the controls drawn over it. Then the combo's list and a tooltip open, and
// the screen around the dialog is kept too.
TEST_F(ControlsX11Test, DialogWithEveryControlShowsWhatTheSetDrew) {
    Static* group =
        set->Add(std::make_unique<Static>(StaticStyle::kGroupBox),
                 ControlOptions{178, Rect::FromXywh(10, 8, 250, 150), true, true, "Connection"});
    Make<Static>(10, Rect::FromXywh(22, 32, 70, 20), "Name:");
    Edit* name = Make<Edit>(1004, Rect::FromXywh(95, 30, 150, 22), "Meeting room");
    Make<Static>(11, Rect::FromXywh(22, 62, 70, 20), "Key:");
    Edit* key = Make<Edit>(1012, Rect::FromXywh(95, 60, 150, 22), "secret");
    key->SetMask(kMaskDot);
    Make<Static>(12, Rect::FromXywh(22, 92, 70, 20), "Address:");
    IpAddressControl* ip = Make<IpAddressControl>(1021, Rect::FromXywh(95, 90, 150, 22));
    ip->SetAddress(0xC0A80A02);
    Edit* off = Make<Edit>(1010, Rect::FromXywh(95, 120, 150, 22), "disabled");
    off->Enable(false);

    ListControl* list = Make<ListControl>(1009, Rect::FromXywh(270, 10, 240, 148));
    ImageLoader loader(PEMU_SKIN_DIR);
    const int ids[] = {5098, 5099, 5100, 5101, 5102, 5103, 5104, 5105, 5106, 5107};
    std::unique_ptr<ImageList> images = ImageList::FromBitmapResources(loader, ids);
    list->SetImageList(images.get());
    list->InsertColumn(0, "IP Address", 110);
    list->InsertColumn(1, "Device Name", 110);
    for (int i = 0; i < 12; ++i) {
        int row = list->InsertRow(i, "10.0.0." + std::to_string(10 + i), i % 10);
        list->SetCell(row, 1, "Receiver " + std::to_string(i + 1));
    }
    list->Select(2);

    ComboBox* combo = Make<ComboBox>(205, Rect::FromXywh(20, 170, 180, 24));
    for (const char* item : {"Disable", "WEP", "WPA-AES", "WPA2-AES", "WPA-TKIP", "WPA2-TKIP"}) {
        combo->AddItem(item);
    }
    combo->SetSelection(3);
    Button* on =
        MakeButton(ButtonStyle::kAutoRadio, 2003, Rect::FromXywh(20, 205, 90, 20), "Enable");
    MakeButton(ButtonStyle::kAutoRadio, 2004, Rect::FromXywh(115, 205, 90, 20), "Disable");
    on->SetCheck(true);
    MakeButton(ButtonStyle::kAutoCheck, 10328, Rect::FromXywh(20, 232, 160, 20), "Hide characters")
        ->SetCheck(true);
    Trackbar* h = Make<Trackbar>(181, Rect::FromXywh(20, 262, 240, 28));
    h->SetRange(0, 250);
    h->SetTickFrequency(50);
    h->SetTicks(true);
    h->SetPos(150);
    Trackbar* v = Make<Trackbar>(182, Rect::FromXywh(275, 170, 28, 130));
    v->SetVertical(true);
    v->SetRange(0, 250);
    v->SetTickFrequency(50);
    v->SetTicks(true);
    v->SetPos(60);
    Make<Static>(196, Rect::FromXywh(320, 170, 190, 120));
    set->Add(std::make_unique<Static>(StaticStyle::kPictureFrame),
             ControlOptions{197, Rect::FromXywh(330, 180, 170, 100), true, true, ""});
    Make<Static>(183, Rect::FromXywh(20, 300, 290, 36),
                 "Drag the sliders to adjust the offset; click Apply to keep it.");
    MakeButton(ButtonStyle::kPush, kCommandOk, Rect::FromXywh(340, 340, 80, 26), "Apply");
    MakeButton(ButtonStyle::kPush, kCommandCancel, Rect::FromXywh(430, 340, 80, 26), "Close");
    (void)group;
    ShowDialog();
    name->SetFocus();
    name->SetSelection(0, 7);
    Settle();

    // What the screen must show: the back buffer with the controls over it.
    auto expected = Surface::Create(kDialogRect.Width(), kDialogRect.Height());
    {
        Painter p(*expected);
        p.CopyFrom(*host.back, host.back->Bounds(), {0, 0});
    }
    set->PaintOver(*expected, expected->Bounds());
    std::unique_ptr<Surface> shown =
        Screenshot(x11->NativeWindow(dialog), {kDialogRect.Width(), kDialogRect.Height()},
                   "x11_controls_dialog.png");
    ASSERT_NE(shown, nullptr);
    int differing = 0;
    for (int y = 0; y < kDialogRect.Height(); ++y) {
        for (int x = 0; x < kDialogRect.Width(); ++x) {
            differing += shown->PixelAt(x, y) != expected->PixelAt(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);

    // The combo's list open and a tooltip over the Apply button.
    ToolTip tip(*wm, dialog);
    Button* apply = set->Get<Button>(kCommandOk);
    tip.AddTool(apply->Window(), 1, Rect{}, "Keeps the offsets and closes the dialog");
    Point over = ScreenOf(*apply, {40, 13});
    XTestFakeMotionEvent(peer, -1, over.x, over.y, 0);
    XSync(peer, False);
    ASSERT_TRUE(PumpUntil([&] { return wm->CursorPos() == over; }));
    Message move;
    move.kind = MessageKind::kMouseMove;
    move.target = apply->Window();
    move.point = {40, 13};
    tip.RelayEvent(move);
    ASSERT_TRUE(PumpUntil([&] { return tip.IsShown(); }));
    combo->SetFocus();
    TypeKey(XK_F4);
    ASSERT_TRUE(PumpUntil(
        [&] { return combo->IsDropped() && Viewable(x11->NativeWindow(combo->DropWindow())); }));
    Settle();
    unsigned long root = DefaultRootWindow(peer);
    auto screen = GrabWindow(peer, root, kScreenWidth, kScreenHeight);
    ASSERT_NE(screen, nullptr);
    SaveArtifact(*screen, "x11_controls_open_list_and_tip.png");
    EXPECT_EQ(screen->PixelAt(over.x + 2, over.y + 20 + 2), Argb(0xFFFFFFE1u)) << "the tip";
    EXPECT_EQ(screen->PixelAt(over.x, over.y + 20), Argb(0xFF000000u)) << "its border";
    TypeKey(XK_Escape);
    ASSERT_TRUE(PumpUntil([&] { return !combo->IsDropped(); }));
}

}  // namespace
}  // namespace platform
