// The browser wrapper: a plain child window, and web addresses handed to the
// desktop's opener (a recording fake here); anything else refused.
#include "ui/widgets/web_browser2.h"

#include <gtest/gtest.h>

#include "platform/fake_url_opener.h"
#include "tests/ui/widgets/menu_loop_test_support.h"

namespace ui {
namespace {

using WebBrowser2Test = WidgetTest;

TEST_F(WebBrowser2Test, APlainChildWindow) {
    platform::WindowId dialog = TopLevel(platform::Rect::FromXywh(0, 0, 300, 200), &NewHandler());
    platform::FakeUrlOpener opener;
    CWebBrowser2 browser(&opener);
    ASSERT_TRUE(browser.Create(dialog, platform::Rect::FromXywh(10, 10, 200, 100), 1050));
    EXPECT_EQ(wm->Parent(browser.Window()), dialog);
    EXPECT_EQ(wm->FindChild(dialog, 1050), browser.Window());
    EXPECT_FALSE(browser.Create(dialog, platform::Rect::FromXywh(0, 0, 5, 5), 1051));
    platform::WindowId w = browser.Window();
    {
        CWebBrowser2 gone(&opener);
        ASSERT_TRUE(gone.Create(dialog, platform::Rect::FromXywh(0, 0, 5, 5), 1052));
    }
    EXPECT_EQ(wm->FindChild(dialog, 1052), platform::WindowId{})
        << "the window goes with the object";
    EXPECT_TRUE(wm->IsAlive(w));
}

TEST_F(WebBrowser2Test, OnlyWebAddressesReachTheOpener) {
    platform::FakeUrlOpener opener;
    CWebBrowser2 browser(&opener);
    struct Row {
        const char* url;
        bool opened;
    } rows[] = {
        {"http://www.example.com/update", true},
        {"https://example.com/a?b=c&d=e f", true},
        {"HTTPS://EXAMPLE.COM/", true},
        {"http://", false},
        {"ftp://example.com/", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"-http://example.com/", false},
        {"--help", false},
        {"", false},
        {"http://example.com/\nsecond", false},
        {"www.example.com", false},
    };
    std::vector<std::string> expected;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.url);
        EXPECT_EQ(IsWebAddress(r.url), r.opened);
        EXPECT_EQ(browser.Navigate(r.url), r.opened);
        if (r.opened) {
            expected.push_back(r.url);
        }
    }
    EXPECT_EQ(opener.Opened(), expected);
    opener.SetWorks(false);
    EXPECT_FALSE(browser.Navigate("http://example.com/")) << "the opener could not start";
}

}  // namespace
}  // namespace ui
