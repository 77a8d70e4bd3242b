#include "ui/dialogs/common_dispatch.h"

namespace ui {

ClickAction ClassifyClick(uint32_t id, int type) {
    (void)type;
    switch (id) {
        case 10019:
            return ClickAction::kCancel;
        case 10020:
        case 10261:
            return ClickAction::kSelectedRowOk;
        case 10021:
            return ClickAction::kCancel;
        case 10203:
            return ClickAction::kConfirmPrompt;
        case 10218:
        case 30042:
            return ClickAction::kOkResult1;
        case 10223:
            return ClickAction::kRefreshReceivers;
        case 10243:
            return ClickAction::kProfileConnect;
        case 10247:
            return ClickAction::kProfileKey;
        case 10248:
            return ClickAction::kProfileSecurityOk;
        case 10254:
            return ClickAction::kQuickConnectSave;
        case 10258:
            return ClickAction::kScanAccessPoints;
        case 10266:
            return ClickAction::kKeyCheck;
        case 10269:
        case 10270:
        case 10271:
        case 10272:
            return ClickAction::kProfileCommand;
        case 10280:
            return ClickAction::kManualConnect;
        case 10313:
            return ClickAction::kMessageCancel;
        case 10334:
            return ClickAction::kApClientApply;
        case 10336:
            return ClickAction::kApClientChoose;
        case 10365:
            return ClickAction::kUpdateDownload;
        case 10379:
            return ClickAction::kDontAskToggle;
        case 10217:
        case 10242:
        case 10253:
        case 10260:
        case 10262:
        case 10267:
        case 10333:
        case 10335:
        case 10364:
        case 20235:
        case 30091:
            return ClickAction::kCancelResult2;
        case 10273:
        case 10275:
            return ClickAction::kCancelThenResult0;
        case 20230:
            return ClickAction::kChangePassword;
        case 20234:
            return ClickAction::kVolumeConfirm;
        case 20236:
            return ClickAction::kLanguageMenu;
        case 30127:
            return ClickAction::kTroubleshoot;
        case 30128:
            return ClickAction::kManualAdd;
        case 30129:
            return ClickAction::kPageExit;
        case 30153:
            return ClickAction::kNone;
        case 30186:
            return ClickAction::kVolumeMinimum;
        case 30187:
            return ClickAction::kVolumeMaximum;
        case 30188:
            return ClickAction::kTurnOffAudio;
        case 30198:
            return ClickAction::kSetPasswordEnter;
        case 30199:
        case 30203:
        case 30213:
            return ClickAction::kCancel;
        case 30212:
            return ClickAction::kMinimise;
        case 30226:
            return ClickAction::kFrameSync;
        default:
            break;
    }
    if (id >= 20238 && id <= 20247) {
        return ClickAction::kLanguageEntry;
    }
    if (id >= 30176 && id <= 30179) {
        return ClickAction::kTileChosen;
    }
    if ((id >= 10203 && id <= 10379) || (id >= 20234 && id <= 20247) ||
        (id >= 30042 && id <= 30226) || id < 10203) {
        return ClickAction::kOk;
    }
    return ClickAction::kNone;
}

EnterAction ClassifyEnter(int type) {
    switch (type) {
        case 1:
        case 2:
        case 19:
            return EnterAction::kSelectedRowOk;
        case 4:
            return EnterAction::kKeyCheck;
        case 6:
            return EnterAction::kStorePasswordOk;
        case 30:
        case 31:
            return EnterAction::kStorePasswordCloseShadowOk;
        case 32:
            return EnterAction::kStoreAddressOk;
        case 14:
            return EnterAction::kProfileKeyOk;
        case 15:
            return EnterAction::kProfileOk;
        case 18:
            return EnterAction::kQuickConnectOk;
        case 20:
        case 21:
            return EnterAction::kOk;
        case 25:
        case 28:
            return EnterAction::kSwallow;
        default:
            return EnterAction::kResult1Cancel;
    }
}

KeyCheck CheckSecurityKey(std::string_view key, std::string_view confirmation) {
    key = key.substr(0, kMaxKeyChars);
    confirmation = confirmation.substr(0, kMaxKeyChars);
    if (key != confirmation) {
        return KeyCheck::kNotIdentical;
    }
    // WEP keys have 5 characters, WPA pass phrases 8 to 64.
    if (key.size() == 5 || (key.size() >= 8 && key.size() <= 64)) {
        return KeyCheck::kAccepted;
    }
    return KeyCheck::kBadLength;
}

bool DialogMovesByDrag(int type) {
    switch (type) {
        case 6:
        case 16:
        case 30:
        case 31:
        case 32:
        case 33:
            return false;
        default:
            return true;
    }
}

}  // namespace ui
