#include "ui/widgets/gradient_menu.h"

#include <algorithm>

#include "platform/controls/release_after_windows.h"
#include "platform/window/window_log.h"
#include "ui/widgets/menu_layout.h"
#include "ui/widgets/menu_notices.h"

namespace ui {
namespace {

// One menu runs at a time in the process, as with the desktop's menus.
bool g_tracking = false;

}  // namespace

CGradientMenu::CGradientMenu(MenuModel menu, int bandWidth, bool band, uint32_t flags)
    : m_menu(std::move(menu)), m_flags(flags) {
    m_look.bandWidth = band ? std::max(0, bandWidth) : 0;
}

CGradientMenu::~CGradientMenu() = default;

void CGradientMenu::SetGradient(platform::ColorRef bottom, platform::ColorRef top) {
    m_look.gradientBottom = bottom;
    m_look.gradientTop = top;
}

void CGradientMenu::SetCaption(std::string caption, platform::ColorRef colour) {
    m_look.caption = std::move(caption);
    m_look.captionColour = colour;
}

int CGradientMenu::TrackPopupMenu(platform::WindowId owner, platform::Point at,
                                  const std::optional<platform::Rect>& exclude, uint32_t flags) {
    platform::WindowManager* wm = platform::WindowManager::Current();
    if (!wm || !wm->IsUiThread() || !wm->IsAlive(owner) || m_menu.Items().empty() || g_tracking) {
        platform::WindowLog("a menu cannot run now");
        return 0;
    }
    g_tracking = true;
    MenuSession session{*wm, owner, (flags & kMenuRightButton) != 0};
    m_session = &session;
    wm->Send(owner, platform::Message::User(kMenuInitMenu, 0, 0));

    int ran = 0;
    m_open = std::make_unique<MenuPopup>(session, nullptr, m_menu.Items(), m_look, 0);
    const platform::Rect workArea = wm->WorkArea();
    const bool bottomAlign = (flags & kMenuBottomAlign) != 0;
    if (wm->IsAlive(owner) && m_open->Create([&](platform::Size size) {
            return PlaceTopMenu(at, size, workArea, bottomAlign, exclude);
        })) {
        wm->Raise(owner);
        wm->AddMessageObserver(owner, this);
        m_open->Show((m_flags & kMenuFirstItemHot) != 0);
        wm->RunUntil([&] { return session.ended || !wm->IsAlive(owner); });
        ran = 1;
    }
    m_open->Close();
    wm->RemoveMessageObserver(owner, this);
    platform::ReleaseAfterWindows(wm, std::move(m_open));
    m_session = nullptr;
    g_tracking = false;
    if (session.chosen && wm->IsAlive(owner)) {
        wm->PostCommand(owner, *session.chosen);
    }
    return ran;
}

void CGradientMenu::OnObservedMessage(platform::WindowId, const platform::Message& msg) {
    // The owner lost the activation to another window: the menu goes.
    if (m_session && msg.kind == platform::MessageKind::kActivate && msg.code == 0) {
        m_session->End();
    }
}

}  // namespace ui
