#include "ui/dialogs/common_dialog_placement.h"

namespace ui {
namespace {

using platform::Rect;

Rect CentredOn(const Rect& area, int w, int h) {
    return Rect::FromXywh(area.left + (area.Width() - w) / 2, area.top + (area.Height() - h) / 2, w,
                          h);
}

Rect ReferenceOrScreen(std::optional<Rect> reference, const Rect& screen, int w, int h) {
    return CentredOn(reference ? *reference : screen, w, h);
}

}  // namespace

std::string CommonDialogTitle(int type, TitleTranslator translate) {
    switch (type) {
        case 16:
            return translate("Auto Reconnecting");
        case 26:
            return "Info";
        case 28:
            return "Pemu ";
        case 34:
            return translate("Pemu") + " ";
        case 30:
            return "Login_Code";
        case 32:
            return "Login_IP";
        case 33:
            return "Audio";
        case 39:
            return "Language";
        default:
            return translate("Pemu");
    }
}

CommonWindowSpec CommonWindowSpecFor(int type, const Rect& screen, std::optional<Rect> reference,
                                     std::optional<Rect> parent, TitleTranslator translate) {
    CommonWindowSpec s;
    s.title = CommonDialogTitle(type, translate);
    s.appWindow = type != 16 && type != 26 && type != 34 && type != 39;
    auto onScreen = [&](int w, int h) { s.rect = CentredOn(screen, w, h); };
    switch (type) {
        case 1:
        case 19:
            onScreen(350, 222);
            s.topmost = true;
            break;
        case 2:
            onScreen(350, 222);
            break;
        case 3:
            onScreen(365, 145);
            break;
        case 4:
        case 5:
        case 7:
        case 13:
        case 14:
        case 15:
        case 18:
            onScreen(350, 199);
            break;
        case 6:
        case 30:
        case 31:
        case 32:
            s.foreground = true;
            s.rect = ReferenceOrScreen(reference, screen, 270, 130);
            break;
        case 8:
        case 9:
        case 10:
        case 11:
        case 38:
            onScreen(453, 148);
            s.topmost = true;
            break;
        case 12:
            s.rect = Rect::FromXywh((screen.Width() - 479) / 2 + screen.left,
                                    screen.top + (screen.Height() - 178) / 2, 459, 178);
            s.topmost = true;
            break;
        case 16:
            onScreen(320, 86);
            if (parent) {
                s.rect = *parent;
                s.region = platform::Region::FromRoundRect(Rect{0, 0, 239, 65}, 9, 9);
                s.alpha = 220;
            }
            break;
        case 17:
            onScreen(526, 230);
            s.region = platform::Region::FromRect(Rect{0, 0, 526, 230});
            s.topmost = true;
            break;
        case 20:
            onScreen(340, 128);
            break;
        case 21:
            onScreen(515, 309);
            break;
        case 25:
            onScreen(340, 128);
            s.topmost = true;
            break;
        case 26:
        case 34:
            s.rect = ReferenceOrScreen(reference, screen, 340, 128);
            break;
        case 27:
            onScreen(525, 305);
            break;
        case 28:
            s.foreground = true;
            onScreen(526, 230);
            break;
        case 29:
            onScreen(526, 400);
            break;
        case 33:
            s.rect = ReferenceOrScreen(reference, screen, 270, 148);
            break;
        case 35:
            onScreen(526, 230);
            break;
        case 39:
            s.foreground = true;
            if (reference) {
                s.rect = Rect::FromXywh(reference->left + 12, reference->top + 102, 141, 222);
            } else {
                // The menu's top stays where a 46-pixel window would be centred.
                s.rect = Rect::FromXywh(screen.left + (screen.Width() - 141) / 2,
                                        screen.top + (screen.Height() - 46) / 2, 141, 222);
            }
            break;
        default:
            onScreen(368, 266);
            break;
    }
    return s;
}

std::optional<ShowPlacement> ShowTimePlacement(int type, const Rect& screen,
                                               std::optional<Rect> reference) {
    switch (type) {
        case 8:
        case 10:
            if (reference) {
                return ShowPlacement{CentredOn(*reference, 340, 128), false};
            }
            return ShowPlacement{CentredOn(screen, 340, 128), true};
        case 9:
        case 11:
        case 38:
            return ShowPlacement{CentredOn(screen, 340, 128), true};
        case 12:
            return ShowPlacement{Rect::FromXywh(screen.left + (screen.Width() - 479) / 2,
                                                screen.top + (screen.Height() - 178) / 2, 459, 178),
                                 true};
        default:
            return std::nullopt;
    }
}

}  // namespace ui
