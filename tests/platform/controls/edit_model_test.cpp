// The edit's rules without a window: what typing, pasting and setting do
// under a limit, digits only and a filter, and where the caret ends.
#include "platform/controls/edit_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/controls/utf32.h"

namespace platform {
namespace {

// One step of a row: an operation and its argument.
struct Step {
    enum Op { kType, kPaste, kSet, kBack, kDel, kSelectAll, kLeft, kHome, kEndShift } op;
    std::string text;
};

struct Row {
    const char* what;
    size_t limit;
    bool digits;
    bool noSemicolon;
    std::vector<Step> steps;
    std::string text;
    size_t caret;
    int changes;   // steps that changed the text
    int refusals;  // steps that rang the bell
};

TEST(EditModelTest, LimitDigitsFilterAndPaste) {
    using S = Step;
    // clang-format off
    const Row rows[] = {
        {"limit stops typing", 3, false, false, {{S::kType, "abcd"}}, "abc", 3, 3, 1},
        {"typing replaces a selection at the limit", 3, false, false,
         {{S::kType, "abc"}, {S::kSelectAll, ""}, {S::kType, "x"}}, "x", 1, 4, 0},
        {"digits refuse letters", 10, true, false, {{S::kType, "1a2"}}, "12", 2, 2, 1},
        {"the filter drops silently", 10, false, true, {{S::kType, "a;b"}}, "ab", 2, 2, 0},
        {"paste takes the first line", 10, false, false, {{S::kPaste, "12\n34"}}, "12", 2, 1, 0},
        {"paste drops control characters", 10, false, false, {{S::kPaste, "a\tb"}}, "ab", 2, 1, 0},
        {"paste fills up to the limit", 4, false, false,
         {{S::kType, "ab"}, {S::kPaste, "cdef"}}, "abcd", 4, 3, 1},
        {"paste into digits keeps the digits", 10, true, false, {{S::kPaste, "1a2"}}, "12", 2, 1, 1},
        {"paste of nothing acceptable keeps the selection", 10, true, false,
         {{S::kType, "12"}, {S::kSelectAll, ""}, {S::kPaste, "ab"}}, "12", 2, 2, 1},
        {"paste applies the filter", 10, false, true, {{S::kPaste, "a;b;"}}, "ab", 2, 1, 0},
        {"set text ignores limit and digits", 2, true, false, {{S::kSet, "****"}}, "****", 0, 1, 0},
        {"set text applies the filter", 10, false, true, {{S::kSet, "x;y"}}, "xy", 0, 1, 0},
        {"set text of the same text changes nothing", 10, false, false,
         {{S::kSet, "ab"}, {S::kSet, "ab"}}, "ab", 0, 1, 0},
        {"backspace at the start does nothing", 10, false, false,
         {{S::kType, "ab"}, {S::kHome, ""}, {S::kBack, ""}}, "ab", 0, 2, 0},
        {"delete removes the selection", 10, false, false,
         {{S::kType, "abc"}, {S::kLeft, ""}, {S::kEndShift, ""}, {S::kDel, ""}}, "ab", 2, 4, 0},
        {"characters beyond the basic plane count once", 2, false, false,
         {{S::kType, "\xF0\x9F\x98\x80\xC3\xA9x"}}, "\xF0\x9F\x98\x80\xC3\xA9", 2, 2, 1},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EditModel m;
        m.SetLimit(r.limit);
        m.SetDigitsOnly(r.digits);
        if (r.noSemicolon) {
            m.SetFilter([](char32_t c) { return c != U';'; });
        }
        int changes = 0;
        int refusals = 0;
        auto count = [&](EditModel::Result res) {
            changes += res.changed ? 1 : 0;
            refusals += res.refused ? 1 : 0;
        };
        for (const Step& s : r.steps) {
            switch (s.op) {
                case Step::kType:
                    for (char32_t c : Utf8ToUtf32(s.text)) {
                        count(m.Type(c));
                    }
                    break;
                case Step::kPaste:
                    count(m.Paste(Utf8ToUtf32(s.text)));
                    break;
                case Step::kSet:
                    changes += m.SetText(Utf8ToUtf32(s.text)) ? 1 : 0;
                    break;
                case Step::kBack:
                    count(m.Backspace());
                    break;
                case Step::kDel:
                    count(m.DeleteForward());
                    break;
                case Step::kSelectAll:
                    m.SelectAll();
                    break;
                case Step::kLeft:
                    m.Left(false);
                    break;
                case Step::kHome:
                    m.Home(false);
                    break;
                case Step::kEndShift:
                    m.End(true);
                    break;
            }
        }
        EXPECT_EQ(Utf32ToUtf8(m.Text()), r.text);
        EXPECT_EQ(m.Caret(), r.caret);
        EXPECT_EQ(changes, r.changes);
        EXPECT_EQ(refusals, r.refusals);
    }
}

TEST(EditModelTest, CaretMovesAndSelections) {
    EditModel m;
    m.SetText(U"hello");
    m.End(false);
    m.Left(true);
    m.Left(true);
    EXPECT_EQ(m.Selection(), (std::pair<size_t, size_t>{3, 5}));
    EXPECT_EQ(m.SelectedText(), U"lo");
    m.Left(false);
    EXPECT_EQ(m.Caret(), 3u) << "a selection collapses to its start";
    EXPECT_FALSE(m.HasSelection());
    m.Right(true);
    m.Right(false);
    EXPECT_EQ(m.Caret(), 4u) << "and to its end";
    m.Select(1, 99);
    EXPECT_EQ(m.Selection(), (std::pair<size_t, size_t>{1, 5})) << "clamped to the text";
    EXPECT_TRUE(m.Cut().changed);
    EXPECT_EQ(m.Text(), U"h");
    EXPECT_FALSE(m.Cut().changed) << "nothing selected";
}

}  // namespace
}  // namespace platform
