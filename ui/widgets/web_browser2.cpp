#include "ui/widgets/web_browser2.h"

#include <cctype>

#include "platform/window/window_log.h"
#include "platform/window/window_manager.h"

namespace ui {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) !=
                                    static_cast<unsigned char>(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsWebAddress(const std::string& url) {
    if (!platform::IsSafeOpenerArgument(url)) {
        return false;
    }
    for (const char* scheme : {"http://", "https://"}) {
        if (StartsWithNoCase(url, scheme)) {
            return url.size() > std::char_traits<char>::length(scheme);
        }
    }
    return false;
}

CWebBrowser2::CWebBrowser2(platform::UrlOpener* opener) : m_opener(opener) {}

CWebBrowser2::~CWebBrowser2() {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (wm && wm->IsAlive(m_window)) {
        wm->Destroy(m_window);
    }
}

bool CWebBrowser2::Create(platform::WindowId parent, const platform::Rect& rect, uint32_t id,
                          bool visible) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm || wm->IsAlive(m_window)) {
        return false;
    }
    platform::WindowOptions o;
    o.child = true;
    o.parent = parent;
    o.rect = rect;
    o.controlId = id;
    o.visible = visible;
    o.className = "CWebBrowser2";
    m_window = wm->Create(o);
    return static_cast<bool>(m_window);
}

platform::WindowId CWebBrowser2::Window() const {
    platform::WindowManager* wm = platform::WindowManager::Current();
    return wm && wm->IsAlive(m_window) ? m_window : platform::WindowId{};
}

bool CWebBrowser2::Navigate(const std::string& url) {
    if (!IsWebAddress(url)) {
        platform::WindowLog("not a web address; not opened: \"%s\"",
                            platform::TargetForLog(url).c_str());
        return false;
    }
    if (!m_opener) {
        if (!m_ownOpener) {
            m_ownOpener = platform::UrlOpener::Create();
        }
        m_opener = m_ownOpener.get();
    }
    return m_opener && m_opener->Open(url);
}

}  // namespace ui
