// The dialog seams: the scripted runner's records and answers, the fakes.
#include <gtest/gtest.h>

#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/ctv_expand_dlg.h"
#include "ui/dialogs/testing/fake_main_window_services.h"
#include "ui/dialogs/testing/recording_page_operations.h"
#include "ui/dialogs/testing/scripted_dialog_runner.h"

namespace ui {
namespace {

TEST(ScriptedDialogRunner, AnswersInOrderRecordsEveryBoxAndCancelsBeyondTheScript) {
    ScriptedDialogRunner runner;
    runner.ThenType(6, kIdOk,
                    [](ModalDialog& d) { static_cast<CQKCommonDlg&>(d).SetEnteredText("1234"); });
    runner.ThenType(10, kIdOk);

    DialogEnvironment env;
    env.runner = &runner;
    CQKCommonDlg prompt(env);
    prompt.SetType(6);
    prompt.SetTitleText("Login");
    EXPECT_EQ(env.runner->DoModal(prompt), kIdOk);
    EXPECT_EQ(prompt.EnteredText(), "1234");

    CQKCommonDlg box(env);
    box.SetType(9);  // the script wants 10
    box.SetTitleText("Warning");
    box.SetMessageText("text");
    EXPECT_EQ(runner.DoModal(box), kIdOk);
    EXPECT_EQ(runner.TypeMismatches(), 1);

    CTVExpandDlg offsets;
    EXPECT_EQ(runner.DoModal(offsets), kIdCancel);
    EXPECT_EQ(runner.Unexpected(), 1);

    std::vector<DialogRecord> want = {{6, "Login", ""},
                                      {9, "Warning", "text"},
                                      {CTVExpandDlg::kRecordType, "TV Offset Compensation", ""}};
    EXPECT_EQ(runner.Records(), want);
}

TEST(DialogFakes, RecordCallsAndSettingWrites) {
    FakeMainWindowServices main;
    EXPECT_TRUE(main.WriteSetting("TVExpandWidth", "12"));
    EXPECT_EQ(main.Settings().tvExpandWidth, 12);
    EXPECT_EQ(main.MakeClient(platform::WindowId()), nullptr);
    EXPECT_EQ(main.clientTargets.size(), 1u);

    RecordingPageOperations pages;
    DialogEnvironment env;
    CQKCommonDlg dialog(env);
    pages.PreparePage(dialog);
    pages.FillProfilePage(dialog, 2);
    pages.OnTileHover(dialog, 0x4000000, 30233);
    std::vector<std::string> want = {"PreparePage", "FillProfilePage 2",
                                     "OnTileHover 67108864 30233"};
    EXPECT_EQ(pages.Calls(), want);
}

TEST(CQKCommonDlg, ApFilterKeepsNonEmptyPrefixes) {
    CQKCommonDlg dialog(DialogEnvironment{});
    dialog.SetApFilter("abc;;de;");
    EXPECT_TRUE(dialog.ApFilterOn());
    EXPECT_EQ(dialog.ApFilterPrefixes(), (std::vector<std::string>{"abc", "de"}));
    dialog.SetApFilter("");
    EXPECT_FALSE(dialog.ApFilterOn());
    EXPECT_TRUE(dialog.ApFilterPrefixes().empty());
}

}  // namespace
}  // namespace ui
