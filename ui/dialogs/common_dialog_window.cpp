#include "ui/dialogs/common_dialog_window.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/res/dialog_templates.h"
#include "app/res/translator.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/image_list.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/draw/painter.h"
#include "platform/log.h"
#include "platform/wifi_provider.h"
#include "platform/window/window_limits.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/common_caption_fit.h"
#include "ui/dialogs/common_dialog_placement.h"
#include "ui/dialogs/common_dispatch.h"
#include "ui/dialogs/common_element_builder.h"
#include "ui/dialogs/common_layout_tables.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/main_window_services.h"
#include "ui/dialogs/page_operations.h"
#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/language_menu_hook.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/skin_images.h"
#include "ui/widgets/template_controls.h"
#include "ui/widgets/wnd_shadow.h"

namespace ui {
namespace {

using platform::Message;
using platform::MessageKind;
using platform::Rect;

constexpr const char* kWindowClass = "PEMU_COMMON";
constexpr uint32_t kListId = 1009;
constexpr uint32_t kHideCharsId = 10328;
// The program's blue of outlines and separator lines, and the prompt frames.
constexpr platform::ColorRef kOutlineColour{0xBC6B1A};
constexpr platform::ColorRef kFrameColour{0xA97300};
// Room a button keeps between its caption and each side.
constexpr int kCaptionSidePadding = 3;
// Room a caption whose box runs past the window keeps from its right edge.
constexpr int kCaptionEdgeMargin = 12;

std::string Translate(const std::string& english) {
    return appres::Translator::Translate(english);
}

bool IsPromptType(int type) {
    return type == 6 || type == 30 || type == 31 || type == 32;
}

}  // namespace

CommonDialogWindow::CommonDialogWindow(CQKCommonDlg& dialog) : m_dialog(dialog) {}

CommonDialogWindow::~CommonDialogWindow() {
    if (m_fixedProfileDue) {
        m_fixedProfileDue = false;
        DeleteFixedProfile();
    }
    m_languageWatch.Reset();
    if (m_selfCheck.joinable()) {
        m_selfCheck.join();
    }
    if (LanguageMenuHook::OpenMenu() == m_window && m_window) {
        LanguageMenuHook::SetOpenMenu({});
    }
    m_widgets.clear();
    m_shadow.reset();
    m_controls.reset();
    m_listImages.reset();
    if (m_wm && platform::WindowManager::Current() == m_wm && m_wm->IsAlive(m_window)) {
        m_wm->Destroy(m_window);
    }
}

SkinImages* CommonDialogWindow::Skin() {
    return m_dialog.Environment().skin;
}

std::string CommonDialogWindow::TranslateText(std::string_view english) {
    if (english.empty()) {
        return std::string();
    }
    return appres::Translator::Translate(english);
}

int CommonDialogWindow::Run() {
    if (!Create()) {
        return platform::kModalAborted;
    }
    if (m_ended) {
        return *m_ended;
    }
    const int result = m_wm->RunModal(m_window);
    if (m_ended) {
        return *m_ended;
    }
    return result == platform::kModalAborted ? result : kIdCancel;
}

bool CommonDialogWindow::Create() {
    m_wm = platform::WindowManager::Current();
    if (!m_wm || !m_wm->IsUiThread()) {
        return false;
    }
    const int type = m_dialog.Type();
    // The back buffer is made once per window object, even when the
    // initialisation runs again.
    if (!m_back) {
        m_back = platform::Surface::Create(kBackBufferWidth, kBackBufferHeight);
        if (!m_back) {
            return false;
        }
        m_back->Clear(platform::Argb(0xFFFFFFFF));
    }
    if (m_window) {
        return true;
    }
    std::optional<Rect> reference;
    if (m_dialog.Reference()) {
        reference = m_wm->ScreenRect(m_dialog.Reference());
    }
    std::optional<Rect> parent;
    if (m_dialog.OwnerWindow()) {
        parent = m_wm->ScreenRect(m_dialog.OwnerWindow());
    }
    const CommonWindowSpec spec =
        CommonWindowSpecFor(type, m_wm->ScreenArea(), reference, parent, &Translate);

    platform::WindowOptions o = platform::DialogWindowOptions(
        type == 16 ? m_dialog.OwnerWindow() : platform::WindowId(), spec.rect, this);
    o.className = kWindowClass;
    o.title = spec.title;
    o.topmost = spec.topmost;
    o.toolWindow = !spec.appWindow;
    m_window = m_wm->Create(o);
    if (!m_window) {
        return false;
    }
    if (spec.region) {
        m_wm->SetRegion(m_window, spec.region);
    }
    if (spec.alpha && m_wm->SupportsLayered()) {
        m_wm->SetOpacity(m_window, *spec.alpha);
    }
    if (spec.foreground) {
        m_wm->Raise(m_window);
    }

    m_controls = std::make_unique<platform::ControlSet>(*m_wm, m_window);
    m_controls->SetColourCallback(
        [type](uint32_t id, platform::ControlKind) -> std::optional<platform::ControlColours> {
            platform::ControlColours c;
            if (id == kHideCharsId || (id >= 2003 && id <= 2009)) {
                // Transparent text over the skin's grey.
                c.fill = platform::ColorRef(0xEDEDED);
                return c;
            }
            if (id == 1021) {
                c.text = platform::ColorRef(0x1E1E1E);
                c.textBackground = platform::ColorRef(0xFFFFFF);
                c.fill = platform::ColorRef(0xFFFFFF);
                return c;
            }
            if (id == 1005) {
                c.text = platform::ColorRef(type == 32 ? 0x1E1E1E : 0x575757);
                c.textBackground = platform::ColorRef(0xFFFFFF);
                c.fill = platform::ColorRef(0xFFFFFF);
                return c;
            }
            return std::nullopt;
        });
    if (const appres::DialogTemplate* t = appres::DialogTemplates::Find(146)) {
        BuildTemplateControls(*t, *m_controls, [this](const appres::DialogControl& entry) {
            return entry.textStringId ? LoadTranslatedString(entry.textStringId)
                                      : TranslateText(entry.text);
        });
    }

    const char* user = std::getenv("username");
    if (!user) {
        user = std::getenv("USER");
    }
    m_dialog.SetUserName(user ? user : "");
    if (!m_listImages && m_dialog.Environment().skin) {
        m_listImages = MakeAccessPointImages(m_dialog.Environment().skin->Folder());
    }
    CommonBuildContext ctx{
        m_dialog, *this, m_controls.get(), m_widgets, m_dialog.UserName(), m_listImages.get()};
    BuildLayoutElements(ctx);
    for (const WidgetPtr<>& w : m_widgets) {
        m_builtCaptions[w.get()] = w->Caption();
    }
    m_languageWatch = appres::Translator::OnLanguageChanged([this] { RereadTexts(); });

    PageOperations* pages = m_dialog.Environment().pages;
    if (pages) {
        pages->PreparePage(m_dialog);
    }
    m_shadow = std::make_unique<CWndShadow>();
    m_shadow->Create(m_window);

    switch (type) {
        case 28:
            m_wm->SetTimer(m_window, kTimerDots, 200);
            m_wm->SetTimer(m_window, kTimerSearch, 1000);
            break;
        case 17:
            m_wm->SetTimer(m_window, kTimerDockClose, 2000);
            break;
        case 21:
            if (pages) {
                pages->FillApClientPage(m_dialog);
            }
            break;
        case 4:
            for (uint32_t id : {1012u, 1013u}) {
                if (auto* edit = m_controls->Get<platform::Edit>(id)) {
                    edit->SetMask(U'*');
                }
            }
            if (platform::Control* check = m_controls->Find(kHideCharsId)) {
                check->SetText(check->Text());
            }
            break;
        case 39:
            if (m_dialog.Language().empty()) {
                m_dialog.SetLanguage("English");
            }
            m_wm->SetTimer(m_window, kTimerLanguageMenu, 200);
            LanguageMenuHook::SetOpenMenu(m_window);
            break;
        case 6:
        case 32:
            m_wm->SetTimer(m_window, kTimerPromptFocus, 200);
            break;
        default:
            break;
    }
    if (type == 33 && m_dialog.Volume() > 157) {
        m_dialog.SetVolume(157);
    }
    m_wm->SetFocus(m_window);
    DrawElements();
    return true;
}

void CommonDialogWindow::EndDialog(int result) {
    if (m_ended) {
        return;
    }
    m_ended = result;
    if (m_wm && m_window) {
        m_wm->EndModal(m_window, result);
    }
}

bool CommonDialogWindow::PostClientEvent(uint32_t code, int64_t param) {
    platform::WindowManager* wm = m_wm;
    if (!wm || !m_window) {
        return false;
    }
    return wm->Post(m_window, Message::User(kClientEventMessage, code, param));
}

CQKin* CommonDialogWindow::FindWidget(uint32_t controlId) const {
    for (const WidgetPtr<>& w : m_widgets) {
        if (w->ControlId() == controlId) {
            return w.get();
        }
    }
    return nullptr;
}

platform::Control* CommonDialogWindow::FindControl(uint32_t controlId) const {
    return m_controls ? m_controls->Find(controlId) : nullptr;
}

std::string CommonDialogWindow::ControlText(uint32_t id) const {
    platform::Control* c = FindControl(id);
    return c ? c->Text() : std::string();
}

void CommonDialogWindow::FitCaption(CQKin& widget) {
    const std::string& cls = widget.ClassNameText();
    const bool text = cls == "CQKText";
    if (!text && cls != "CQKButton") {
        return;
    }
    Rect box = text ? widget.VisibleArea() : widget.GetRect();
    // A box that runs past the window's right edge was sized for a narrower
    // font: the caption stops short of the edge, on one line while a size
    // allows it.
    bool pastEdge = false;
    if (auto window = m_wm ? m_wm->GetRect(m_window) : std::nullopt) {
        pastEdge = box.right > window->Width();
        const int right = pastEdge ? window->Width() - kCaptionEdgeMargin : window->Width();
        box = box.Intersect(Rect{0, 0, right, window->Height()});
    }
    FittedCaption& fitted = m_fitted[&widget];
    if (fitted.styleSize == 0) {
        fitted.styleSize = widget.TextSize();
    } else if (fitted.caption == widget.Caption() && fitted.box == box) {
        return;
    }
    fitted.caption = widget.Caption();
    fitted.box = box;
    CaptionBox room{{box.Width(), box.Height()}, false};
    room.oneLineFirst = pastEdge;
    if (text) {
        const uint8_t flags = static_cast<CQKText&>(widget).FormatFlags();
        room.singleLine = (flags & kTextEllipsis) != 0 && (flags & kTextWrap) == 0;
    } else {
        // Buttons keep a little room at the sides; the language entries
        // start after their indent.
        const uint32_t id = widget.ControlId();
        const bool entry = id == 20236 || (id >= 20238 && id <= 20247);
        room.oneLineFirst = true;
        room.size.width -= entry ? kCaptionSidePadding + 5 : 2 * kCaptionSidePadding;
    }
    const std::string family = widget.FontFamily();
    widget.SetTextSize(
        FittingCaptionSize(fitted.caption, fitted.styleSize, room,
                           [&family](std::string_view caption, int size, int maxWidth) {
                               return MeasureTextExtent(caption, family, size, maxWidth);
                           }));
}

void CommonDialogWindow::RereadTexts() {
    if (!m_wm || !m_window || !m_wm->IsAlive(m_window)) {
        return;
    }
    const int type = m_dialog.Type();
    m_wm->SetTitle(m_window, CommonDialogTitle(type, &Translate));
    CommonBuildContext ctx{
        m_dialog, *this, m_controls.get(), m_widgets, m_dialog.UserName(), m_listImages.get()};
    std::vector<LayoutElement> table;
    GetLayoutTable(type, table);
    for (const LayoutElement& record : table) {
        CQKin* widget = FindWidget(record.id);
        if (!widget || widget->ElementName() != record.Name()) {
            continue;
        }
        auto built = m_builtCaptions.find(widget);
        if (built != m_builtCaptions.end() && built->second == widget->Caption()) {
            // (Otherwise the page code has put its own text there.)
            built->second = ElementCaption(ctx, record);
            widget->SetCaption(built->second);
            widget->SetTooltipText(record.tooltip != 0 ? LoadTranslatedString(record.tooltip)
                                                       : std::string());
        }
        if ((record.id == 10203 || record.id == 10253) && record.ClassName() == "CQKButton") {
            // Their size and picture follow the language.
            const ButtonLook look = LookOfButton(ctx, record, widget->Caption());
            widget->SetRect(look.rect);
            ChangeButtonPicture(*widget, look);
        }
    }
    if (m_controls) {
        if (const appres::DialogTemplate* t = appres::DialogTemplates::Find(146)) {
            for (const appres::DialogControl& entry : t->controls) {
                platform::Control* control = m_controls->Find(entry.id);
                if (!control || (control->Kind() != platform::ControlKind::kButton &&
                                 control->Kind() != platform::ControlKind::kStatic)) {
                    continue;
                }
                std::string caption = entry.textStringId ? LoadTranslatedString(entry.textStringId)
                                                         : TranslateText(entry.text);
                for (const LayoutElement& record : table) {
                    if (record.id == entry.id && !record.Text().empty()) {
                        caption = TranslateText(record.Text());
                    }
                }
                control->SetText(caption);
            }
        }
        if (auto* list = m_controls->Get<platform::ListControl>(kListId)) {
            int column = 0;
            for (const ListColumnSpec& spec : ListColumnsFor(type)) {
                list->SetColumnTitle(column++, LoadTranslatedString(spec.titleStringId));
            }
        }
    }
    DrawElements();
    m_wm->Invalidate(m_window);
}

void CommonDialogWindow::DrawElements() {
    if (!m_back) {
        return;
    }
    const int type = m_dialog.Type();
    for (const WidgetPtr<>& w : m_widgets) {
        const uint32_t id = w->ControlId();
        FitCaption(*w);
        if (id == 30204) {
            w->SetVisibleFlag(m_dialog.MaskShown());
        }
        if (id == 30194 && w->VisibleFlag()) {
            // The highlight covers the bar up to the volume, at most 141 wide.
            const Rect r = w->GetRect();
            auto saved = platform::Surface::Create(r.Width(), r.Height());
            if (saved) {
                platform::Painter(*saved).CopyFrom(*m_back, r, {0, 0});
            }
            w->DrawToBackBuffer();
            const int width = std::min(m_dialog.Volume() + 3, 141);
            if (saved && width < r.Width()) {
                platform::Painter(*m_back).CopyFrom(*saved, Rect{width, 0, r.Width(), r.Height()},
                                                    {r.left + width, r.top});
            }
            if (saved && r.Height() > 12) {
                platform::Painter(*m_back).CopyFrom(*saved, Rect{0, 12, r.Width(), r.Height()},
                                                    {r.left, r.top + 12});
            }
            continue;
        }
        w->DrawToBackBuffer();
        const Rect r = w->GetRect();
        if (id == 20237) {
            platform::Painter(*m_back).FrameRect(r, platform::ToArgb(kOutlineColour), 1);
        } else if (id == 30190) {
            platform::Painter(*m_back).FillRect(Rect{r.left, r.top, r.right, r.top + 1},
                                                platform::ToArgb(kOutlineColour));
        } else if ((id == 10188 || id == 10374 || id == 10375) && !IsPromptType(type)) {
            platform::Painter(*m_back).FrameRect(r, platform::ToArgb(kFrameColour), 5);
        }
    }
}

// --- Messages ----------------------------------------------------------------

int64_t CommonDialogWindow::OnMessage(platform::WindowId self, const Message& msg) {
    if (self != m_window) {
        return kDefault;
    }
    switch (msg.kind) {
        case MessageKind::kPaint:
            DrawElements();
            if (m_controls) {
                m_controls->Present(*m_back, msg.rect);
            }
            return 0;
        case MessageKind::kShow:
            if (msg.code == 1) {
                OnShowWindow();
            }
            return 0;
        case MessageKind::kClose:
            m_dialog.SetCloseCode(2);
            EndDialog(kIdCancel);
            return 0;
        case MessageKind::kCommand:
            OnCommand(msg.code, msg.param, msg.param2);
            return 0;
        case MessageKind::kTimer:
            OnTimer(msg.code);
            return 0;
        case MessageKind::kUser:
            if (msg.code == kClientEventMessage) {
                PageOperations* pages = m_dialog.Environment().pages;
                const bool handled =
                    pages &&
                    pages->OnClientEvent(m_dialog, static_cast<uint32_t>(msg.param), msg.param2);
                if (!handled && msg.param == kClientEventConnectClose) {
                    ShowBox(10, "Warning", "Device disconnected.");
                }
            }
            return 0;
        case MessageKind::kButtonDown:
            if (msg.button == platform::MouseButton::kLeft && DialogMovesByDrag(m_dialog.Type())) {
                m_wm->SetCapture(m_window);
                m_dragAnchor = msg.point;
            }
            return 0;
        case MessageKind::kMouseMove:
            if (m_dragAnchor && m_wm->Capture() == m_window) {
                if (auto r = m_wm->GetRect(m_window)) {
                    const int dx = msg.point.x - m_dragAnchor->x;
                    const int dy = msg.point.y - m_dragAnchor->y;
                    m_wm->Move(m_window,
                               Rect::FromXywh(r->left + dx, r->top + dy, r->Width(), r->Height()));
                }
            }
            return 0;
        case MessageKind::kButtonUp:
            if (m_dragAnchor) {
                m_dragAnchor.reset();
                m_wm->ReleaseCapture();
            }
            return 0;
        case MessageKind::kCaptureLost:
            m_dragAnchor.reset();
            return 0;
        case MessageKind::kWheel:
            return 0;
        case MessageKind::kDestroy:
            m_wm->KillTimer(m_window, kTimerLanguageMenu);
            if (LanguageMenuHook::OpenMenu() == m_window) {
                LanguageMenuHook::SetOpenMenu({});
            }
            return 0;
        default:
            return kDefault;
    }
}

bool CommonDialogWindow::PreTranslate(platform::WindowId self, const Message& msg) {
    if (self != m_window) {
        return false;
    }
    if (msg.kind == MessageKind::kButtonDown) {
        // Any press in another dialog closes the open language menu, by the
        // id it registered.
        platform::WindowId menu = LanguageMenuHook::OpenMenu();
        if (menu && menu != m_window && m_wm->IsAlive(menu)) {
            m_wm->Post(menu, Message::Close());
        }
        return false;
    }
    if (msg.kind == MessageKind::kKeyDown) {
        return OnKeyDown(msg);
    }
    return false;
}

bool CommonDialogWindow::OnKeyDown(const Message& msg) {
    const int type = m_dialog.Type();
    if ((msg.modifiers & platform::kModAlt) != 0 || msg.key == platform::Key::kAlt) {
        if (msg.key != platform::Key::kAlt) {
            EndDialog(kIdCancel);
            return true;
        }
        if (type == 39) {
            EndDialog(kIdCancel);
            return true;
        }
        return false;
    }
    switch (msg.key) {
        case platform::Key::kReturn:
            OnEnter();
            return true;
        case platform::Key::kEscape:
            if (type != 28) {
                EndDialog(kIdCancel);
            }
            return true;
        case platform::Key::kUp:
        case platform::Key::kDown:
            if (type == 37) {
                for (const WidgetPtr<>& w : m_widgets) {
                    if (w->ClassNameText() == "CQKListView") {
                        auto* list = static_cast<CQKListView*>(w.get());
                        if (msg.key == platform::Key::kUp) {
                            list->SelectPrevious();
                        } else {
                            list->SelectNext();
                        }
                    }
                }
                m_wm->Invalidate(m_window);
                return true;
            }
            return false;
        default:
            return false;
    }
}

void CommonDialogWindow::OnEnter() {
    switch (ClassifyEnter(m_dialog.Type())) {
        case EnterAction::kSelectedRowOk: {
            auto* list = m_controls ? m_controls->Get<platform::ListControl>(kListId) : nullptr;
            m_dialog.SetSelectedRow(list ? list->Selected() : -1);
            EndDialog(kIdOk);
            break;
        }
        case EnterAction::kKeyCheck:
            KeyCheckThenOk();
            break;
        case EnterAction::kStorePasswordOk:
            StoreTypedPassword();
            EndDialog(kIdOk);
            break;
        case EnterAction::kStorePasswordCloseShadowOk:
            StoreTypedPassword();
            CloseShadow();
            EndDialog(kIdOk);
            break;
        case EnterAction::kStoreAddressOk:
            if (PageOperations* pages = m_dialog.Environment().pages) {
                pages->StorePromptInput(m_dialog);
            } else {
                m_dialog.SetIpText(ControlText(1005).substr(0, 31));
            }
            CloseShadow();
            EndDialog(kIdOk);
            break;
        case EnterAction::kProfileKeyOk: {
            const std::string key = ControlText(1012);
            if (CheckSecurityKey(key, ControlText(1013)) == KeyCheck::kAccepted) {
                m_dialog.CurrentProfile().key = key;
                EndDialog(kIdOk);
            }
            break;
        }
        case EnterAction::kProfileOk:
            TakeSelectedProfileOk();
            break;
        case EnterAction::kQuickConnectOk:
            StoreQuickConnect();
            EndDialog(kIdOk);
            break;
        case EnterAction::kOk:
            EndDialog(kIdOk);
            break;
        case EnterAction::kSwallow:
            break;
        case EnterAction::kResult1Cancel:
            m_resultCode = 1;
            EndDialog(kIdCancel);
            break;
    }
}

void CommonDialogWindow::KeyCheckThenOk() {
    const std::string key = ControlText(1012);
    switch (CheckSecurityKey(key, ControlText(1013))) {
        case KeyCheck::kAccepted:
            m_dialog.SetEnteredKey(key);
            EndDialog(kIdOk);
            break;
        case KeyCheck::kNotIdentical:
            ShowBox(10, LoadTranslatedString(65292), LoadTranslatedString(65340));
            break;
        case KeyCheck::kBadLength:
            Beep();
            break;
    }
}

void CommonDialogWindow::StoreTypedPassword() {
    m_dialog.SetLoginCode(ControlText(1005));
    m_dialog.SetEnteredText(ControlText(1005));
}

void CommonDialogWindow::StoreQuickConnect() {
    if (auto* ip = m_controls ? m_controls->Get<platform::IpAddressControl>(1021) : nullptr) {
        const uint32_t a = ip->Address();
        char text[16];
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF,
                      a & 0xFF);
        m_dialog.CurrentProfile().serverIp = text;
        m_dialog.SetIpv4(htonl(a));
    }
    m_dialog.CurrentProfile().ssid = ControlText(1005);
    m_dialog.CurrentProfile().userName = ControlText(1010);
}

