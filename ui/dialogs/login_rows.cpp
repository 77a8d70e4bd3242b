#include "ui/dialogs/login_rows.h"

#include <algorithm>
#include <atomic>

#include "platform/socket.h"
#include "platform/wide_text.h"
#include "platform/window/window_manager.h"
#include "ui/dialogs/common_dialog_window.h"
#include "ui/dialogs/cqk_common_dlg.h"
#include "ui/dialogs/main_window_services.h"
#include "ui/widgets/qk_list_view.h"
#include "vrxclientsdk/VRXClient/VRXClient.h"

namespace ui {
namespace {

constexpr size_t kShownNameChars = 22;

}  // namespace

int64_t NextLoginRowSource() {
    static std::atomic<int64_t> next{1};
    return next.fetch_add(1);
}

std::string DisconnectedText(const std::string& name, uint32_t ipv4) {
    std::string text = "Device disconnected.";
    if (name.empty()) {
        return text;
    }
    const std::wstring wide = platform::Utf8ToWide(name);
    std::string shown = name;
    if (wide.size() > kShownNameChars) {
        shown = platform::WideToUtf8(wide.substr(0, kShownNameChars)) + "...";
    }
    return text + "\n(" + shown + ": " + platform::FormatIPv4(ipv4) + ")";
}

CQKListView* LoginListView(CQKCommonDlg& dialog) {
    CommonDialogWindow* w = dialog.RunningWindow();
    if (!w) {
        return nullptr;
    }
    for (const WidgetPtr<>& widget : w->Widgets()) {
        if (widget->ClassNameText() == "CQKListView") {
            return static_cast<CQKListView*>(widget.get());
        }
    }
    return nullptr;
}

int AddClientsForFound(CQKCommonDlg& dialog, MainWindowServices& main,
                       const std::vector<DevAnnounce>& found, std::vector<LoginRowEntry>& entries) {
    CQKListView* list = LoginListView(dialog);
    if (!list) {
        return -1;
    }
    for (const DevAnnounce& record : found) {
        const uint32_t ipv4 = record.GetIPv4();
        bool listed = false;
        for (const LoginRowEntry& e : entries) {
            listed = listed || e.ipv4 == ipv4;
        }
        if (listed) {
            continue;
        }
        const int64_t source = NextLoginRowSource();
        std::unique_ptr<VRXClient> client = main.MakeRowClient(dialog.Window(), source);
        if (!client) {
            continue;
        }
        list->AddLoginItem(client.get(), ipv4, record.GetName());
        entries.push_back({std::move(client), ipv4, record.GetName(), source});
    }
    // Pumps messages: a lost connection may take an entry out meanwhile.
    list->RefreshLoginStates();
    return static_cast<int>(entries.size());
}

bool RemoveClosedClient(CQKCommonDlg& dialog, std::vector<LoginRowEntry>& entries, int64_t source,
                        const std::function<void(const std::string&)>& showBox) {
    if (source == 0) {
        return false;
    }
    auto it = std::find_if(entries.begin(), entries.end(),
                           [source](const LoginRowEntry& e) { return e.source == source; });
    if (it == entries.end()) {
        return false;
    }
    LoginRowEntry gone = std::move(*it);
    entries.erase(it);
    if (CQKListView* list = LoginListView(dialog)) {
        list->RemoveClientRow(gone.client.get());
    }
    if (gone.client) {
        gone.client->Logout();
    }
    if (CommonDialogWindow* w = dialog.RunningWindow()) {
        w->DrawElements();
        if (platform::WindowManager* wm = platform::WindowManager::Current()) {
            wm->Invalidate(w->Window());
        }
    }
    if (showBox) {
        showBox(DisconnectedText(gone.name, gone.ipv4));
    }
    return true;
}

}  // namespace ui
