// Scripting the connect-by-address loop's prompts for the connect page's
// tests: the answers the user types, and one failed pass (the address, the
// prompts and boxes that follow it, then the address prompt cancelled).
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/ui/dialogs/scripted_dialog_runner.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/page_operations.h"

namespace dialogtest {

// The address prompt's answers as the scripted runner gives them.
inline ui::ScriptedDialogRunner::Fill Address(std::string text, std::string code = {}) {
    return [text, code](ui::ModalDialog& m) {
        auto& d = static_cast<ui::CQKCommonDlg&>(m);
        d.SetIpText(text);
        d.SetLoginCode(code);
    };
}
inline ui::ScriptedDialogRunner::Fill Code(std::string code) {
    return [code](ui::ModalDialog& m) { static_cast<ui::CQKCommonDlg&>(m).SetLoginCode(code); };
}

// Connects a type 2 page of `env` to `address`, answering each of `between`
// with OK (prompts with the code 1234) and cancelling the address prompt
// that comes back. Expects the loop to end without a connection, having
// shown exactly the address prompt, `between` and the address prompt again.
inline void ExpectFailedConnectPass(ui::DialogEnvironment env, ui::PageOperations& pages,
                                    const std::string& address,
                                    const std::vector<ui::DialogRecord>& between) {
    ui::ScriptedDialogRunner script;
    env.runner = &script;
    script.ThenType(32, ui::kIdOk, Address(address));
    for (const ui::DialogRecord& r : between) {
        script.ThenType(r.type, ui::kIdOk, Code("1234"));
    }
    script.ThenType(32, ui::kIdCancel);  // back to the address, then cancelled
    ui::CQKCommonDlg page(env);
    page.SetType(2);
    EXPECT_FALSE(pages.ManualConnectByIp(page));
    std::vector<ui::DialogRecord> want = {{32, "", ""}};
    want.insert(want.end(), between.begin(), between.end());
    want.push_back({32, "", ""});
    EXPECT_EQ(script.Records(), want);
    EXPECT_TRUE(page.Receivers().empty());
    EXPECT_EQ(script.Unexpected(), 0);
}

}  // namespace dialogtest
