#include "ui/widgets/qk_blank_item.h"

#include "ui/widgets/drawing_functions.h"
#include "ui/widgets/qk_list_view.h"
#include "ui/widgets/qk_text.h"
#include "ui/widgets/widget_events.h"

namespace ui {
namespace {

constexpr platform::ColorRef kWhite = platform::ColorRef::FromRgb(0xFF, 0xFF, 0xFF);
constexpr platform::ColorRef kNameGrey = platform::ColorRef::FromRgb(0x70, 0x70, 0x70);
constexpr platform::Argb kSelectedFill{0xFF1A6BBCu};
constexpr platform::Argb kFill{0xFFFFFFFFu};

}  // namespace

CQKBlankItem::CQKBlankItem() : ListRow("CQKBlankItem") {}

bool CQKBlankItem::CreateChildren(std::string deviceName) {
    if (!CreateWidgetWithBitmap(kBackgroundBitmap)) {
        return false;
    }
    auto text = MakeWidget<CQKText>();
    AdoptChild(*text);
    text->SetControlId(30207);
    text->SetElementName("BLANKITEM_DEVICENAME_TEXT");
    text->SetVisibleFlag(true);
    text->SetRect({14, 0, 540, 27});
    text->SetTextSize(15);
    text->SetWeight(400);
    text->SetFormatFlags(kTextVCenter | kTextEllipsis);
    text->SetTextColour(kNameGrey);
    text->SetSecondColour(platform::ColorRef::FromRgb(0xDE, 0xDE, 0xDE));
    text->SetCaption(std::move(deviceName));
    text->CreateWidget();
    m_text = AddChild(std::move(text));
    return true;
}

int CQKBlankItem::DrawToBackBuffer() {
    PaintScope scope(m_paintGuard);
    platform::Surface* back = BackBuffer();
    // A row the list hides keeps its old place: it must not draw there.
    if (!scope.Entered() || !back || !VisibleFlag()) {
        return 0;
    }
    const CQKListView* list = List();
    const bool selected = list && RowIndex() == list->Selection();
    const platform::Point at = DrawingPosition();
    FillRectSolid(*back, at.x, at.y, kWidth, kHeight, selected ? kSelectedFill : kFill);
    if (m_text) {
        if (selected) {
            m_text->SetTextColour(kWhite);
        } else if (m_text->TextColour() == kWhite) {
            m_text->SetTextColour(kNameGrey);
        }
    }
    for (const WidgetPtr<CQKin>& child : Children()) {
        child->DrawToBackBuffer();
    }
    return 0;
}

int CQKBlankItem::OnChildEvent(int code, CQKin* child) {
    (void)code;
    if (!child) {
        return 0;
    }
    const uint32_t state = child->MouseState();
    if (state == kMouseIdle || state == kMousePressed) {
        SetMouseState(kMouseIdle);
    } else if (state == kMouseDoubleClicked) {
        child->SetMouseState(kMouseIdle);
        SetMouseState(kMouseDoubleClicked);
    } else {
        return 0;
    }
    if (Parent()) {
        Parent()->OnChildEvent(kChildPressed, this);
    }
    return 0;
}

}  // namespace ui
