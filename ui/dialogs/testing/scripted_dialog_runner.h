// ScriptedDialogRunner: a DialogRunner for tests that opens no window.
//
// Each DoModal takes the next step of the script: the step may check the
// dialog's type, may fill the dialog's results (as a user typing or
// choosing would) and gives the result DoModal returns. Every call is
// recorded (type, title, text) whether scripted or not; a call beyond the
// script returns kIdCancel and counts as unexpected.
//
// Usage:
//   ui::ScriptedDialogRunner runner;
//   runner.Then(ui::kIdOk, [](ui::ModalDialog& d) {
//       static_cast<ui::CQKCommonDlg&>(d).SetEnteredText("1234");
//   });
//   ... code under test calls runner.DoModal(dialog) ...
//   EXPECT_EQ(runner.Records()[0].type, 6);
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "ui/dialogs/dialog_runner.h"

namespace ui {

class ScriptedDialogRunner final : public DialogRunner {
public:
    using Fill = std::function<void(ModalDialog&)>;

    struct Step {
        int result = kIdOk;
        std::optional<int> expectType;  // checked against the dialog's type
        Fill fill;                      // may be empty
    };

    // Appends a step answering `result` after running `fill`.
    ScriptedDialogRunner& Then(int result, Fill fill = {}) {
        m_steps.push_back(Step{result, std::nullopt, std::move(fill)});
        return *this;
    }
    // As Then, and the dialog must be of `type` (else counted in TypeMismatches).
    ScriptedDialogRunner& ThenType(int type, int result, Fill fill = {}) {
        m_steps.push_back(Step{result, type, std::move(fill)});
        return *this;
    }

    int DoModal(ModalDialog& dialog) override {
        DialogRecord record = dialog.Describe();
        m_records.push_back(record);
        if (m_steps.empty()) {
            ++m_unexpected;
            return kIdCancel;
        }
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        if (step.expectType && *step.expectType != record.type) {
            ++m_typeMismatches;
        }
        if (step.fill) {
            step.fill(dialog);
        }
        return step.result;
    }

    const std::vector<DialogRecord>& Records() const { return m_records; }
    size_t StepsLeft() const { return m_steps.size(); }
    int Unexpected() const { return m_unexpected; }
    int TypeMismatches() const { return m_typeMismatches; }

private:
    std::deque<Step> m_steps;
    std::vector<DialogRecord> m_records;
    int m_unexpected = 0;
    int m_typeMismatches = 0;
};

}  // namespace ui
