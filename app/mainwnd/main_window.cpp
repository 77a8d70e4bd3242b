// The main window's page: building it from the table, drawing it into the
// back buffer and presenting it, the tile widgets, the height and region of
// the tile modes, the device name and the receiver list.
#include "app/mainwnd/main_window.h"

#include <algorithm>

#include "app/maindlg/main_dlg.h"
#include "app/mainwnd/window_shape.h"
#include "app/res/dialog_templates.h"
#include "app/res/translator.h"
#include "platform/controls/edit.h"
#include "platform/draw/text_layout.h"
#include "ui/dialogs/common_layout_tables.h"
#include "ui/widgets/element_fields.h"
#include "ui/widgets/qk_button.h"
#include "ui/widgets/qk_image.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/skin_images.h"
#include "ui/widgets/template_controls.h"

namespace pemuapp {
namespace {

constexpr const char* kOwnerClass = "CQKinMainDlg";
constexpr platform::ColorRef kWhite(0xFFFFFF);
// RGB 26, 107, 188 and RGB 112, 112, 112 as COLORREF (0x00BBGGRR).
constexpr platform::ColorRef kNameBlue(0xBC6B1A);
constexpr platform::ColorRef kNameGrey(0x707070);
constexpr uint8_t kTextCentreVertically = 4;
constexpr int kNameTextSize = 15;

bool IsOverlay(uint32_t id) {
    // Pictures laid over a tile: the tile underneath takes the pointer.
    return (id >= kPlayFirst && id <= kPauseFirst + 6) ||
           (id >= kSwapFirst && id < kSwapFirst + 4) || (id >= kLockFirst && id < kLockFirst + 4) ||
           (id >= kHighlightFirst && id < kHighlightFirst + 4);
}

const ui::LayoutElement* RecordOf(uint32_t id) {
    for (const ui::LayoutElement& r : MainPageTable()) {
        if (r.id == id) {
            return &r;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const ui::LayoutElement> MainPageTable() {
    // The common dialog shows this page again as its type 29, from the
    // same table.
    return ui::LayoutTableOf(29);
}

float VolumeScalar(int value) {
    if (value >= 157) {
        return 1.0f;
    }
    return std::clamp(static_cast<float>(value) / 138.0f, 0.0f, 1.0f);
}

MainWindow::MainWindow(platform::WindowManager& wm, MainWindowHooks hooks)
    : m_wm(wm), m_hooks(std::move(hooks)) {}

MainWindow::~MainWindow() {
    m_listView = nullptr;
    m_widgets.clear();
    m_controls.reset();
}

platform::WindowId MainWindow::Window() const {
    return m_engine ? m_engine->Window() : platform::WindowId();
}

ui::SkinImages* MainWindow::Skin() {
    return m_engine ? m_engine->DialogEnv().skin : nullptr;
}

std::string MainWindow::TranslateText(std::string_view english) {
    return english.empty() ? std::string() : appres::Translator::Translate(english);
}

// --- building ----------------------------------------------------------------

void MainWindow::BuildMainPage() {
    if (!m_engine || !Window() || m_back) {
        return;
    }
    m_connected = false;
    m_fourTiles = false;
    if (!m_engine->DialogEnv().fontName.empty()) {
        m_fontFamily = m_engine->DialogEnv().fontName;
    }
    m_loginCode = m_engine->Settings().loginCode;
    m_volumeValue = std::clamp(m_engine->Settings().volume, 0, 157);
    m_back = platform::Surface::Create(kMainWidth, kFourTileHeight);
    if (!m_back) {
        return;
    }
    m_back->Clear(platform::Argb(0xFF000000));
    m_controls = std::make_unique<platform::ControlSet>(m_wm, Window());
    if (const appres::DialogTemplate* t = appres::DialogTemplates::Find(ui::kMainDialogTemplate)) {
        ui::BuildTemplateControls(*t, *m_controls);
    }
    for (const ui::LayoutElement& record : MainPageTable()) {
        BuildWidget(record);
    }
    m_wm.SetRegion(Window(), MainWindowRegion(true));
    RefreshTiles(kBackgroundId);
}

void MainWindow::BuildWidget(const ui::LayoutElement& record) {
    const std::string cls = record.ClassName();
    const int frames = std::max<int>(1, static_cast<int>(record.frames));
    const int resource = static_cast<int>(record.resourceId);
    auto configure = [&](ui::CQKin& w) {
        w.SetOwner(this, kOwnerClass);
        w.SetTopLevel(true);
        ui::ApplyLayoutElement(w, record, this);
        w.SetFrameCount(frames);
        w.SetFontFamily(m_fontFamily);
        w.SetInputTransparent(IsOverlay(record.id));
    };
    auto oneFrame = [&] {
        return platform::Rect::FromXywh(record.x, record.y, record.w / frames, record.h);
    };
    if (cls == "CQKButton") {
        auto button = ui::MakeWidget<ui::CQKButton>();
        configure(*button);
        button->SetTextSize(11);
        button->SetRect(oneFrame());
        bool made = false;
        if (record.LoadsPng()) {
            button->SetPngSize(record.w, record.h);
            made = button->CreateWidgetWithPng(resource);
        } else {
            made = button->CreateWidgetWithBitmap(resource);
        }
        if (made) {
            m_widgets.push_back(std::move(button));
        }
    } else if (cls == "CQKImage") {
        auto image = ui::MakeWidget<ui::CQKImage>();
        configure(*image);
        image->SetRect(oneFrame());
        if (record.LoadsPng()) {
            image->SetPngSize(record.w, record.h);
            if (image->CreateWidgetWithPng(resource)) {
                m_widgets.push_back(std::move(image));
            }
        } else {
            // A bitmap image is only a picture the page draws: no window.
            if (resource != 0) {
                image->LoadBitmapResource(resource);
            }
            m_widgets.push_back(std::move(image));
        }
    } else if (cls == "CQKText") {
        auto text = ui::MakeWidget<ui::CQKText>();
        configure(*text);
        text->SetWeight(400);
        const std::string name = record.Name();
        if (name == "QKINMAIN_CONNECT_TO_TV_DEVICE_NAME_TEXT") {
            text->SetTextColour(kWhite);
            text->SetTextSize(15);
            text->SetFormatFlags(kTextCentreVertically);
        } else if (record.id >= kNameFirst && record.id < kNameFirst + kTileCount) {
            text->SetTextColour(kNameBlue);
            text->SetTextSize(kNameTextSize);
            text->SetFormatFlags(0);
        }
        if (text->CreateWidget()) {
            m_widgets.push_back(std::move(text));
        }
    } else if (cls == "CQKListView") {
        auto list = ui::MakeWidget<ui::CQKListView>();
        configure(*list);
        list->SetVisibleFlag(true);
        if (list->CreateWidgetWithBitmap(resource)) {
            m_listView = list.get();
            m_widgets.push_back(std::move(list));
        }
    } else if (cls == "CEdit") {
        SetUpDeviceNameEdit(record);
    }
}

void MainWindow::SetUpDeviceNameEdit(const ui::LayoutElement& record) {
    auto* edit = m_controls ? m_controls->Get<platform::Edit>(record.id) : nullptr;
    if (!edit) {
        return;
    }
    edit->SetFont(platform::ControlFont::FromPixels("Futura-Book", 20, 400));
    edit->Show(false);
    edit->Move(record.Rect());
    edit->SetLimit(kDeviceNameLimit);
    if (m_engine && m_engine->Client()) {
        ShowReceiverName(m_engine->Client()->receiverName);
    }
}

ui::CQKin* MainWindow::FindWidget(uint32_t id) const {
    for (const ui::WidgetPtr<>& w : m_widgets) {
        if (w->ControlId() == id) {
            return w.get();
        }
    }
    return nullptr;
}

platform::Control* MainWindow::DeviceNameEdit() const {
    return m_controls ? m_controls->Find(kDeviceNameEditId) : nullptr;
}

// --- drawing -------------------------------------------------------------------

int MainWindow::CopyHeight() const {
    return MainWindowHeight(m_fourTiles);
}

int MainWindow::MeasureText(const std::string& text, const std::string& family, int pixels,
                            int weight) const {
    if (m_hooks.measure) {
        return m_hooks.measure(text, family, pixels, weight);
    }
    platform::TextStyle style;
    style.family = family;
    style.pixelSize = pixels;
    style.weight = weight;
    style.singleLine = true;
    return platform::MeasureText(text, style).width;
}

void MainWindow::LayoutTileTexts() {
    for (int k = 0; k < kTileCount; ++k) {
        ui::CQKin* name = FindWidget(kNameFirst + k);
        const ui::LayoutElement* layout = RecordOf(kNameFirst + k);
        if (!name || !layout || !name->VisibleFlag()) {
            continue;
        }
        const int width =
            std::min(MeasureText(name->Caption(), m_fontFamily, kNameTextSize, 400), 192);
        const int left = TileNameLeft(layout->x, width);
        name->SetRect(
            platform::Rect{left, layout->y, left + std::max(width + 2, 1), layout->y + layout->h});
        ui::CQKin* signal = FindWidget(kSignalFirst + k);
        const ui::LayoutElement* signalLayout = RecordOf(kSignalFirst + k);
        if (signal && signalLayout) {
            const int x = SignalIconLeft(signalLayout->x, width, signalLayout->w);
            signal->SetRect(
                platform::Rect::FromXywh(x, signalLayout->y, signalLayout->w, signalLayout->h));
        }
    }
    ui::CQKin* device = FindWidget(kDeviceNameTextId);
    const ui::LayoutElement* deviceLayout = RecordOf(kDeviceNameTextId);
    if (device && deviceLayout && !device->Caption().empty()) {
        const int width =
            std::min(MeasureText(device->Caption(), m_fontFamily, 15, 400), deviceLayout->w);
        device->SetRect(
            platform::Rect::FromXywh(deviceLayout->x, deviceLayout->y, width + 5, deviceLayout->h));
        ui::CQKin* button = FindWidget(kDeviceListButtonId);
        const ui::LayoutElement* buttonLayout = RecordOf(kDeviceListButtonId);
        if (button && buttonLayout) {
            button->SetRect(platform::Rect::FromXywh(buttonLayout->x + deviceLayout->x + width + 8,
                                                     buttonLayout->y, buttonLayout->w,
                                                     buttonLayout->h));
        }
    }
}

void MainWindow::SetVisible(ui::CQKin& widget, bool visible) {
    widget.SetVisibleFlag(visible);
    widget.ShowWidgetWindow(visible);
}

void MainWindow::DrawPage() {
    if (!m_back) {
        return;
    }
    LayoutTileTexts();
    if (ui::CQKin* mask = FindWidget(kMaskId)) {
        SetVisible(*mask, m_listShown);
    }
    if (ui::CQKin* button = FindWidget(kDeviceListButtonId)) {
        SetVisible(*button, m_severalReceivers);
    }
    if (ui::CQKin* list = FindWidget(kListViewId)) {
        SetVisible(*list, m_listShown);
    }
    for (const ui::WidgetPtr<>& w : m_widgets) {
        w->DrawToBackBuffer();
    }
    BlitClientArea();
}

void MainWindow::RefreshPage() {
    if (m_drawing) {
        m_drawing = false;
        DrawPage();
        m_drawing = true;
    }
}

void MainWindow::BlitClientArea() {
    Present(platform::Rect{0, 0, kMainWidth, CopyHeight()});
}

bool MainWindow::PaintMainWindow(const platform::Rect& area) {
    if (!m_back) {
        return false;
    }
    LayoutTileTexts();
    for (const ui::WidgetPtr<>& w : m_widgets) {
        w->DrawToBackBuffer();
    }
    const platform::Rect page{0, 0, kMainWidth, CopyHeight()};
    const platform::Rect r{std::max(area.left, page.left), std::max(area.top, page.top),
                           std::min(area.right, page.right), std::min(area.bottom, page.bottom)};
    if (r.Width() > 0 && r.Height() > 0) {
        Present(r);
    }
    return true;
}

// --- tiles ------------------------------------------------------------------------

void MainWindow::Apply(const TileChanges& changes) {
    for (const TileChange& c : changes.All()) {
        ui::CQKin* w = FindWidget(c.id);
        if (!w) {
            continue;
        }
        if (c.picture) {
            switch (c.picture->kind) {
                case TilePicture::Kind::kBitmap:
                    w->LoadBitmapResource(static_cast<int>(c.picture->id));
                    break;
                case TilePicture::Kind::kPng:
                    w->ChangePngImage(static_cast<int>(c.picture->id));
                    break;
                case TilePicture::Kind::kFile:
                    w->LoadImageFile(Skin(), c.picture->file);
                    break;
            }
        }
        if (c.tooltip) {
            w->SetTooltipText(LoadTranslatedString(c.tooltip));
        }
        if (c.visible) {
            SetVisible(*w, *c.visible);
        }
    }
}

platform::Point MainWindow::PointerInClient() const {
    const std::optional<platform::Point> p = m_wm.ScreenToClient(Window(), m_wm.CursorPos());
    return p ? *p : platform::Point{-1, -1};
}

void MainWindow::RefreshTiles(int hoverId) {
    if (VRXClient* client = NoteSessionClient()) {
        m_connected = client->GetStatus() != kVrxDisconnected;
    }
    TileInputs in;
    in.connected = m_connected;
    in.fourTiles = m_fourTiles;
    in.positions = &m_positions;
    in.hoverId = static_cast<uint32_t>(hoverId);
    in.pointer = PointerInClient();
    in.moderatedTile = m_moderatedTile;
    in.thumbnailFolder = m_hooks.thumbnailFolder;
    in.fileExists = m_hooks.fileExists;
    Apply(pemuapp::RefreshTiles(in));
    if (m_connected) {
        for (int k = 0; k < kTileCount && k < static_cast<int>(m_positions.size()); ++k) {
            if (ui::CQKin* name = FindWidget(kNameFirst + k)) {
                name->SetCaption(TileNameText(m_positions[k]));
            }
        }
    }
    RefreshPage();
}

void MainWindow::UpdateTileButtons(uint32_t tileId, uint32_t hoverCode) {
    Apply(pemuapp::UpdateTileButtons(tileId, hoverCode, m_positions));
}

void MainWindow::SetTileNameText(uint32_t hoverCode, uint32_t textId) {
    auto* text = dynamic_cast<ui::CQKText*>(FindWidget(textId));
    if (!text) {
        return;
    }
    const size_t k = textId - kNameFirst;
    if (k < m_positions.size()) {
        text->SetCaption(TileNameText(m_positions[k]));
    }
    if (hoverCode == kPointerEntered) {
        text->SetTextColour(kNameBlue);
    } else if (hoverCode == kPointerLeft) {
        text->SetTextColour(kNameGrey);
    }
    RefreshPage();
}

void MainWindow::ShowTileWidgets(bool hide) {
    for (const ui::WidgetPtr<>& w : m_widgets) {
        const uint32_t id = w->ControlId();
        const bool tile = (id >= kTileButtonFirst && id <= kPauseFirst + 6) ||
                          (id >= kHighlightFirst && id < kHighlightFirst + kTileCount) ||
                          (id >= kSwapFirst && id < kSwapFirst + kTileCount);
        if (!tile) {
            continue;
        }
        if (hide) {
            w->SetRect(platform::Rect::FromXywh(500, 500, 0, 0));
        } else if (const ui::LayoutElement* r = RecordOf(id)) {
            const int frames = std::max<int>(1, static_cast<int>(r->frames));
            w->SetRect(platform::Rect::FromXywh(r->x, r->y, r->w / frames, r->h));
        }
    }
}

void MainWindow::SetMainWindowHeight(bool fourTiles) {
    m_fourTiles = fourTiles;
    const platform::WindowId window = Window();
    if (!window) {
        return;
    }
    m_wm.SetRegion(window, MainWindowRegion(fourTiles));
    if (std::optional<platform::Rect> r = m_wm.GetRect(window)) {
        m_wm.Move(window, platform::Rect::FromXywh(r->left, r->top, kMainWidth,
                                                   MainWindowHeight(fourTiles)));
    }
}

void MainWindow::AdjustHeightAndTiles() {
    SetMainWindowHeight(m_positions.size() > 2);
    RefreshTiles(kBackgroundId);
}

// --- device name and receiver list ---------------------------------------------------

void MainWindow::ShowReceiverName(const std::string& name) {
    if (name.empty()) {
        return;
    }
    if (platform::Control* edit = DeviceNameEdit()) {
        edit->SetText(name);
        if (edit->HasFocus()) {
            m_wm.SetFocus({});
        }
    }
    if (ui::CQKin* text = FindWidget(kDeviceNameTextId)) {
        text->SetCaption(name);
    }
    m_currentNameIndex = -1;
    for (size_t i = 0; i < m_receivers.size(); ++i) {
        if (m_receivers[i].name == name) {
            m_currentNameIndex = static_cast<int>(i);
            break;
        }
    }
    RefreshPage();
}

void MainWindow::FillReceiverList(const std::vector<ReceiverRow>& rows) {
    m_receivers = rows;
    m_severalReceivers = rows.size() > 1;
    if (m_listView) {
        ui::CQKin* text = FindWidget(kDeviceNameTextId);
        const std::string current = text ? text->Caption() : std::string();
        m_listView->RemoveAll();
        for (const ReceiverRow& row : rows) {
            if (!current.empty() && row.name == current) {
                continue;
            }
            m_listView->AddBlankItem(row.name);
        }
    }
    RefreshPage();
}

bool MainWindow::IsDeviceNameEditVisible() {
    platform::Control* edit = DeviceNameEdit();
    return edit && edit->IsVisible();
}

}  // namespace pemuapp
