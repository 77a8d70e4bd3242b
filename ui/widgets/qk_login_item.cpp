#include "ui/widgets/qk_login_item.h"

#include <filesystem>
#include <system_error>

#include "platform/window/window_log.h"
#include "ui/widgets/button_look.h"
#include "ui/widgets/element_fields.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/receiver_log.h"
#include "ui/widgets/receiver_row_client.h"
#include "ui/widgets/widget_events.h"
#include "ui/widgets/widget_layout_tables.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {
namespace {

using platform::ColorRef;

constexpr std::string_view kConnectButton = "BLANKITEM_CONNECT_BUTTON";
constexpr std::string_view kDisconnectButton = "BLANKITEM_DISCONNECT_BUTTON";
constexpr std::string_view kIpText = "BLANKITEM_IP_TEXT";
constexpr std::string_view kSsidText = "BLANKITEM_SSID_TEXT";
constexpr std::string_view kDeviceNameText = "BLANKITEM_DEVICENAME_TEXT";

// How long a row asks the receiver for its record.
constexpr int kAnnounceTimeoutSeconds = 10;

}  // namespace

CQKLoginItem::CQKLoginItem() : ListRow("CQKLoginItem") {}

CQKLoginItem::~CQKLoginItem() {
    *m_alive = false;
}

void CQKLoginItem::Bind(VRXClient* client, uint32_t ipv4NetworkOrder, std::string name) {
    m_client = client;
    m_address = ipv4NetworkOrder;
    m_name = std::move(name);
}

int CQKLoginItem::ClientStatus() const {
    return m_client ? m_client->GetStatus() : kVrxDisconnected;
}

bool CQKLoginItem::CreateChildren() {
    SetImageId(kEvenBackground);
    if (!CreateWidgetWithBitmap(kEvenBackground)) {
        return false;
    }
    for (const LayoutElement& record : LoginRowLayout()) {
        const std::string cls = record.ClassName();
        if (cls == "CQKText") {
            auto text = MakeWidget<CQKText>();
            AdoptChild(*text);
            ApplyLayoutElement(*text, record, Host());
            text->SetVisibleFlag(true);
            text->SetTextColour(ColorRef::FromRgb(0, 0, 0));
            text->SetSecondColour(ColorRef::FromRgb(0xDE, 0xDE, 0xDE));
            text->SetTextSize(12);
            text->SetWeight(400);
            text->SetFormatFlags(kTextEllipsis);
            text->CreateWidget();
            AddChild(std::move(text));
        } else if (cls == "CQKButton") {
            auto button = MakeWidget<CQKButton>();
            AdoptChild(*button);
            button->SetOwner(Host(), "CQKCommonDlg");
            button->SetCreationParent(this);
            ApplyLayoutElement(*button, record, Host());
            button->SetTextSize(10);
            button->SetStyleValue(StyleValue());
            button->SetPngSize(252, 18);
            button->CreateWidgetWithPng(static_cast<int>(record.resourceId));
            AddChild(std::move(button));
        }
    }
    SetUpReceiverLog();
    RefreshChildren();
    return true;
}

bool CQKLoginItem::SetUpReceiverLog() {
    if (!m_client) {
        return false;
    }
    if (!m_settings) {
        return true;
    }
    const std::optional<ReceiverLogPlan> plan = PlanReceiverLog(*m_settings, m_name, m_address);
    if (!plan) {
        return true;
    }
    std::error_code ec;
    std::filesystem::create_directories(plan->folder, ec);
    if (ec) {
        platform::WindowLog("receiver log folder %s: %s", plan->folder.c_str(),
                            ec.message().c_str());
    }
    if (!plan->path.empty()) {
        const int rc = m_client->SetLog(plan->path.c_str(), plan->level, plan->append);
        if (rc < 0) {
            platform::WindowLog("receiver log %s could not be opened (%d)", plan->path.c_str(), rc);
        }
    }
    return true;
}

void CQKLoginItem::UpdateButtons() {
    for (const WidgetPtr<CQKin>& child : Children()) {
        if (child->ElementName() == kConnectButton) {
            child->SetVisibleFlag(!m_loggedIn);
        } else if (child->ElementName() == kDisconnectButton) {
            child->SetVisibleFlag(m_loggedIn);
        }
    }
}

void CQKLoginItem::RefreshChildren() {
    const bool connected = ClientStatus() != kVrxDisconnected;
    UpdateButtons();
    bool nameShown = false;
    for (const WidgetPtr<CQKin>& child : Children()) {
        if (auto* button = dynamic_cast<CQKButton*>(child.get())) {
            button->SetDisabled(!m_enabled);
            button->StoreState(m_enabled ? kButtonNormal : kButtonInactive);
            if (m_enabled) {
                button->SetHighlight(connected);
            }
        } else if (auto* text = dynamic_cast<CQKText*>(child.get())) {
            const std::string& name = text->ElementName();
            if (name == kIpText) {
                text->SetCaption(DottedIPv4(m_address));
            } else if (name == kSsidText || (name == kDeviceNameText && !nameShown)) {
                text->SetCaption(m_name);
                nameShown = nameShown || name == kDeviceNameText;
            }
            text->SetTextColour(connected   ? ColorRef::FromRgb(0x00, 0x5A, 0x91)
                                : m_enabled ? ColorRef::FromRgb(0, 0, 0)
                                            : ColorRef::FromRgb(0x80, 0x80, 0x80));
        }
    }
}

