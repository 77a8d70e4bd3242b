// The browser wrapper: CWebBrowser2.
//
// There is no browser inside the program: the wrapper is a plain child
// window (a place in the dialog), and Navigate hands a web address to the
// desktop, which opens it in the user's browser (platform::UrlOpener). Only
// http and https addresses are opened; anything else (another scheme, a
// text starting with '-', control characters) is refused and logged.
//
// Ownership: the object owns its window and, when it was given none, the
// desktop's opener it makes on first use; a given opener is borrowed and
// must outlive the object.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/draw/geometry.h"
#include "platform/url_opener.h"
#include "platform/window/window_id.h"

namespace ui {

// True for "http://..." and "https://..." (scheme in any case) with
// something after the "//", and nothing an opener would refuse.
bool IsWebAddress(const std::string& url);

class CWebBrowser2 {
public:
    // `opener` null: the desktop's opener.
    explicit CWebBrowser2(platform::UrlOpener* opener = nullptr);
    ~CWebBrowser2();
    CWebBrowser2(const CWebBrowser2&) = delete;
    CWebBrowser2& operator=(const CWebBrowser2&) = delete;

    // Makes the plain child window at `rect` of `parent` with control id
    // `id`. False when there is no window manager, it exists already, or the
    // layer refuses it.
    bool Create(platform::WindowId parent, const platform::Rect& rect, uint32_t id,
                bool visible = true);
    platform::WindowId Window() const;

    // Opens `url` in the user's browser. False (logged) when the address is
    // refused or no opener could start.
    bool Navigate(const std::string& url);

private:
    platform::UrlOpener* m_opener;
    std::unique_ptr<platform::UrlOpener> m_ownOpener;
    platform::WindowId m_window;
};

}  // namespace ui
