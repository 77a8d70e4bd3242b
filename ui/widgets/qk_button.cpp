#include "ui/widgets/qk_button.h"

#include <string_view>

#include "platform/draw/painter.h"
#include "ui/widgets/button_look.h"
#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/language_menu_hook.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_host.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {
namespace {

using platform::Point;

bool IsPlayName(std::string_view name) {
    return name == "QKINMAIN_PRESENTATON_PLAY1_BUTTON" ||
           name == "QKINMAIN_PRESENTATON_PLAY2_BUTTON" ||
           name == "QKINMAIN_PRESENTATON_PLAY3_BUTTON" ||
           name == "QKINMAIN_PRESENTATON_PLAY4_BUTTON";
}
constexpr std::string_view kPlayFull = "QKINMAIN_PRESENTATON_PLAYFUL_BUTTON";
constexpr std::string_view kSpeedy = "QKINMAIN_SPEEDY_BUTTON";
constexpr std::string_view kVolumeBall = "VIDEOITEM_VOLUME_BALL";
constexpr std::string_view kTimerBall = "VIDEOITEM_TIMER_BALL";
constexpr std::string_view kVolumeHandle = "VOL_HANDLE_BUTTON";

bool IsHoverReporter(std::string_view name) {
    return name == "QKINMAIN_CONNECT_TO_TV_SELECT1_BG_BUTTON" ||
           name == "QKINMAIN_CONNECT_TO_TV_SELECT2_BG_BUTTON" ||
           name == "QKINMAIN_CONNECT_TO_TV_SELECT3_BG_BUTTON" ||
           name == "QKINMAIN_CONNECT_TO_TV_SELECT4_BG_BUTTON" || name == "VOL_MIN_BUTTON" ||
           name == "VOL_MAX_BUTTON";
}

bool IsProjectorItem(std::string_view name) {
    return name == "PROJECTORITEM_CHECKED_BUTTON" || name == "PROJECTORITEM_UNCHECK_BUTTON";
}

// Drag areas: they capture the mouse but never change their look.
bool IsDragArea(uint32_t id) {
    return id == 10062 || id == 10306 || id == 10307;
}

bool IsInactive(int state) {
    return state == kButtonInactive || state == kButtonInactiveAlt;
}

constexpr uint32_t kLoginKeyButtonId = 10274;
constexpr int kLanguageEntryIndent = 5;

}  // namespace

CQKButton::CQKButton() : CQKin("CQKButton") {}

bool CQKButton::IgnoresHover() const {
    const uint32_t id = ControlId();
    return IsPlayName(ElementName()) || ElementName() == "QKINMAIN_SPEEDY_IMAGE" ||
           IsDragArea(id) || id == 30193 || id == 30194 || id == 30203;
}

bool CQKButton::IsMenuTile() const {
    const std::string& n = ElementName();
    return n == "QKINMAIN_CONNECT_TO_TV_MAINMENUBG1_BUTTON" ||
           n == "QKINMAIN_CONNECT_TO_TV_MAINMENUBG2_BUTTON" ||
           n == "QKINMAIN_CONNECT_TO_TV_MAINMENUBG3_BUTTON" ||
           n == "QKINMAIN_CONNECT_TO_TV_MAINMENUBG4_BUTTON";
}

Point CQKButton::PaintPosition() const {
    Point at = DrawingPosition();
    if (ControlId() == 10307) {
        at.y -= 7;
    }
    return at;
}

void CQKButton::SetState(int state) {
    m_state = state;
    const std::string& name = ElementName();
    if (IsPlayName(name) || name == kPlayFull) {
        DispatchToOwner(kEventPress);  // the dialog redraws these itself
    } else if (IsHoverReporter(name)) {
        if (state == kButtonHover) {
            DispatchToOwner(kEventHover);
        } else if (state == kButtonNormal) {
            DispatchToOwner(kEventLeave);
        }
        Redraw();
    } else if (IsMenuTile()) {
        MainDialogSide* main = MainSide();
        if (main && !main->IsMenuLocked()) {
            if (state == kButtonHover) {
                SendToMainDialog(kEventHover);
            } else if (state == kButtonNormal) {
                SendToMainDialog(kEventLeave);
            }
        }
    } else {
        Redraw();
    }
}

void CQKButton::Redraw() {
    DrawToBackBuffer();
    WidgetHost* host = DrawingHost();
    if (!host) {
        return;
    }
    if (host->AsMainDialog() && IsProjectorItem(ElementName())) {
        if (ControlId() == 10029 || ControlId() == 10030) {
            host->BlitClientArea();
        } else {
            host->BlitWidgetRect(*this);
        }
        return;
    }
    const Point at = PaintPosition();
    host->BlitWidgetAt(*this, at.x, at.y);
}