int CQKLoginItem::RefreshLoginState() {
    if (!m_client) {
        return -1;
    }
    if (m_client->GetStatus() == kVrxDisconnected) {
        m_loggedIn = false;
        UpdateButtons();
        return 0;
    }
    m_loggedIn = true;
    DevAnnounce record;
    // The request pumps window messages while it waits; the row may be gone
    // when it returns.
    const std::shared_ptr<bool> alive = m_alive;
    const int rc = m_client->ConnectToDeviceThruIP(m_address, &record, kAnnounceTimeoutSeconds);
    if (!*alive) {
        return 0;
    }
    if (rc >= 0) {
        std::string name = record.GetName();
        if (!name.empty()) {
            m_name = std::move(name);
        }
    }
    if (auto* flags = dynamic_cast<ReceiverMediaFlags*>(m_client)) {
        flags->ClearMediaFlags();
    }
    RefreshChildren();
    return 0;
}

// --- Media helpers --------------------------------------------------------------

int CQKLoginItem::CanPlayVideoFile() {
    if (ClientStatus() == kVrxDisconnected) {
        return -1;
    }
    const auto* flags = dynamic_cast<const ReceiverMediaFlags*>(m_client);
    return flags && flags->VideoFileFlag() ? 1 : 0;
}

int CQKLoginItem::PlayVideoFile(const std::wstring& path) {
    const int can = CanPlayVideoFile();
    if (can <= 0) {
        return can;
    }
    return m_client->PlayVideoFileW(path, true, 0) >= 0 ? 1 : 0;
}

int CQKLoginItem::PauseVideoFile() {
    const int status = ClientStatus();
    if (status == kVrxDisconnected) {
        return -1;
    }
    if (status == kVrxMediaPaused) {
        return 0;
    }
    return m_client->PauseResumeVideoFile() >= 0 ? 1 : 0;
}

int CQKLoginItem::ResumeVideoFile() {
    const int status = ClientStatus();
    if (status == kVrxDisconnected) {
        return -1;
    }
    if (status != kVrxMediaPaused) {
        return 0;
    }
    return m_client->PauseResumeVideoFile() >= 0 ? 1 : 0;
}

int CQKLoginItem::SeekVideoFile(double position) {
    const int status = ClientStatus();
    if (status == kVrxDisconnected) {
        return -1;
    }
    if (status != kVrxMediaPlaying) {
        return 0;
    }
    return m_client->SeekVideoFile(static_cast<int>(position)) >= 0 ? 1 : 0;
}

// --- Drawing and events --------------------------------------------------------

int CQKLoginItem::DrawToBackBuffer() {
    PaintScope scope(m_paintGuard);
    platform::Surface* back = BackBuffer();
    if (!scope.Entered() || !back) {
        return 0;
    }
    const CQKListView* list = List();
    const uint32_t background = list && list->Selection() == RowIndex() ? kSelectedBackground
                                : m_position % 2 == 0                   ? kEvenBackground
                                                                        : kOddBackground;
    SetImageId(background);
    LoadBitmapResource(static_cast<int>(background));
    UpdateButtons();
    if (!VisibleFlag()) {
        return 0;
    }
    // Keyed like every other bitmap frame: the skin's key pixels at the
    // background's corners never show.
    const platform::Point at = DrawingPosition();
    DrawFrame(DrawingFrames(), *back, 0, platform::kMagentaKey, at.x, at.y);
    for (const WidgetPtr<CQKin>& child : Children()) {
        if (auto* button = dynamic_cast<CQKButton*>(child.get())) {
            button->Redraw();
        } else {
            child->DrawToBackBuffer();
        }
    }
    return 0;
}

int64_t CQKLoginItem::OnLButtonDown(platform::Point p) {
    return m_enabled ? ListRow::OnLButtonDown(p) : 0;
}

int64_t CQKLoginItem::OnLButtonUp(platform::Point p) {
    return m_enabled ? ListRow::OnLButtonUp(p) : 0;
}

int CQKLoginItem::OnChildEvent(int code, CQKin* child) {
    (void)code;
    if (!m_enabled) {
        return -1;
    }
    if (!child) {
        return 0;
    }
    const uint32_t state = child->MouseState();
    if (state == kMouseDoubleClicked) {
        child->SetMouseState(kMouseIdle);
        SetMouseState(kMouseDoubleClicked);
    } else if (state != kMouseIdle && state != kMousePressed) {
        return 0;
    }
    if (Parent()) {
        Parent()->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

}  // namespace ui