int CommonDialogWindow::SelectedListRow() const {
    auto* list = m_controls ? m_controls->Get<platform::ListControl>(kListId) : nullptr;
    return list ? list->Selected() : -1;
}

bool CommonDialogWindow::TakeSelectedProfileOk() {
    const int row = SelectedListRow();
    if (row < 0 || static_cast<size_t>(row) >= m_dialog.Profiles().size()) {
        return false;
    }
    m_dialog.SetSelectedRow(row);
    m_dialog.CurrentProfile() = m_dialog.Profiles()[static_cast<size_t>(row)];
    EndDialog(kIdOk);
    return true;
}

bool CommonDialogWindow::SelectedRowOk() {
    auto* list = m_controls ? m_controls->Get<platform::ListControl>(kListId) : nullptr;
    const int row = list ? list->Selected() : -1;
    if (row < 0) {
        return false;
    }
    m_dialog.SetSelectedRow(row);
    EndDialog(kIdOk);
    return true;
}

void CommonDialogWindow::CloseShadow() {
    if (m_shadow) {
        m_shadow->Hide();
    }
}

void CommonDialogWindow::Beep() {
    if (m_wm) {
        m_wm->Bell();
    }
}

void CommonDialogWindow::ShowBox(int type, const std::string& title, const std::string& text) {
    DialogRunner* runner = m_dialog.Environment().runner;
    if (!runner) {
        return;
    }
    CQKCommonDlg box(m_dialog.Environment());
    box.SetType(type);
    box.SetTitleText(title);
    box.SetMessageText(text);
    box.SetReference(m_window);
    runner->DoModal(box);
}

