// What the common dialog does with a click of a skinned widget, with Enter
// and with the security key, by control id and dialog type: pure decisions,
// so that the tables can be read and tested apart from the window that
// carries them out (CommonDialogWindow).
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ui {

enum class ClickAction {
    kNone,               // pointer events and buttons without an action
    kCancel,             // end with cancel
    kCancelResult2,      // result code 2, cancel
    kCancelThenResult0,  // cancel, then result code 0
    kOk,                 // end with OK
    kOkResult1,          // result code 1, close the shadow, OK
    kSelectedRowOk,      // a selected row of list 1009: keep its index, OK
    kConfirmPrompt,      // 10203: keep the prompt's input (or apply the volume page), OK
    kRefreshReceivers,   // 10223: new receiver discovery
    kProfileConnect,     // 10243
    kProfileKey,         // 10247: open type 14
    kProfileSecurityOk,  // 10248
    kQuickConnectSave,   // 10254
    kScanAccessPoints,   // 10258
    kKeyCheck,           // 10266: as Enter in type 4
    kProfileCommand,     // 10269, 10270, 10271, 10272: the profile page's own work
    kManualConnect,      // 10280
    kMessageCancel,      // 10313: close the shadow, cancel
    kApClientApply,      // 10334
    kApClientChoose,     // 10336
    kUpdateDownload,     // 10365
    kDontAskToggle,      // 10379
    kChangePassword,     // 20230: open type 31
    kVolumeConfirm,      // 20234
    kLanguageMenu,       // 20236
    kLanguageEntry,      // 20238..20247
    kTroubleshoot,       // 30127
    kManualAdd,          // 30128
    kPageExit,           // 30129
    kTileChosen,         // 30176..30179
    kVolumeMinimum,      // 30186
    kVolumeMaximum,      // 30187
    kTurnOffAudio,       // 30188
    kSetPasswordEnter,   // 30198
    kMinimise,           // 30212
    kFrameSync,          // 30226
};

// The action of a click of widget `controlId` in a dialog of `type`.
ClickAction ClassifyClick(uint32_t controlId, int type);

enum class EnterAction {
    kSelectedRowOk,               // types 1, 2, 19: the selected row (-1: none) and OK
    kKeyCheck,                    // type 4
    kStorePasswordOk,             // type 6
    kStorePasswordCloseShadowOk,  // types 30, 31
    kStoreAddressOk,              // type 32
    kProfileKeyOk,                // type 14
    kProfileOk,                   // type 15
    kQuickConnectOk,              // type 18
    kOk,                          // types 20, 21
    kSwallow,                     // types 25, 28
    kResult1Cancel,               // every other type
};

EnterAction ClassifyEnter(int type);

// The security key check of types 4 and 14: what happens to the two key
// texts entered.
enum class KeyCheck {
    kAccepted,      // 5 or 8..64 characters, both equal
    kNotIdentical,  // a box: 65292 "Warning" / 65340
    kBadLength,     // a beep (600 Hz, 100 ms)
};
// The most characters read of each key edit.
inline constexpr size_t kMaxKeyChars = 125;
KeyCheck CheckSecurityKey(std::string_view key, std::string_view confirmation);

// Whether a press on a dialog of `type` may move it (the prompts, the
// reconnect notice and the volume page stay put).
bool DialogMovesByDrag(int type);

}  // namespace ui
