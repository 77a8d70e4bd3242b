#include "ui/dialogs/tv_expand_window.h"

#include <algorithm>
#include <string>

#include "app/res/dialog_templates.h"
#include "app/res/translator.h"
#include "platform/controls/control_notices.h"
#include "platform/controls/edit.h"
#include "platform/controls/trackbar.h"
#include "platform/window/window_limits.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/ctv_expand_dlg.h"
#include "ui/dialogs/dialog_runner.h"
#include "ui/widgets/template_controls.h"

namespace ui {
namespace {

constexpr uint32_t kTemplateId = 199;
// Arial 7.5 and 8.5 point at 96 dots per inch.
constexpr int kSmallFontPixels = 10;
constexpr int kTextFontPixels = 11;
constexpr int kTickFrequency = 50;

struct Place {
    uint32_t id;
    platform::Rect rect;
};

// Where each control lies in the client area.
constexpr Place kPlaces[] = {
    {178, platform::Rect::FromXywh(7, 7, 406, 280)},
    {196, platform::Rect::FromXywh(39, 23, 252, 159)},
    {181, platform::Rect::FromXywh(33, 185, 264, 28)},
    {182, platform::Rect::FromXywh(296, 43, 28, 142)},
    {1004, platform::Rect::FromXywh(297, 23, 33, 20)},
    {1005, platform::Rect::FromXywh(297, 193, 33, 20)},
    {179, platform::Rect::FromXywh(337, 20, 60, 50)},
    {180, platform::Rect::FromXywh(337, 190, 60, 50)},
    {183, platform::Rect::FromXywh(40, 232, 365, 55)},
    {1, platform::Rect::FromXywh(259, 294, 73, 21)},
    {2, platform::Rect::FromXywh(340, 294, 73, 21)},
};

constexpr uint32_t kSmallFontIds[] = {179, 180, 195, 194, 193, 192, 191,
                                      190, 189, 188, 187, 186, 185, 184};
constexpr uint32_t kTextFontIds[] = {1004, 1005, 183, 1, 2};

}  // namespace

TvExpandWindow::~TvExpandWindow() {
    m_languageWatch.Reset();
    m_controls.reset();
    if (m_wm && platform::WindowManager::Current() == m_wm && m_wm->IsAlive(m_window)) {
        m_wm->Destroy(m_window);
    }
}

platform::Trackbar* TvExpandWindow::HorizontalSlider() const {
    return m_controls ? m_controls->Get<platform::Trackbar>(kTvHorizontalSlider) : nullptr;
}
platform::Trackbar* TvExpandWindow::VerticalSlider() const {
    return m_controls ? m_controls->Get<platform::Trackbar>(kTvVerticalSlider) : nullptr;
}
platform::Edit* TvExpandWindow::HorizontalEdit() const {
    return m_controls ? m_controls->Get<platform::Edit>(kTvHorizontalEdit) : nullptr;
}
platform::Edit* TvExpandWindow::VerticalEdit() const {
    return m_controls ? m_controls->Get<platform::Edit>(kTvVerticalEdit) : nullptr;
}

bool TvExpandWindow::Create() {
    m_wm = platform::WindowManager::Current();
    const appres::DialogTemplate* t = appres::DialogTemplates::Find(kTemplateId);
    if (!m_wm || !m_wm->IsUiThread() || !t) {
        return false;
    }
    const platform::Rect screen = m_wm->ScreenArea();
    platform::WindowOptions o = platform::DialogWindowOptions(
        {},
        platform::Rect::FromXywh(screen.left + (screen.Width() - t->size.width) / 2,
                                 screen.top + (screen.Height() - t->size.height) / 2, t->size.width,
                                 t->size.height),
        this);
    o.title = appres::Translator::LoadString(65343);
    m_window = m_wm->Create(o);
    if (!m_window) {
        return false;
    }
    m_controls = std::make_unique<platform::ControlSet>(*m_wm, m_window);
    // Statics are drawn on white.
    m_controls->SetColourCallback(
        [](uint32_t, platform::ControlKind kind) -> std::optional<platform::ControlColours> {
            if (kind != platform::ControlKind::kStatic) {
                return std::nullopt;
            }
            platform::ControlColours c;
            c.textBackground = platform::ColorRef(0xFFFFFF);
            c.fill = platform::ColorRef(0xFFFFFF);
            return c;
        });
    BuildTemplateControls(*t, *m_controls, [](const appres::DialogControl& entry) {
        return entry.textStringId ? appres::Translator::LoadString(entry.textStringId)
                                  : std::string(entry.text);
    });
    m_languageWatch = appres::Translator::OnLanguageChanged([this] { RereadTexts(); });
    for (const Place& p : kPlaces) {
        if (platform::Control* c = m_controls->Find(p.id)) {
            c->Move(p.rect);
        }
    }
    for (uint32_t id : kSmallFontIds) {
        if (platform::Control* c = m_controls->Find(id)) {
            c->SetFont(platform::ControlFont::FromPixels("Arial", kSmallFontPixels));
        }
    }
    for (uint32_t id : kTextFontIds) {
        if (platform::Control* c = m_controls->Find(id)) {
            c->SetFont(platform::ControlFont::FromPixels("Arial", kTextFontPixels));
        }
    }
    const int maximum = m_dialog.Maximum();
    if (platform::Edit* e = HorizontalEdit()) {
        e->SetLimit(3);
    }
    if (platform::Edit* e = VerticalEdit()) {
        e->SetLimit(3);
    }
    if (platform::Trackbar* h = HorizontalSlider()) {
        h->SetTickFrequency(kTickFrequency);
        h->SetRange(0, maximum);
        h->SetPos(m_dialog.HorizontalOffset());
    }
    if (platform::Trackbar* v = VerticalSlider()) {
        // The vertical slider's top is the largest offset.
        v->SetTickFrequency(kTickFrequency);
        v->SetRange(0, m_dialog.VerticalRange());
        v->SetPos(maximum - m_dialog.VerticalOffset());
    }
    if (platform::Edit* e = VerticalEdit()) {
        e->SetText(std::to_string(m_dialog.VerticalOffset()));
    }
    if (platform::Edit* e = HorizontalEdit()) {
        e->SetText(std::to_string(m_dialog.HorizontalOffset()));
    }
    return true;
}

void TvExpandWindow::RereadTexts() {
    const appres::DialogTemplate* t = appres::DialogTemplates::Find(kTemplateId);
    if (!t || !m_wm || !m_wm->IsAlive(m_window)) {
        return;
    }
    m_wm->SetTitle(m_window, appres::Translator::LoadString(65343));
    for (const appres::DialogControl& entry : t->controls) {
        platform::Control* c = m_controls->Find(entry.id);
        if (c && entry.textStringId != 0) {
            c->SetText(appres::Translator::LoadString(entry.textStringId));
        }
    }
}

int TvExpandWindow::Run() {
    if (!Create()) {
        return platform::kModalAborted;
    }
    const int result = m_wm->RunModal(m_window);
    if (m_result) {
        return *m_result;
    }
    return result == platform::kModalAborted ? result : kIdCancel;
}

int TvExpandWindow::ReadEdit(platform::Edit& edit) {
    const std::string text = edit.Text();
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > 100000) {
            break;
        }
    }
    const int maximum = m_dialog.Maximum();
    if (value > maximum) {
        edit.SetText(std::to_string(maximum));  // notifies again, within range now
        return maximum;
    }
    return static_cast<int>(value);
}