void CommonDialogWindow::OnShowWindow() {
    const int type = m_dialog.Type();
    if (m_dialog.Layered() && m_wm->SupportsLayered()) {
        m_wm->SetOpacity(m_window, 255);
    }
    std::optional<Rect> reference;
    if (m_dialog.Reference()) {
        reference = m_wm->ScreenRect(m_dialog.Reference());
    }
    if (auto place = ShowTimePlacement(type, m_wm->ScreenArea(), reference)) {
        m_wm->Move(m_window, place->rect);
        m_wm->SetTopmost(m_window, place->topmost);
    }
    if (type == 6 || type == 32) {
        platform::Control* focus = FindControl(m_dialog.Ipv4() != 0 ? 1004 : 1021);
        if (focus) {
            focus->SetFocus();
        }
    }
    if (m_shadow) {
        m_shadow->Show();
    }
    DrawElements();
    m_wm->Invalidate(m_window);
}

void CommonDialogWindow::OnTimer(uint32_t id) {
    PageOperations* pages = m_dialog.Environment().pages;
    switch (id) {
        case kTimerLanguageMenu: {
            const platform::WindowId active = m_wm->ActiveTopLevel();
            if (active != m_window && active != m_dialog.Reference()) {
                m_wm->KillTimer(m_window, id);
                EndDialog(kIdCancel);
            }
            break;
        }
        case kTimerPromptFocus:
            m_wm->KillTimer(m_window, id);
            if (platform::Control* edit = FindControl(1005)) {
                edit->SetFocus();
            }
            break;
        case kTimerDockClose:
            m_wm->KillTimer(m_window, id);
            m_wm->Show(m_window, false);
            EndDialog(kIdCancel);
            break;
        case kTimerCancel:
            m_wm->KillTimer(m_window, id);
            EndDialog(kIdCancel);
            break;
        case kTimerFixedProfile:
            m_wm->KillTimer(m_window, id);
            m_fixedProfileDue = false;
            DeleteFixedProfile();
            break;
        case kTimerSelectionReset:
            m_wm->KillTimer(m_window, id);
            m_hasSelection = false;
            if (pages) {
                pages->RebuildPageClients(m_dialog);
            }
            DrawElements();
            for (uint32_t w : {10280u, 10223u, 10019u, 10020u, 10021u}) {
                if (CQKin* widget = FindWidget(w)) {
                    BlitWidgetRect(*widget);
                }
            }
            break;
        case kTimerSearch: {
            m_wm->KillTimer(m_window, id);
            bool passwordWanted = false;
            const bool running = pages && pages->SearchPageClients(m_dialog, &passwordWanted);
            if (m_ended) {
                break;  // ended while the search pumped messages
            }
            const int handOver = m_dialog.Type() == 28 ? m_dialog.FirstReceiverToHandOver() : -1;
            if (handOver >= 0) {
                // Receivers found: the page hands them over to be listed.
                m_dialog.SetListOnly(true);
                m_dialog.SetSelectedRow(handOver);
                CloseShadow();
                EndDialog(kIdOk);
                break;
            }
            m_wm->SetTimer(m_window, kTimerSearch, running ? 60000 : 5000);
            if (passwordWanted && m_dialog.Environment().runner) {
                CQKCommonDlg prompt(m_dialog.Environment());
                prompt.SetType(6);
                prompt.SetReceiverName(m_dialog.ReceiverName());
                prompt.SetReference(m_window);
                m_dialog.Environment().runner->DoModal(prompt);
            }
            break;
        }
        case kTimerDots:
            AdvanceDots();
            break;
        default:
            break;
    }
}

