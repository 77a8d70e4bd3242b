// The X11 backend's clipboard against other programs on a private Xvfb: the
// peer connection reads what we copied, a child process owns a text that we
// paste, and an owner that never answers costs no more than the wait bound
// and loses no input that arrived meanwhile.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/platform/window/window_test_support.h"
#include "tests/platform/window/x11_test_support.h"
#include "tests/platform/window/x_selection_owner.h"

// Xlib last: its macros clash with names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace platform {
namespace {

class ClipboardX11Test : public X11WindowTest {
protected:
    void SetUp() override {
        X11WindowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        clipboard = XInternAtom(peer, "CLIPBOARD", False);
        peerWindow = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 1, 1, 0, 0, 0);
        XSelectInput(peer, peerWindow, PropertyChangeMask);
    }

    // What the peer gets for `target` when it asks the clipboard's owner (our
    // backend, whose loop runs meanwhile); nullopt when the owner refuses.
    std::optional<std::string> PeerConverts(Atom target, Atom* type = nullptr) {
        Atom property = XInternAtom(peer, "PEER_CLIP", False);
        XConvertSelection(peer, clipboard, target, property, peerWindow, CurrentTime);
        XSync(peer, False);
        XEvent notify{};
        bool answered = PumpUntil(
            [&] { return XCheckTypedWindowEvent(peer, peerWindow, SelectionNotify, &notify); });
        EXPECT_TRUE(answered);
        if (!answered || notify.xselection.property == 0) {
            return std::nullopt;
        }
        Atom got = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(peer, peerWindow, property, 0, 1 << 16, True, AnyPropertyType, &got,
                           &format, &count, &after, &data);
        std::string bytes;
        if (data) {
            size_t unit = format == 32 ? sizeof(long) : static_cast<size_t>(format / 8);
            bytes.assign(reinterpret_cast<const char*>(data), count * unit);
            XFree(data);
        }
        if (type) {
            *type = got;
        }
        return bytes;
    }

    Atom clipboard = 0;
    unsigned long peerWindow = 0;
    RecordingHandler dialog;
};

TEST_F(ClipboardX11Test, CopiedTextReachesAnotherProgramInEachForm) {
    ASSERT_TRUE(wm->SetClipboardText("Grüße 10.0.0.1"));
    EXPECT_NE(XGetSelectionOwner(peer, clipboard), 0ul);
    Atom utf8 = XInternAtom(peer, "UTF8_STRING", False);
    Atom type = 0;
    EXPECT_EQ(PeerConverts(utf8, &type), std::optional<std::string>("Grüße 10.0.0.1"));
    EXPECT_EQ(type, utf8);
    EXPECT_EQ(PeerConverts(XA_STRING, &type), std::optional<std::string>("Gr\xFC\xDF"
                                                                         "e 10.0.0.1"))
        << "STRING is Latin-1";
    EXPECT_EQ(type, XA_STRING);

    std::optional<std::string> targets = PeerConverts(XInternAtom(peer, "TARGETS", False));
    ASSERT_TRUE(targets.has_value());
    bool offersUtf8 = false;
    for (size_t i = 0; i + sizeof(long) <= targets->size(); i += sizeof(long)) {
        offersUtf8 = offersUtf8 ||
                     *reinterpret_cast<const long*>(targets->data() + i) == static_cast<long>(utf8);
    }
    EXPECT_TRUE(offersUtf8);
    EXPECT_EQ(PeerConverts(XInternAtom(peer, "image/png", False)), std::nullopt)
        << "no pictures on offer";
    // Our own text comes back without a round trip through the server.
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("Grüße 10.0.0.1"));
}

TEST_F(ClipboardX11Test, TextOfAnotherProgramIsPastedAndItsCopyEndsOurs) {
    wm->SetClipboardText("ours");
    XSelectionOwner other;
    ASSERT_TRUE(
        other.Start(s_server->Display(), "from the editor ✓", XSelectionOwner::Offers::kUtf8));
    Settle();  // our backend learns that it lost the selection
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("from the editor ✓"));

    XSelectionOwner old;
    ASSERT_TRUE(old.Start(s_server->Display(), "caf\xE9", XSelectionOwner::Offers::kLatin1Only));
    EXPECT_EQ(wm->ClipboardText(), std::optional<std::string>("café")) << "Latin-1 taken over";
}

TEST_F(ClipboardX11Test, OwnerThatNeverAnswersCostsTheBoundAndLosesNoInput) {
    EXPECT_EQ(wm->ClipboardText(), std::nullopt) << "no owner at all";

    WindowOptions o;
    o.rect = Rect::FromXywh(100, 100, 120, 80);
    o.visible = true;
    o.handler = &dialog;
    WindowId id = wm->Create(o);
    ASSERT_TRUE(PumpUntil([&] { return Viewable(x11->NativeWindow(id)); }));
    // The peer takes the clipboard but runs no loop: it never answers.
    XSetSelectionOwner(peer, clipboard, peerWindow, CurrentTime);
    XSync(peer, False);
    Click({150, 150});
    x11->Clipboard().SetWaitBoundForTest(300);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(wm->ClipboardText(), std::nullopt);
    auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::seconds(3));
    ASSERT_TRUE(PumpUntil([&] { return !dialog.Of(MessageKind::kButtonUp).empty(); }))
        << "the click that came during the wait is still delivered";
    EXPECT_EQ(dialog.Of(MessageKind::kButtonDown).size(), 1u);
}

}  // namespace
}  // namespace platform
