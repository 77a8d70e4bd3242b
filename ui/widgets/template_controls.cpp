#include "ui/widgets/template_controls.h"

#include "platform/controls/button.h"
#include "platform/controls/combo_box.h"
#include "platform/controls/control_set.h"
#include "platform/controls/edit.h"
#include "platform/controls/ip_address_control.h"
#include "platform/controls/list_control.h"
#include "platform/controls/static_control.h"
#include "platform/controls/trackbar.h"

namespace ui {

using namespace platform;
using appres::ControlKind;

namespace {

bool Has(const appres::DialogControl& entry, uint32_t style) {
    return (entry.styles & style) != 0;
}

}  // namespace

std::unique_ptr<Control> MakeTemplateControl(const appres::DialogControl& entry) {
    switch (entry.kind) {
        case ControlKind::kPushButton:
            return std::make_unique<Button>(ButtonStyle::kPush);
        case ControlKind::kRadioButton:
            // Every radio button of the templates checks itself.
            return std::make_unique<Button>(ButtonStyle::kAutoRadio);
        case ControlKind::kCheckBox:
            return std::make_unique<Button>(ButtonStyle::kAutoCheck);
        case ControlKind::kEdit: {
            auto edit = std::make_unique<Edit>();
            edit->SetDigitsOnly(Has(entry, appres::kControlNumber));
            if (Has(entry, appres::kControlPassword)) {
                edit->SetMask(kMaskAsterisk);
            }
            edit->SetBorder(Has(entry, appres::kControlBorder));
            return edit;
        }
        case ControlKind::kIpAddress: {
            auto ip = std::make_unique<IpAddressControl>();
            ip->SetBorder(Has(entry, appres::kControlBorder));
            return ip;
        }
        case ControlKind::kListView:
            return std::make_unique<ListControl>();
        case ControlKind::kComboBox:
            return std::make_unique<ComboBox>();
        case ControlKind::kSlider: {
            auto bar = std::make_unique<Trackbar>();
            bar->SetVertical(Has(entry, appres::kControlVertical));
            bar->SetTicks(Has(entry, appres::kControlTicks));
            return bar;
        }
        case ControlKind::kStatic:
            return std::make_unique<Static>(Has(entry, appres::kControlBorder)
                                                ? StaticStyle::kPictureFrame
                                                : StaticStyle::kLabel);
        case ControlKind::kGroupBox:
            return std::make_unique<Static>(StaticStyle::kGroupBox);
    }
    return nullptr;
}

int BuildTemplateControls(const appres::DialogTemplate& dialogTemplate, ControlSet& set,
                          const TemplateTextSource& text, const TemplateControlFactory& factory) {
    int made = 0;
    for (const appres::DialogControl& entry : dialogTemplate.controls) {
        std::unique_ptr<Control> control = factory ? factory(entry) : nullptr;
        if (!control) {
            control = MakeTemplateControl(entry);
        }
        ControlOptions options;
        options.id = entry.id;
        options.rect = entry.rect;
        options.visible = !Has(entry, appres::kControlHidden);
        options.text = text ? text(entry) : std::string(entry.text);
        if (set.Add(std::move(control), options)) {
            ++made;
        }
    }
    return made;
}

}  // namespace ui