void CommonDialogWindow::ArmFixedProfileRemoval() {
    m_fixedProfileDue = true;
    if (m_wm && m_window) {
        m_wm->SetTimer(m_window, kTimerFixedProfile, 1000);
    }
}

void CommonDialogWindow::DeleteFixedProfile() {
    const std::string& ssid = m_dialog.FixedProfileSsid();
    platform::WifiProvider* wifi = m_dialog.Environment().wifi;
    if (ssid.empty()) {
        return;
    }
    if (!wifi || !wifi->DeleteFixedProfile(ssid)) {
        platform::Log(platform::LogLevel::kWarning, "dialog",
                      "the fixed Wi-Fi profile of \"%s\" could not be removed", ssid.c_str());
    }
}

void CommonDialogWindow::AdvanceDots() {
    m_dotStep = m_dotStep % 4 + 1;
    // The four dots, the current one lit; the others keep their own pictures.
    static constexpr uint32_t kDots[] = {30219, 30167, 30166, 30165};
    static constexpr int kUnlit[] = {5200, 5201, 5244, 5244};
    for (int i = 0; i < 4; ++i) {
        if (CQKin* dot = FindWidget(kDots[i])) {
            // The dots are PNG widgets: the picture they show is their PNG.
            dot->ChangePngImage(i + 1 == m_dotStep ? 5199 : kUnlit[i]);
        }
    }
    DrawElements();
    BlitClientArea();
}

