#include "app/features/message_box.h"

#include "app/features/feature_host.h"
#include "app/res/translator.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/dialog_environment.h"
#include "ui/dialogs/dialog_runner.h"

namespace pemuapp {

int ShowFeatureMessage(FeatureHost& host, const std::string& title, const std::string& text) {
    ui::DialogEnvironment& env = host.DialogEnv();
    if (!env.runner) {
        return ui::kIdCancel;
    }
    ui::CQKCommonDlg box(env);
    box.SetType(10);
    box.SetTitleText(title);
    box.SetMessageText(text);
    box.SetReference(host.MainWindowId());
    return env.runner->DoModal(box);
}

int ShowFeatureMessage(FeatureHost& host, uint32_t titleId, uint32_t textId) {
    return ShowFeatureMessage(host, appres::Translator::LoadString(titleId),
                              appres::Translator::LoadString(textId));
}

}  // namespace pemuapp