void CQKButton::ShowToolTip(const std::string& text) {
    m_tip.Show(Window(), text, {});
}

bool CQKButton::PreTranslate(platform::WindowId self, const platform::Message& msg) {
    if (msg.target == self) {
        m_tip.Relay(msg);
    }
    return false;
}

// --- Hover and leave ---------------------------------------------------------

int64_t CQKButton::OnMouseMove(Point p) {
    if (IsMenuTile()) {
        if (MainDialogSide* main = MainSide(); main && main->IsMenuLocked()) {
            return 0;
        }
    }
    if (!m_tracking) {
        m_tracking = TrackHoverAndLeave();
    }
    if (HasCapture()) {
        MoveKnob(p);
    }
    return 0;
}

int64_t CQKButton::OnMouseHover(Point p) {
    if (IgnoresHover()) {
        return 0;
    }
    if (ControlId() == kLoginKeyButtonId) {
        MainDialogSide* main = MainSide();
        const std::string code = main ? main->CurrentLoginCode() : std::string();
        if (code.empty() || code == VRXClient::kDefaultLoginCode) {
            return 0;
        }
    }
    if (!VisibleFlag()) {
        return 0;
    }
    if (!m_disabled) {
        m_tip.Show(Window(), TooltipText(), p);
    }
    m_hovered = true;
    if (m_state != kButtonPressed && !IsInactive(m_state) && !m_disabled) {
        SetState(kButtonHover);
    }
    return 0;
}

int64_t CQKButton::OnMouseLeave() {
    if (IgnoresHover()) {
        return 0;
    }
    m_tracking = false;
    m_hovered = false;
    // While the button holds the mouse (pressed, or a knob being dragged)
    // its look stays; the next hover or leave after the release sets it.
    if (HasCapture()) {
        return 0;
    }
    if (!IsInactive(m_state) && !m_disabled) {
        SetState(kButtonNormal);
    }
    return 0;
}

// --- Press, drag and release ---------------------------------------------------

int64_t CQKButton::OnLButtonDown(Point p) {
    LanguageMenuHook::OnButtonPressed(ControlId());
    if (m_disabled) {
        return 0;
    }
    const std::string& name = ElementName();
    if (name == kSpeedy) {
        if (MainDialogSide* main = MainSide(); main && main->IsSpeedSwitchLocked()) {
            return 0;
        }
    }
    if (IsPlayName(name)) {
        return 0;
    }
    if (IsDragArea(ControlId())) {
        CaptureMouse();
        return 0;
    }
    if (ControlId() == kLoginKeyButtonId) {
        if (WidgetHost* host = DrawingHost()) {
            const Point at = DrawingPosition();
            PostButtonMessage(host->Window(), platform::MessageKind::kButtonDown,
                              {p.x + at.x, p.y + at.y});
        }
    }
    if ((ControlId() == 30193 || ControlId() == 30194) && name != kTimerBall) {
        if (m_state != kButtonInactive) {
            m_grabX = p.x;
            CaptureMouse();
        }
        return 0;
    }
    if (IsInactive(m_state)) {
        return 0;
    }
    m_grabX = p.x;
    CaptureMouse();
    m_state = kButtonPressed;
    if (name == kPlayFull) {
        SendToMainDialog(kEventPress);
    } else if (ControlId() == kLoginKeyButtonId) {
        SendToMainDialog(kEventPressLoginKey);
    } else if (name != kSpeedy) {
        Redraw();
    }
    return 0;
}

void CQKButton::MoveKnob(Point p) {
    const std::string& name = ElementName();
    const std::optional<KnobRange> range = KnobRangeFor(name);
    if (!range) {
        return;
    }
    const int x = ClampToKnob(p.x + GetRect().left - m_grabX, *range);
    const int value = x - range->low;
    if (name == kVolumeHandle) {
        if (CommonDialogSide* common = CommonSide(); common && !m_disabled) {
            common->SetVolumeValue(value);
            common->DrawVolumeSlider();
        }
        return;
    }
    MainDialogSide* main = MainSide();
    if (!main) {
        return;
    }
    if (name == kVolumeBall) {
        if (!m_disabled) {
            main->SetVolumeValue(value);
            main->LayoutVolumeSlider(1);
        }
    } else if (name == kTimerBall) {
        main->KillMediaPositionTimer();
        main->OnMediaPositionMoved(value);
    } else if (name == kSpeedy) {
        main->DrawSpeedyImage(value);
    }
}