void CommonDialogWindow::RemoveSeparatorFromEdit(uint32_t id) {
    platform::Control* edit = FindControl(id);
    if (!edit) {
        return;
    }
    std::string text = edit->Text();
    if (text.find(';') == std::string::npos) {
        return;
    }
    std::erase(text, ';');
    edit->SetText(text);  // notifies again, now without ';'
}

void CommonDialogWindow::OnCommand(uint32_t id, int64_t code, int64_t param2) {
    const int type = m_dialog.Type();
    PageOperations* pages = m_dialog.Environment().pages;
    if (id == kListId && code == platform::kNmDblClk) {
        if (type == 15) {
            TakeSelectedProfileOk();
        } else {
            SelectedRowOk();
        }
        return;
    }
    if (id == kListId && code == platform::kLvnColumnClick) {
        if (auto* list = m_controls->Get<platform::ListControl>(kListId)) {
            SortListByColumn(m_dialog, m_sort, *list, static_cast<int>(param2));
        }
        return;
    }
    if (id == kListId && code == platform::kNmClick && type == 15) {
        auto* list = m_controls->Get<platform::ListControl>(kListId);
        if (auto* connect = dynamic_cast<CQKButton*>(FindWidget(10243))) {
            connect->SetState(list && list->Selected() >= 0 ? 0 : 3);
        }
        return;
    }
    if (id == kHideCharsId && code == platform::kBnClicked) {
        auto* check = m_controls->Find(kHideCharsId);
        (void)check;
        m_hasSelection = !m_hasSelection;
        if (type == 20) {
            m_dialog.SetCheckFlag(m_dialog.CheckFlag() ? 0 : 1);
            return;
        }
        for (uint32_t e : {1012u, 1013u}) {
            if (auto* edit = m_controls->Get<platform::Edit>(e)) {
                edit->SetMask(edit->Mask() ? std::nullopt : std::optional<char32_t>(U'*'));
            }
        }
        return;
    }
    if ((id == 1005 || id == 1010) && code == platform::kEnChange && type == 21) {
        RemoveSeparatorFromEdit(id);
        return;
    }
    if (id == 205 && code == platform::kCbnSelChange && type == 21 && pages) {
        pages->OnApClientEncryptionChanged(m_dialog);
        return;
    }
    if ((id == 2003 || id == 2004) && code == platform::kBnClicked && type == 21 && pages) {
        pages->OnApClientModeChanged(m_dialog, id);
        return;
    }
    if (id == kCommandCheckResult) {
        // Close the "checking" box, then show the result.
        const std::string title = Translate("Pemu") + " ";
        platform::WindowId box = m_wm->FindTopLevel(kWindowClass, title);
        if (box) {
            m_wm->Post(box, Message::Close());
        }
        if (pages) {
            pages->ShowCheckResult(m_dialog, static_cast<int>(code));
        }
        return;
    }
    if (id == kCommandLanguageChosen) {
        if (pages) {
            pages->OnLanguageSelected(m_dialog, m_dialog.Language());
        }
        DrawElements();
        BlitClientArea();
        return;
    }
    (void)param2;
}

}  // namespace ui
