#include "ui/dialogs/common_element_builder.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstdio>

#include "app/res/version_info.h"
#include "platform/controls/control_set.h"
#include "platform/controls/edit.h"
#include "platform/controls/image_list.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/draw/image_loader.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/access_point_scan.h"
#include "ui/dialogs/common_layout_tables.h"
#include "ui/dialogs/common_text_styles.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/widgets/element_fields.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_scrollbar.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_host.h"

namespace ui {
namespace {

constexpr const char* kOwnerClass = "CQKCommonDlg";
// The character shown for each character of the six-digit password.
constexpr char32_t kPasswordDot = U'\u25CF';

// Characters, not bytes: translations of "Cancel" are UTF-8.
size_t Utf8Length(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

bool IsMessageType(int type) {
    return (type >= 8 && type <= 12) || type == 20 || type == 26 || type == 34;
}

platform::ColorRef Colour(uint32_t bgr) {
    return platform::ColorRef::FromRgb(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The profile pages' bitmap strips (add, remove, page buttons, exit): their
// records give one frame's width, not the strip's.
bool RecordHoldsOneFrame(const LayoutElement& record) {
    if (record.LoadsPng()) {
        return false;
    }
    const uint32_t id = record.resourceId;
    return id == 5019 || id == 5020 || id == 5021 || id == 5024;
}

// The text a text element shows in place of its caption, if any.
std::string TextContent(CommonBuildContext& ctx, const LayoutElement& record,
                        const std::string& caption) {
    CQKCommonDlg& d = ctx.dialog;
    WidgetHost& host = ctx.host;
    const std::string name = record.Name();
    const int type = d.Type();
    auto translated = [&](const std::string& text) {
        return text.empty() ? text : host.TranslateText(text);
    };
    if (IsMessageType(type)) {
        return name == "MESSAGE_TITLE_TEXT" ? translated(d.TitleText())
                                            : translated(d.MessageText());
    }
    if (type == 38) {
        if (name == "MESSAGE_TITLE_TEXT") {
            return translated(d.TitleText());
        }
        if (name == "MESSAGE_RESOLUTION_SUBTITLE_TEXT") {
            return translated(d.MessageText());
        }
        return caption;
    }
    if (type == 6 && record.id == 10387) {
        return caption + d.ReceiverName();
    }
    if (type == 4) {
        const std::string word = SecurityWord(d.ChosenAuthentication());
        if (name == "AP_SUBTITLE_TEXT") {
            return FillFirstPlaceholder(host.LoadTranslatedString(65259), word);
        }
        if (name == "AP_KEY_TEXT") {
            return FillFirstPlaceholder(host.LoadTranslatedString(65260), word);
        }
        if (name == "AP_TITLE_TEXT" && !d.TitleText().empty()) {
            return translated(d.TitleText());
        }
    }
    if (name == "INFO_PRODUCT_TEXT") {
        const appres::FileVersion v = appres::ProgramFileVersion();
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, " v%d.%d.%d.%d", v.major, v.minor, v.build,
                      v.revision);
        return caption + buffer;
    }
    if (name == "APCILENT_TV_SSID_VALUE") {
        return d.InitialText();
    }
    if (name == "AUTOUPDATE_VERSION_NUMBER_TEXT") {
        return "PEMU " + d.VersionText();
    }
    if (type == 27 && record.id >= 30180 && record.id <= 30183) {
        const size_t index = record.id - 30180;
        return index < d.Receivers().size() ? d.Receivers()[index].name : std::string();
    }
    return caption;
}

void BuildText(CommonBuildContext& ctx, const LayoutElement& record) {
    auto text = MakeWidget<CQKText>();
    text->SetOwner(&ctx.host, kOwnerClass);
    text->SetTopLevel(true);
    ApplyLayoutElement(*text, record, &ctx.host);
    text->SetCaption(ElementCaption(ctx, record));
    const CommonTextStyle style = CommonTextStyleFor(record.id, ctx.dialog.CenterMessage());
    text->SetFormatFlags(style.flags);
    text->SetTextColour(Colour(style.colour));
    text->SetSecondColour(Colour(kTextSecondColour));
    text->SetTextSize(style.size);
    text->SetWeight(style.weight);
    text->SetFontFamily(ctx.dialog.Environment().fontName);
    if (text->CreateWidget()) {
        ctx.widgets.push_back(std::move(text));
    }
}

// Makes the window of an image or button with the record's picture. PNG
// strips are cut from the record's size; bitmaps are cut from their own.
bool CreateWithPicture(CQKin& widget, const LayoutElement& record, int resourceId) {
    if (record.LoadsPng()) {
        widget.SetPngSize(record.w, record.h);
        return widget.CreateWidgetWithPng(resourceId);
    }
    return widget.CreateWidgetWithBitmap(resourceId);
}

void BuildImage(CommonBuildContext& ctx, const LayoutElement& record) {
    auto image = MakeWidget<CQKImage>();
    image->SetOwner(&ctx.host, kOwnerClass);
    image->SetTopLevel(true);
    ApplyLayoutElement(*image, record, &ctx.host);
    image->SetFontFamily(ctx.dialog.Environment().fontName);
    if (CreateWithPicture(*image, record, static_cast<int>(record.resourceId))) {
        ctx.widgets.push_back(std::move(image));
    }
}

void BuildButton(CommonBuildContext& ctx, const LayoutElement& record) {
    CQKCommonDlg& d = ctx.dialog;
    auto button = MakeWidget<CQKButton>();
    button->SetOwner(&ctx.host, kOwnerClass);
    button->SetTopLevel(true);
    ApplyLayoutElement(*button, record, &ctx.host);
    button->SetFontFamily(d.Environment().fontName);
    const uint32_t id = record.id;
    if (d.Type() == 27 && id >= 30176 && id <= 30179) {
        button->SetVisibleFlag(id - 30176 < d.Receivers().size());
    }
    button->SetCaption(ElementCaption(ctx, record));
    const ButtonLook look = LookOfButton(ctx, record, button->Caption());
    button->SetRect(look.rect);
    if (CreateWithPicture(*button, look.picture, look.resource)) {
        ctx.widgets.push_back(std::move(button));
    }
}

void BuildListView(CommonBuildContext& ctx, const LayoutElement& record) {
    auto list = MakeWidget<CQKListView>();
    list->SetOwner(&ctx.host, kOwnerClass);
    list->SetTopLevel(true);
    ApplyLayoutElement(*list, record, &ctx.host);
    list->SetFontFamily(ctx.dialog.Environment().fontName);
    if (list->CreateWidget()) {
        ctx.widgets.push_back(std::move(list));
    }
}

void BuildScrollbar(CommonBuildContext& ctx, const LayoutElement& record) {
    auto bar = MakeWidget<CQKScrollbar>();
    bar->SetOwner(&ctx.host, kOwnerClass);
    bar->SetTopLevel(true);
    ApplyLayoutElement(*bar, record, &ctx.host);
    if (bar->CreateWidget() && bar->CreateChildren()) {
        ctx.widgets.push_back(std::move(bar));
    }
}

void PlaceControl(platform::Control& control, const LayoutElement& record) {
    control.Move(record.Rect());
    control.Show(record.shown != 0);
}

void SetUpEdit(CommonBuildContext& ctx, platform::Edit& edit, const LayoutElement& record) {
    CQKCommonDlg& d = ctx.dialog;
    const std::string name = record.Name();
    const int type = d.Type();
    PlaceControl(edit, record);
    if (name == "USER_NAME") {
        edit.SetText(ctx.userName);
    } else if (name == "PROFILE_USERNAME") {
        edit.SetText(d.CurrentProfile().userName);
    } else if (name == "PROFILE_LOGINCODE") {
        const std::string& code = d.CurrentProfile().loginCode;
        edit.SetText(code == kDefaultLoginCode ? "****" : code);
    } else if (name == "PROFILE_AP") {
        if (d.CurrentProfile().ssid.empty()) {
            edit.SetText("<<Existing Network>>");
            edit.Enable(false);
        } else {
            edit.SetText(d.CurrentProfile().ssid);
        }
    }
    if (name == "IP_EDIT" || name == "PASSWORD") {
        edit.SetFont(platform::ControlFont::FromPixels("Futura-Book", 20, 400));
    }
    if (name == "PASSWORD") {
        edit.SetText(d.LoginCode());
        // The first-start page draws the field's frame in its picture.
        if (type == 35) {
            edit.SetBorder(false);
        }
    }
    if (name == "PROFILE_KEY" || name == "PROFILE_KEYCHECK" || (name == "PASSWORD" && type == 30)) {
        edit.SetMask(U'*');
    }
    if (name == "APCILENT_HOMEAP_PASSWORD") {
        edit.SetLimit(64);
    } else if (name == "PROFILE_AP" || name == "PROFILE_SSID") {
        edit.SetLimit(32);
    } else if (name == "PROFILE_USERNAME" || name == "USER_NAME") {
        edit.SetLimit(12);
    } else if (name == "PASSWORD" && type != 30) {
        edit.SetLimit(6);
        edit.SetMask(kPasswordDot);
    } else if (name == "PROFILE_LOGINCODE" || name == "LOGIN_CODE") {
        edit.SetLimit(4);
    } else if (name == "MAX_FRAME") {
        edit.SetLimit(2);
    }
}

void SetUpList(CommonBuildContext& ctx, platform::ListControl& list, const LayoutElement& record) {
    CQKCommonDlg& d = ctx.dialog;
    WidgetHost& host = ctx.host;
    PlaceControl(list, record);
    // The light blue is the rows' background behind the texts too; the
    // texts keep the dark grey of the dialog's other controls.
    list.SetColours(Colour(16772315), Colour(0x1E1E1E));
    list.SetImageList(ctx.listImages);
    list.SetFont(platform::ControlFont::FromPixels(d.Environment().fontName, 16, 400));
    list.DeleteAllRows();
    while (list.ColumnCount() > 0) {
        list.DeleteColumn(0);
    }
    int column = 0;
    for (const ListColumnSpec& spec : ListColumnsFor(d.Type())) {
        list.InsertColumn(column++, host.LoadTranslatedString(spec.titleStringId), spec.width);
    }
    switch (d.Type()) {
        case 1:
        case 19:
            RefillAccessPointList(d, &list, d.ApFilterOn());
            break;
        case 2: {
            // The address in column 0 and the name in column 1, under their
            // headers.
            int row = 0;
            for (const DiscoveredReceiver& r : d.Receivers()) {
                list.InsertRow(row, r.ip);
                list.SetCell(row, 1, r.name);
                ++row;
            }
            if (row > 0) {
                list.Select(0);
            }
            break;
        }
        case 13:
        case 15: {
            int row = 0;
            for (const ConnectionProfile& p : d.Profiles()) {
                list.InsertRow(row++, p.name);
            }
            break;
        }
        default:
            break;
    }
}

void BuildControl(CommonBuildContext& ctx, const LayoutElement& record, const std::string& cls) {
    if (!ctx.controls) {
        return;
    }
    platform::Control* control = ctx.controls->Find(record.id);
    if (!control) {
        return;
    }
    if (cls == "CEdit") {
        if (auto* edit = dynamic_cast<platform::Edit*>(control)) {
            SetUpEdit(ctx, *edit, record);
        }
    } else if (cls == "CListControl") {
        if (auto* list = dynamic_cast<platform::ListControl*>(control)) {
            SetUpList(ctx, *list, record);
        }
    } else if (cls == "CQKIPController") {
        PlaceControl(*control, record);
        if (auto* ip = dynamic_cast<platform::IpAddressControl*>(control)) {
            ip->SetAddress(ntohl(ctx.dialog.Ipv4()));
        }
        control->Enable(!ctx.dialog.IpReadOnly());
    } else if (cls == "CRadio" || cls == "CCheckBox") {
        PlaceControl(*control, record);
        const std::string caption = record.Text();
        if (!caption.empty()) {
            control->SetText(ctx.host.TranslateText(caption));
        }
    } else if (cls == "CCombo") {
        PlaceControl(*control, record);
    }
}

}  // namespace

std::string ElementCaption(CommonBuildContext& ctx, const LayoutElement& record) {
    const std::string english = record.Text();
    const std::string caption = english.empty() ? english : ctx.host.TranslateText(english);
    const std::string cls = record.ClassName();
    if (cls == "CQKText") {
        return TextContent(ctx, record, caption);
    }
    CQKCommonDlg& d = ctx.dialog;
    if (cls == "CQKButton" && record.id == 20236 && !d.Language().empty()) {
        return d.Language();
    }
    if (cls == "CQKButton" && record.id == 10365) {
        return d.UpdateIsNewer() ? d.DownloadText() : ctx.host.TranslateText("OK");
    }
    return caption;
}

ButtonLook LookOfButton(CommonBuildContext& ctx, const LayoutElement& record,
                        const std::string& caption) {
    CQKCommonDlg& d = ctx.dialog;
    ButtonLook look{record.Rect(), record, static_cast<int>(record.resourceId)};
    // A strip's record holds the whole strip; the button is one frame.
    if (record.frames > 1 && !RecordHoldsOneFrame(record)) {
        look.rect.right = look.rect.left + record.w / static_cast<int>(record.frames);
    }
    const uint32_t id = record.id;
    if (id == 30188) {
        look.resource = d.TurnOffAudio() ? 5218 : 5217;
    } else if (id == 30226) {
        look.resource = d.TurnOffVsync() ? 5218 : 5217;
    }
    if (id == 10203 && (d.Type() == 31 || d.Type() == 32) && RussianCatalogue(ctx.host)) {
        look.rect.left -= 30;
    }
    if (id == 10253 && Utf8Length(caption) > 11) {
        // Long translations of "Cancel" take the wider button picture: a
        // PNG strip of four 112-pixel frames.
        look.resource = 5171;
        std::fill(std::begin(look.picture.resourceType), std::end(look.picture.resourceType),
                  u'\0');
        std::copy_n(u"PNG", 3, look.picture.resourceType);
        look.picture.w = 448;
        look.rect.right = look.rect.left + 112;
    }
    return look;
}

void ChangeButtonPicture(CQKin& button, const ButtonLook& look) {
    if (look.picture.LoadsPng()) {
        button.SetPngSize(look.picture.w, look.picture.h);
        button.SetPngFlag(button.ChangePngImage(look.resource));
        return;
    }
    button.SetPngFlag(false);
    if (look.resource != 0) {
        button.LoadBitmapResource(look.resource);
    } else {
        button.ClearImage();
    }
}

std::vector<ListColumnSpec> ListColumnsFor(int type) {
    switch (type) {
        case 1:
        case 19:
            return {{65252, 295}};
        case 2:
            return {{65264, 120}, {65265, 175}};
        case 13:
            return {{65278, 100}};
        case 15:
            return {{65278, 250}};
        default:
            return {};
    }
}

std::unique_ptr<platform::ImageList> MakeAccessPointImages(const std::string& skinFolder) {
    static constexpr int kIds[] = {5098, 5099, 5100, 5101, 5102, 5103, 5104, 5105, 5106, 5107};
    platform::ImageLoader loader(skinFolder);
    return platform::ImageList::FromBitmapResources(loader, kIds);
}

int AccessPointImageIndex(int signal, int authentication) {
    // Five steps of signal, each upper bound inclusive: up to 20, 21 to 40,
    // 41 to 60, 61 to 80, above 80. The open networks' pictures follow.
    const int bars = signal <= 20 ? 0 : signal <= 40 ? 1 : signal <= 60 ? 2 : signal <= 80 ? 3 : 4;
    return bars + (authentication == 1 ? 5 : 0);
}

std::string FillFirstPlaceholder(std::string_view text, std::string_view value) {
    std::string out(text);
    const size_t at = out.find("%s");
    if (at != std::string::npos) {
        out.replace(at, 2, value);
    }
    return out;
}

std::string SecurityWord(int authentication) {
    switch (authentication) {
        case 3:
            return "WPA";
        case 6:
            return "WPA2";
        case 0:
            return "WEP";
        default:
            return "";
    }
}

bool RussianCatalogue(WidgetHost& host) {
    return host.TranslateText("en").starts_with("ru");
}

int BuildLayoutElements(CommonBuildContext& ctx) {
    std::vector<LayoutElement> table;
    if (!GetLayoutTable(ctx.dialog.Type(), table)) {
        return -1;
    }
    BuildLayoutElements(ctx, table);
    return 0;
}

void BuildLayoutElements(CommonBuildContext& ctx, std::span<const LayoutElement> table) {
    for (const LayoutElement& record : table) {
        const std::string cls = record.ClassName();
        if (cls == "CQKText") {
            BuildText(ctx, record);
        } else if (cls == "CQKImage") {
            BuildImage(ctx, record);
        } else if (cls == "CQKButton") {
            BuildButton(ctx, record);
        } else if (cls == "CQKListView") {
            BuildListView(ctx, record);
        } else if (cls == "CQKScrollbar") {
            BuildScrollbar(ctx, record);
        } else if (cls == "CEdit" || cls == "CListControl" || cls == "CQKIPController" ||
                   cls == "CRadio" || cls == "CCheckBox" || cls == "CCombo") {
            BuildControl(ctx, record, cls);
        }
        // Any other class makes nothing.
    }
}

}  // namespace ui
