// A check for tests that look at a common dialog: every caption of its
// skinned widgets shows whole at the size it is drawn.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ui/dialogs/common_dialog_window.h"
#include "ui/widgets/drawing_functions.h"

namespace ui {

// Each caption fits its box (and the window, `window`'s size): on one line,
// or for text elements wrapped; buttons on one line.
inline void ExpectCaptionsWhole(CommonDialogWindow& w, platform::Rect window,
                                const std::string& what = {}) {
    for (const WidgetPtr<>& widget : w.Widgets()) {
        if (widget->Caption().empty()) {
            continue;
        }
        const bool text = widget->ClassNameText() == "CQKText";
        const platform::Rect box =
            (text ? widget->VisibleArea() : widget->GetRect())
                .Intersect(platform::Rect{0, 0, window.Width(), window.Height()});
        const int size = widget->TextSize();
        const std::string& family = widget->FontFamily();
        const platform::Size line = MeasureTextExtent(widget->Caption(), family, size);
        bool whole = line.width <= box.Width() && line.height <= box.Height();
        if (!whole && text) {
            const platform::Size wrapped =
                MeasureTextExtent(widget->Caption(), family, size, box.Width());
            whole = wrapped.width <= box.Width() && wrapped.height <= box.Height();
        }
        EXPECT_TRUE(whole) << what << " " << widget->ElementName() << " \"" << widget->Caption()
                           << "\" at " << size << " px: " << line.width << " x " << line.height
                           << " in " << box.Width() << " x " << box.Height();
    }
}

}  // namespace ui
