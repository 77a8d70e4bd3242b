// BuildLayoutElements: turns a common dialog's layout table into its page.
//
// For each record it makes a skinned widget (text, image, button, list
// view, scrollbar) as a child of the dialog's window, or takes the standard
// control of the same id from the dialog's ControlSet (made from template
// 146, all hidden), moves it to the record's rectangle and shows it. Text
// elements get their style by control id; some elements take their text or
// picture from what the creator put into the dialog.
//
// Not the window: CommonDialogWindow owns the widgets and the controls and
// draws them; the page code (PageOperations) fills the pages afterwards.
// THREADING: user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/widgets/layout_element.h"
#include "ui/widgets/qkin.h"

namespace platform {
class ControlSet;
class ImageList;
}  // namespace platform

namespace ui {

class CQKCommonDlg;
class WidgetHost;

// The default login code, never shown in a profile page.
inline constexpr std::string_view kDefaultLoginCode = "6049";

struct CommonBuildContext {
    CQKCommonDlg& dialog;
    WidgetHost& host;                   // the dialog window: texts, skin, window
    platform::ControlSet* controls;     // null: standard-control records are skipped
    std::vector<WidgetPtr<>>& widgets;  // receives the widgets in table order
    std::string userName;               // of the session ("username")
    // The small pictures of list 1009's rows (borrowed; null: none).
    const platform::ImageList* listImages = nullptr;
};

// The caption a skinned widget of `record` shows: the record's caption
// translated, or what the dialog puts there instead (the creator's title
// and message, the security word, the version, the language name...).
// Building uses it, and so does re-reading the texts in a new language.
std::string ElementCaption(CommonBuildContext& ctx, const LayoutElement& record);

// Where a skinned button of `record` with `caption` lies and which picture
// it shows: one frame of its strip, the Russian catalogue's wider CONFIRM of
// the password prompts, the wide picture of a long "Cancel", the switch
// pictures. `picture` is the record the picture is loaded by (its type and
// strip size).
struct ButtonLook {
    platform::Rect rect;
    LayoutElement picture;
    int resource;
};
ButtonLook LookOfButton(CommonBuildContext& ctx, const LayoutElement& record,
                        const std::string& caption);

// Gives a built button the picture of `look` (a new language).
void ChangeButtonPicture(CQKin& button, const ButtonLook& look);

// List 1009's columns per dialog type: header string id and width.
struct ListColumnSpec {
    uint32_t titleStringId;
    int width;
};
std::vector<ListColumnSpec> ListColumnsFor(int type);

// The row pictures of list 1009: bitmaps 5098 to 5107 of the skin, 0 to 4
// bars of a network that asks for a key, then 0 to 4 bars of an open one.
std::unique_ptr<platform::ImageList> MakeAccessPointImages(const std::string& skinFolder);
// The picture of an access point's row: its bars (0 for a signal up to 20,
// 1 up to 40, 2 up to 60, 3 up to 80, else 4), plus 5 for an open network
// (authentication 1).
int AccessPointImageIndex(int signal, int authentication);

// Replaces the security word's "%s" (the first one only) in a catalog text:
// the text is never used as a format, so other '%' directives stay as they
// are.
std::string FillFirstPlaceholder(std::string_view text, std::string_view value);

// The security word of an access point's authentication value.
std::string SecurityWord(int authentication);

// True when the current catalogue is the Russian one (gettext of "en"
// starts with "ru").
bool RussianCatalogue(WidgetHost& host);

// Builds the page of ctx.dialog's type. Returns 0, or -1 when the type has
// no table (nothing is built).
int BuildLayoutElements(CommonBuildContext& ctx);
// Builds the records of `table` in its order (the type's table, or another).
void BuildLayoutElements(CommonBuildContext& ctx, std::span<const LayoutElement> table);

}  // namespace ui