bool CQKButton::ReleaseKnob(Point p) {
    const std::string& name = ElementName();
    const platform::Rect r = GetRect();
    MainDialogSide* main = MainSide();
    if (name == kVolumeBall && main) {
        main->SetVolumeValue(r.right - 218);
        if (CQKListView* list = main->ListView()) {
            list->SetVolLevelOnChecked(main->VolumeValue());
        }
    } else if (name == kTimerBall && main) {
        main->SeekMediaFile(r.right - 57);
    } else if (name == kSpeedy && main) {
        main->DrawSpeedyImage(SpeedySnapPosition(r.left));
    } else if (name == kVolumeHandle) {
        return true;
    } else if (name == "VOL_SLIDER_HIGHLIGHT_IMAGE" || name == "VOL_SLIDER_IMAGE") {
        // A release on the volume page's bar puts the value there.
        if (CommonDialogSide* common = CommonSide()) {
            const int x = ClampToKnob(p.x + r.left, KnobRange{66, 223});
            common->SetVolumeValue(x - 66);
            common->DrawVolumeSlider();
        }
        return true;
    }
    return false;
}

int64_t CQKButton::OnLButtonUp(Point p) {
    if (m_disabled || !HasCapture()) {
        return 0;
    }
    ReleaseMouse();
    if (ReleaseKnob(p)) {
        return 0;
    }
    const platform::Rect r = GetRect();
    const bool inside = platform::Rect{0, 0, r.Width(), r.Height()}.Contains(p.x, p.y);
    if (ElementName() != kSpeedy && !inside) {
        return 0;
    }
    if (IsInactive(m_state)) {
        return 0;
    }
    if (!IsDragArea(ControlId())) {
        m_state = kButtonNormal;
        Redraw();
    }
    if (IsTopLevel()) {
        DispatchToOwner(kEventClick);
    } else if (Parent()) {
        Parent()->OnChildEvent(kChildClicked, this);
    }
    return 0;
}

// --- Drawing ---------------------------------------------------------------------

int CQKButton::DrawToBackBuffer() {
    PaintScope scope(m_paintGuard);
    platform::Surface* back = BackBuffer();
    if (!scope.Entered() || !back) {
        return 0;
    }
    const Point at = PaintPosition();
    const platform::Rect r = GetRect();
    const platform::Rect place = platform::Rect::FromXywh(at.x, at.y, r.Width(), r.Height());
    const uint32_t id = ControlId();
    const bool languageEntry = LanguageMenuHook::IsLanguageEntry(id);
    const bool whiteUnderText = languageEntry && id != 20236;
    if (!VisibleFlag()) {
        ShowWidgetWindow(false);
        if (whiteUnderText) {
            FillRectSolid(*back, place.left, place.top, r.Width(), r.Height(),
                          platform::Argb(0xFFFFFFFFu));
        }
        return 0;
    }
    ShowWidgetWindow(true);
    if (m_state == kButtonInactiveAlt) {
        m_state = kButtonInactive;
    }
    const int frames = FrameCount();
    const bool speedy = ElementName() == kSpeedy;
    if (!IsFlatButton(id, frames)) {
        DrawFrame(frames, *back, ButtonFrame(frames, m_state, m_fixedFrame, speedy),
                  platform::kMagentaKey, at.x, at.y);
    }
    MainDialogSide* main = MainSide();
    const int first = main ? main->FirstChoice() : -1;
    const int second = main ? main->SecondChoice() : -1;
    if (std::optional<FlatLook> flat = FlatButtonLook(id, frames, m_state, first, second)) {
        platform::Painter painter(*back);
        painter.FillRect(place, flat->fill);
        if (flat->outline) {
            painter.FrameRect(place, *flat->outline);
        }
    }
    if (whiteUnderText) {
        FillRectSolid(*back, place.left, place.top, r.Width(), r.Height(),
                      platform::Argb(0xFFFFFFFFu));
    }
    ButtonTextInput text;
    text.id = id;
    text.name = ElementName();
    text.frames = frames;
    text.state = m_state;
    text.highlight = m_highlight;
    text.textColour = m_textColour;
    text.firstChoice = first;
    text.secondChoice = second;
    StringFormat format;
    format.horizontal = platform::TextAlign::kCenter;
    format.vertical = platform::TextAlign::kCenter;
    platform::Rect layout = place;
    if (languageEntry) {
        format.horizontal = platform::TextAlign::kNear;
        layout.left += kLanguageEntryIndent;
    }
    DrawTextString(*back, Caption(), layout, FontFamily(), TextSize(), ButtonTextColour(text),
                   format);
    return 0;
}

}  // namespace ui