void TvExpandWindow::OnHorizontalEdit() {
    platform::Edit* edit = HorizontalEdit();
    if (!edit) {
        return;
    }
    const int value = ReadEdit(*edit);
    m_dialog.SetHorizontalOffset(value);
    if (platform::Trackbar* h = HorizontalSlider()) {
        h->SetPos(value);
    }
}

void TvExpandWindow::OnVerticalEdit() {
    platform::Edit* edit = VerticalEdit();
    if (!edit) {
        return;
    }
    const int value = ReadEdit(*edit);
    if (platform::Trackbar* v = VerticalSlider()) {
        v->SetPos(m_dialog.Maximum() - value);
    }
}

void TvExpandWindow::OnApply() {
    if (platform::Trackbar* h = HorizontalSlider()) {
        m_dialog.SetHorizontalOffset(h->Pos());
    }
    if (platform::Trackbar* v = VerticalSlider()) {
        m_dialog.SetVerticalOffset(m_dialog.Maximum() - v->Pos());
    }
    m_result = kIdOk;
    m_wm->EndModal(m_window, kIdOk);
}

int64_t TvExpandWindow::OnMessage(platform::WindowId self, const platform::Message& msg) {
    if (self != m_window) {
        return kDefault;
    }
    switch (msg.kind) {
        case platform::MessageKind::kPaint: {
            if (m_controls) {
                auto surface = platform::Surface::Create(msg.rect.right, msg.rect.bottom);
                if (surface) {
                    surface->Clear(platform::Argb(0xFFF0F0F0));
                    m_controls->Present(*surface, msg.rect);
                }
            }
            return 0;
        }
        case platform::MessageKind::kCommand:
            switch (msg.code) {
                case platform::kCommandOk:
                    OnApply();
                    return 0;
                case kTvHorizontalSlider:
                    if (platform::Trackbar* h = HorizontalSlider()) {
                        if (platform::Edit* e = HorizontalEdit()) {
                            e->SetText(std::to_string(h->Pos()));
                        }
                        m_dialog.SetHorizontalOffset(h->Pos());
                    }
                    return 0;
                case kTvVerticalSlider:
                    if (platform::Trackbar* v = VerticalSlider()) {
                        if (platform::Edit* e = VerticalEdit()) {
                            e->SetText(std::to_string(m_dialog.Maximum() - v->Pos()));
                        }
                    }
                    return 0;
                case kTvHorizontalEdit:
                    if (msg.param == platform::kEnChange) {
                        OnHorizontalEdit();
                    }
                    return 0;
                case kTvVerticalEdit:
                    if (msg.param == platform::kEnChange) {
                        OnVerticalEdit();
                    }
                    return 0;
                default:
                    return kDefault;
            }
        default:
            return kDefault;
    }
}

}  // namespace ui
