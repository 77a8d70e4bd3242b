// The common dialog's layout tables. Columns of E(): id, element name,
// class, x, y, w, h, resource type ("PNG"; "BMP", "PMP" or empty name
// bitmaps), resource id, frames, English caption, tooltip string id, shown.
// Names and captions are kept as the program has always had them, including
// their misspellings ("AP_CENCEL_BUTTON", "Warrning"): other code finds
// elements by them.
#include "ui/dialogs/common_layout_tables.h"

namespace ui {
namespace {

constexpr LayoutElement E(uint32_t id, std::u16string_view name, std::u16string_view cls, int32_t x,
                          int32_t y, int32_t w, int32_t h, std::u16string_view resourceType,
                          uint32_t resourceId, uint32_t frames, std::u16string_view text,
                          uint32_t tooltip, uint32_t shown) {
    return MakeLayoutElement(id, name, cls, x, y, w, h, resourceType, resourceId, frames, text,
                             tooltip, shown);
}

constexpr LayoutElement kType1[] = {
    E(10255, u"AP_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 222, u"", 5094, 1, u"", 0, 1),
    E(10256, u"AP_TITLE_TEXT", u"CQKText", 15, 7, 330, 20, u"", 0, 0, u"Connect to an Access Point",
      0, 1),
    E(10257, u"AP_SUBTITLE_TEXT", u"CQKText", 15, 42, 330, 20, u"", 0, 0,
      u"Available Access Point List", 0, 1),
    E(1009, u"AP_LIST", u"CListControl", 15, 70, 320, 92, u"", 0, 0, u"", 0, 1),
    E(10258, u"AP_REFRESH_BUTTON", u"CQKButton", 307, 44, 108, 21, u"PNG", 5159, 4, u"", 0, 1),
    E(10260, u"AP_EXIT_BUTTON", u"CQKButton", 318, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10261, u"AP_CONNECT_BUTTON", u"CQKButton", 98, 185, 288, 23, u"PNG", 5162, 4, u"Connect", 0,
      1),
    E(10262, u"AP_Skip_BUTTON", u"CQKButton", 180, 185, 288, 23, u"PNG", 5162, 4, u"Skip", 0, 1),
};
constexpr LayoutElement kType2[] = {
    E(10016, u"SERVER_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 222, u"", 5094, 1, u"", 0, 1),
    E(10014, u"SERVER_TITLE_TEXT", u"CQKText", 15, 7, 330, 20, u"", 0, 0,
      u"Available Remote Box List", 0, 1),
    E(10015, u"SERVER_SUBTITLE_TEXT", u"CQKText", 15, 42, 330, 20, u"", 0, 0,
      u"Choose a Remote Box", 0, 1),
    E(1009, u"SERVER_LIST", u"CListControl", 15, 70, 320, 92, u"", 0, 0, u"", 0, 1),
    E(10223, u"SERVER_REFRESH_BUTTON", u"CQKButton", 308, 43, 108, 21, u"PNG", 5159, 4, u"", 65216,
      1),
    E(10019, u"SERVER_EXIT_BUTTON", u"CQKButton", 318, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10020, u"SERVER_OK_BUTTON", u"CQKButton", 98, 185, 288, 23, u"PNG", 5162, 4, u"Connect", 0,
      1),
    E(10021, u"SERVER_CANCEL_BUTTON", u"CQKButton", 180, 185, 288, 23, u"PNG", 5162, 4, u"Manual",
      0, 1),
};
constexpr LayoutElement kType4[] = {
    E(10255, u"AP_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10256, u"AP_TITLE_TEXT", u"CQKText", 14, 6, 300, 20, u"", 0, 0, u"Network Security", 0, 1),
    E(10257, u"AP_SUBTITLE_TEXT", u"CQKText", 78, 43, 300, 20, u"", 0, 0, u"", 0, 1),
    E(10263, u"AP_KEY_TEXT", u"CQKText", 78, 70, 87, 30, u"", 0, 0, u"Key:", 0, 1),
    E(10264, u"AP_KEYCHECK_TEXT", u"CQKText", 78, 100, 87, 30, u"", 0, 0, u"Confirm:", 0, 1),
    E(1012, u"AP_KEY", u"CEdit", 149, 75, 159, 19, u"", 0, 0, u"", 0, 1),
    E(1013, u"AP_KEYCHECK", u"CEdit", 149, 105, 159, 19, u"", 0, 0, u"", 0, 1),
    E(10328, u"AP_CHECK", u"CCheckBox", 149, 135, 150, 20, u"", 0, 1, u"Hide characters", 0, 1),
    E(10265, u"AP_ICON_IMAGE", u"CQKImage", 15, 79, 64, 64, u"PNG", 5160, 1, u"", 0, 1),
    E(10260, u"AP_EXIT_BUTTON", u"CQKButton", 316, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10266, u"AP_OK_BUTTON", u"CQKButton", 100, 165, 288, 23, u"PNG", 5162, 4, u"OK", 0, 1),
    E(10267, u"AP_CENCEL_BUTTON", u"CQKButton", 190, 165, 288, 23, u"PNG", 5162, 4, u"Cancel", 0,
      1),
};
constexpr LayoutElement kType5[] = {
    E(10172, u"INFO_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10181, u"INFO_TITLE_TEXT", u"CQKText", 15, 7, 300, 30, u"", 0, 0, u"About", 0, 1),
    E(10224, u"INFO_PRODUCT_TEXT", u"CQKText", 95, 79, 300, 20, u"", 0, 0, u"Pemu", 0, 1),
    E(10185, u"INFO_ICON_IMAGE", u"CQKImage", 15, 79, 64, 64, u"PNG", 5160, 1, u"", 0, 1),
    E(10186, u"INFO_EXIT_BUTTON", u"CQKButton", 321, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10187, u"INFO_OK_BUTTON", u"CQKButton", 268, 169, 288, 23, u"PNG", 5162, 4, u"OK", 0, 1),
};
constexpr LayoutElement kType6[] = {
    E(10188, u"LOGIN_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 270, 130, u"", 5224, 1, u"", 0, 1),
    E(10199, u"LOGIN_NAME_TEXT", u"CQKText", 0, 15, 268, 30, u"", 0, 0, u"Enter Password", 0, 1),
    E(10387, u"LOGIN_DEVICE_NAME_TEXT", u"CQKText", 0, 31, 270, 30, u"", 0, 0, u"", 0, 1),
    E(1005, u"PASSWORD", u"CEdit", 20, 61, 228, 28, u"", 0, 0, u"", 0, 1),
    E(10203, u"LOGIN_OK_BUTTON", u"CQKButton", 113, 98, 128, 16, u"PNG", 5208, 2, u"CONFIRM", 0, 1),
    E(30091, u"LOGIN_CENCEL_BUTTON", u"CQKButton", 183, 98, 128, 16, u"PNG", 5208, 2, u"CANCEL", 0,
      1),
};
constexpr LayoutElement kType7[] = {
    E(10228, u"PROFILE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10237, u"PROFILE_TITLE_TEXT", u"CQKText", 15, 7, 300, 20, u"", 0, 0, u"Profile Manager", 0,
      1),
    E(10238, u"PROFILE_SSID_TEXT", u"CQKText", 19, 38, 91, 20, u"", 0, 0, u"Profile", 0, 1),
    E(10246, u"PROFILE_AP_TEXT", u"CQKText", 19, 61, 91, 20, u"", 0, 0, u"SSID", 0, 1),
    E(10239, u"PROFILE_IP_TEXT", u"CQKText", 19, 87, 91, 20, u"", 0, 0, u"Server IP", 0, 1),
    E(10240, u"PROFILE_USERNAME_TEXT", u"CQKText", 19, 112, 91, 20, u"", 0, 0, u"User Name", 0, 1),
    E(10241, u"PROFILE_LOGINCODE_TEXT", u"CQKText", 19, 138, 91, 20, u"", 0, 0, u"Login Code", 0,
      1),
    E(1011, u"PROFILE_SSID", u"CEdit", 110, 36, 150, 20, u"", 0, 0, u"", 0, 1),
    E(1005, u"PROFILE_AP", u"CEdit", 110, 61, 150, 20, u"", 0, 0, u"", 0, 1),
    E(1021, u"PROFILE_IPADDRESS", u"CQKIPController", 110, 86, 150, 20, u"", 0, 0, u"", 0, 1),
    E(1010, u"PROFILE_USERNAME", u"CEdit", 110, 112, 150, 20, u"", 0, 0, u"", 0, 1),
    E(1004, u"PROFILE_LOGINCODE", u"CEdit", 110, 139, 150, 20, u"", 0, 0, u"", 0, 1),
    E(10247, u"PROFILE_KEY_BUTTON", u"CQKButton", 270, 63, 16, 16, u"", 5093, 1, u"", 0, 1),
    E(10242, u"PROFILE_EXIT_BUTTON", u"CQKButton", 316, 0, 19, 29, u"", 5024, 4, u"", 0, 1),
    E(10254, u"PROFILE_OK_BUTTON", u"CQKButton", 150, 165, 72, 23, u"", 5021, 4, u"Save", 0, 1),
};
constexpr LayoutElement kType8[] = {
    E(10205, u"MESSAGE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 340, 128, u"", 5245, 1, u"", 0, 1),
    E(10214, u"MESSAGE_TITLE_TEXT", u"CQKText", 10, 0, 300, 22, u"", 0, 0, u"Warrning", 0, 1),
    E(10215, u"MESSAGE_SUBTITLE_TEXT", u"CQKText", 15, 32, 310, 58, u"", 0, 0, u"Error", 0, 1),
    E(10217, u"MESSAGE_EXIT_BUTTON", u"CQKButton", 314, 0, 22, 22, u"PNG", 5246, 1, u"", 0, 1),
    E(10218, u"MESSAGE_OK_BUTTON", u"CQKButton", 101, 100, 63, 16, u"PNG", 5247, 1, u"Ok", 0, 1),
    E(10313, u"MESSAGE_CANCEL_BUTTON", u"CQKButton", 176, 100, 63, 16, u"PNG", 5247, 1, u"Cancel",
      0, 1),
};
constexpr LayoutElement kType10[] = {
    E(10205, u"MESSAGE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 340, 128, u"", 5245, 1, u"", 0, 1),
    E(10214, u"MESSAGE_TITLE_TEXT", u"CQKText", 10, 0, 300, 22, u"", 0, 0, u"Warrning", 0, 1),
    E(10215, u"MESSAGE_SUBTITLE_TEXT", u"CQKText", 15, 32, 310, 58, u"", 0, 0, u"Error", 0, 1),
    E(10217, u"MESSAGE_EXIT_BUTTON", u"CQKButton", 314, 0, 22, 22, u"PNG", 5246, 1, u"", 0, 1),
    E(10218, u"MESSAGE_OK_BUTTON", u"CQKButton", 138, 100, 63, 16, u"PNG", 5247, 1, u"Ok", 0, 1),
};
constexpr LayoutElement kType13[] = {
    E(10228, u"PROFILE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10237, u"PROFILE_TITLE_TEXT", u"CQKText", 15, 7, 300, 20, u"", 0, 0, u"Profile Manager", 0,
      1),
    E(10238, u"PROFILE_SSID_TEXT", u"CQKText", 14, 38, 41, 20, u"", 0, 0, u"", 0, 1),
    E(10269, u"PROFILE_ADD_BUTTON", u"CQKButton", 280, 34, 27, 21, u"", 5019, 4, u"", 0, 1),
    E(10270, u"PROFILE_SUBTRACT_BUTTON", u"CQKButton", 310, 34, 27, 21, u"", 5020, 4, u"", 0, 1),
    E(10242, u"PROFILE_EXIT_BUTTON", u"CQKButton", 316, 0, 19, 29, u"", 5024, 4, u"", 0, 1),
    E(1009, u"SERVER_LIST", u"CListControl", 15, 62, 320, 92, u"", 0, 0, u"", 0, 1),
    E(10271, u"PROFILE_EDIT_BUTTON", u"CQKButton", 100, 165, 72, 23, u"", 5021, 4, u"Edit", 0, 1),
    E(10248, u"PROFILE_OK_BUTTON", u"CQKButton", 190, 165, 72, 23, u"", 5021, 4, u"OK", 0, 1),
};
constexpr LayoutElement kType14[] = {
    E(10228, u"PROFILE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10237, u"PROFILE_TITLE_TEXT", u"CQKText", 15, 7, 200, 20, u"", 0, 0, u"Network Security", 0,
      1),
    E(10249, u"PROFILE_SUBTITLE_TEXT", u"CQKText", 80, 40, 300, 20, u"", 0, 0, u"Network Security",
      0, 1),
    E(10251, u"PROFILE_KEY_TEXT", u"CQKText", 62, 70, 78, 30, u"", 0, 0, u"Key:", 0, 1),
    E(10252, u"PROFILE_KEYCHECK_TEXT", u"CQKText", 62, 100, 78, 30, u"", 0, 0, u"Confirm:", 0, 1),
    E(1005, u"PROFILE_KEY", u"CEdit", 140, 72, 180, 22, u"", 0, 0, u"", 0, 1),
    E(1010, u"PROFILE_KEYCHECK", u"CEdit", 140, 102, 180, 22, u"", 0, 0, u"", 0, 1),
    E(10250, u"PROFILE_ICON_IMAGE", u"CQKImage", 10, 45, 64, 64, u"PNG", 5160, 1, u"", 0, 1),
    E(10242, u"PROFILE_EXIT_BUTTON", u"CQKButton", 316, 0, 19, 29, u"", 5024, 4, u"", 0, 1),
    E(10248, u"PROFILE_OK_BUTTON", u"CQKButton", 100, 165, 72, 23, u"", 5021, 4, u"OK", 0, 1),
    E(10253, u"PROFILE_CENCEL_BUTTON", u"CQKButton", 190, 165, 72, 23, u"", 5021, 4, u"Cancel", 0,
      1),
};
constexpr LayoutElement kType15[] = {
    E(10228, u"PROFILE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10237, u"PROFILE_TITLE_TEXT", u"CQKText", 15, 7, 300, 20, u"", 0, 0, u"Profile Connect", 0,
      1),
    E(10242, u"PROFILE_EXIT_BUTTON", u"CQKButton", 316, 0, 19, 29, u"", 5024, 4, u"", 0, 1),
    E(1009, u"SERVER_LIST", u"CListControl", 35, 54, 280, 92, u"", 0, 0, u"", 0, 1),
    E(10272, u"PROFILE_EDIT_BUTTON", u"CQKButton", 56, 165, 72, 23, u"", 5021, 4, u"Edit", 0, 1),
    E(10243, u"PROFILE_CONNECT_BUTTON", u"CQKButton", 137, 165, 72, 23, u"", 5021, 4, u"Connect", 0,
      1),
    E(10273, u"PROFILE_SKIP_BUTTON", u"CQKButton", 220, 165, 72, 23, u"", 5021, 4, u"Skip", 0, 1),
};
constexpr LayoutElement kType16[] = {
    E(10001, u"QKINMAIN_TOPBG_IMAGE", u"CQKImage", 0, 0, 320, 86, u"", 5109, 1, u"", 0, 1),
    E(10276, u"RECONNECT_TITLE_TEXT", u"CQKText", 95, 6, 330, 30, u"", 0, 0, u"Auto Reconnecting",
      0, 1),
    E(10275, u"RECONNECT_CANCEL_BUTTON", u"CQKButton", 129, 45, 72, 23, u"", 5021, 4, u"Cancel", 0,
      1),
};
constexpr LayoutElement kType17[] = {
    E(10063, u"QKINMAIN_DOCK_IMAGE", u"CQKImage", 0, 0, 526, 230, u"PNG", 5156, 1, u"", 0, 1),
};
constexpr LayoutElement kType18[] = {
    E(10228, u"PROFILE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 199, u"", 5095, 1, u"", 0, 1),
    E(10237, u"PROFILE_TITLE_TEXT", u"CQKText", 15, 7, 300, 20, u"", 0, 0, u"Quick Connect", 0, 1),
    E(10246, u"PROFILE_AP_TEXT", u"CQKText", 10, 43, 145, 20, u"", 0, 0, u"SSID", 0, 1),
    E(10239, u"PROFILE_IP_TEXT", u"CQKText", 10, 79, 145, 20, u"", 0, 0, u"Remote Box IP", 0, 1),
    E(10240, u"PROFILE_USERNAME_TEXT", u"CQKText", 10, 114, 145, 20, u"", 0, 0, u"User Name", 0, 1),
    E(1005, u"PROFILE_AP", u"CEdit", 165, 46, 155, 20, u"", 0, 0, u"", 0, 1),
    E(1021, u"PROFILE_IPADDRESS", u"CQKIPController", 165, 81, 155, 20, u"", 0, 0, u"", 0, 1),
    E(1010, u"PROFILE_USERNAME", u"CEdit", 165, 117, 155, 20, u"", 0, 0, u"", 0, 1),
    E(10242, u"PROFILE_EXIT_BUTTON", u"CQKButton", 316, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10254, u"PROFILE_OK_BUTTON", u"CQKButton", 100, 160, 288, 23, u"PNG", 5162, 4, u"Connect", 0,
      1),
    E(10253, u"PROFILE_CANCEL_BUTTON", u"CQKButton", 190, 160, 288, 23, u"PNG", 5162, 4, u"Rescan",
      0, 1),
};
constexpr LayoutElement kType19[] = {
    E(10255, u"AP_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 350, 222, u"", 5094, 1, u"", 0, 1),
    E(10256, u"AP_TITLE_TEXT", u"CQKText", 15, 7, 330, 20, u"", 0, 0, u"Select an Access Point", 0,
      1),
    E(10257, u"AP_SUBTITLE_TEXT", u"CQKText", 15, 42, 330, 20, u"", 0, 0,
      u"Available Access Point List", 0, 1),
    E(1009, u"AP_LIST", u"CListControl", 15, 70, 320, 92, u"", 0, 0, u"", 0, 1),
    E(10258, u"AP_REFRESH_BUTTON", u"CQKButton", 307, 44, 108, 21, u"PNG", 5159, 4, u"", 0, 1),
    E(10260, u"AP_EXIT_BUTTON", u"CQKButton", 318, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10261, u"AP_CONNECT_BUTTON", u"CQKButton", 98, 185, 288, 23, u"PNG", 5162, 4, u"OK", 0, 1),
    E(10262, u"AP_Skip_BUTTON", u"CQKButton", 180, 185, 288, 23, u"PNG", 5162, 4, u"Cancel", 0, 1),
};
constexpr LayoutElement kType21[] = {
    E(10338, u"APCILENT_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 515, 309, u"", 5168, 1, u"", 0, 1),
    E(10339, u"APCILENT_IMAGE", u"CQKImage", 21, 40, 474, 80, u"PNG", 5169, 1, u"", 0, 1),
    E(10340, u"APCILENT_TITLE_TEXT", u"CQKText", 15, 7, 280, 20, u"", 0, 0,
      u"WiFi AP-Client Configuration", 0, 1),
    E(10329, u"APCILENT_MODE_TEXT", u"CQKText", 21, 129, 160, 16, u"", 0, 0, u"AP-Client mode:", 0,
      1),
    E(10330, u"APCILENT_TV_SSID_TEXT", u"CQKText", 21, 155, 160, 16, u"", 0, 0, u"TV WiFi AP SSID:",
      0, 1),
    E(10331, u"APCILENT_HOMEAP_SSID_TEXT", u"CQKText", 21, 183, 160, 16, u"", 0, 0,
      u"Home WiFi Router SSID:", 0, 1),
    E(10332, u"APCILENT_HOMEAP_ENCRYPTION_TEXT", u"CQKText", 21, 211, 160, 16, u"", 0, 0,
      u"Home WiFi Router Encryption:", 0, 1),
    E(10332, u"APCILENT_HOMEAP_PASSWORD_TEXT", u"CQKText", 21, 239, 160, 16, u"", 0, 0,
      u"Home WiFi Router Password:", 0, 1),
    E(2003, u"APCILENT_MODE_ENABLE", u"CRadio", 184, 129, 80, 18, u"", 0, 0, u"Enable", 0, 1),
    E(2004, u"APCILENT_MODE_DISABLE", u"CRadio", 270, 129, 80, 18, u"", 0, 0, u"Disable", 0, 1),
    E(10337, u"APCILENT_TV_SSID_VALUE", u"CQKText", 184, 155, 260, 16, u"", 0, 0, u"sssssss", 0, 1),
    E(1005, u"APCILENT_HOMEAP_SSID", u"CEdit", 185, 183, 280, 20, u"", 0, 0, u"", 0, 1),
    E(205, u"APCILENT_ENCRYPTION", u"CCombo", 184, 211, 310, 20, u"", 0, 0, u"", 0, 1),
    E(1010, u"APCILENT_HOMEAP_PASSWORD", u"CEdit", 185, 239, 310, 20, u"", 0, 0, u"", 0, 1),
    E(10336, u"APCILENT_LIST_BUTTON", u"CQKButton", 473, 181, 88, 22, u"PNG", 5170, 4, u"", 0, 1),
    E(10333, u"APCILENT_EXIT_BUTTON", u"CQKButton", 481, 0, 76, 29, u"PNG", 5163, 4, u"", 0, 1),
    E(10334, u"APCILENT_OK_BUTTON", u"CQKButton", 335, 272, 288, 23, u"PNG", 5162, 4, u"OK", 0, 1),
    E(10335, u"APCILENT_CANCEL_BUTTON", u"CQKButton", 423, 272, 288, 23, u"PNG", 5162, 4, u"Cancel",
      0, 1),
};
constexpr LayoutElement kType25[] = {
    E(10359, u"AUTOUPDATE_BACKGROUND_IMAGE", u"CQKImage", 0, 0, 340, 128, u"", 5245, 1, u"", 0, 1),
    E(10360, u"AUTOUPDATE_TITLE_TEXT", u"CQKText", 10, 0, 300, 22, u"", 0, 0, u"Software Update", 0,
      1),
    E(10361, u"AUTOUPDATE_SUBTITLE_TEXT", u"CQKText", 15, 32, 310, 30, u"", 0, 0,
      u"This software has a new version! Would you like to update now?", 0, 1),
    E(10363, u"AUTOUPDATE_VERSION_NUMBER_TEXT", u"CQKText", 15, 67, 310, 20, u"", 0, 0, u"Version",
      0, 1),
    E(10364, u"AUTOUPDATE_EXIT_BUTTON", u"CQKButton", 314, 0, 22, 22, u"PNG", 5246, 1, u"", 0, 1),
    E(10365, u"AUTOUPDATE_OK_BUTTON", u"CQKButton", 138, 100, 63, 16, u"PNG", 5247, 1, u"Download",
      0, 1),
};
constexpr LayoutElement kType26[] = {
    E(10205, u"MESSAGE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 340, 128, u"", 5245, 1, u"", 0, 1),
    E(10214, u"MESSAGE_TITLE_TEXT", u"CQKText", 10, 0, 300, 22, u"", 0, 0, u"Info", 0, 1),
    E(10215, u"MESSAGE_SUBTITLE_TEXT", u"CQKText", 15, 32, 310, 86, u"", 0, 0, u"Error", 0, 1),
};
constexpr LayoutElement kType27[] = {
    E(30170, u"QKINMAIN_SELECT_MENU_IMAGE", u"CQKImage", 0, 0, 525, 340, u"BMP", 5202, 1, u"", 0,
      1),
    E(30171, u"QKINMAIN_CONNECT_TO_TV_SELECTMENUTITLE_TEXT", u"CQKText", 35, 0, 150, 30, u"", 0, 1,
      u"SELECT A PEMU", 0, 1),
    E(30172, u"QKINMAIN_CONNECT_TO_TV_SELECT1_IMAGE", u"CQKImage", 110, 40, 118, 95, u"BMP", 5203,
      1, u"1", 0, 1),
    E(30173, u"QKINMAIN_CONNECT_TO_TV_SELECT2_IMAGE", u"CQKImage", 291, 40, 118, 95, u"BMP", 5203,
      1, u"", 0, 1),
    E(30174, u"QKINMAIN_CONNECT_TO_TV_SELECT3_IMAGE", u"CQKImage", 110, 173, 118, 95, u"BMP", 5203,
      1, u"", 0, 1),
    E(30175, u"QKINMAIN_CONNECT_TO_TV_SELECT4_IMAGE", u"CQKImage", 291, 173, 118, 95, u"PMP", 5203,
      1, u"", 0, 1),
    E(30176, u"QKINMAIN_CONNECT_TO_TV_SELECT1_BG_BUTTON", u"CQKButton", 110, 40, 118, 95, u"PNG",
      5205, 1, u"", 0, 1),
    E(30177, u"QKINMAIN_CONNECT_TO_TV_SELECT2_BG_BUTTON", u"CQKButton", 291, 40, 118, 95, u"PNG",
      5205, 1, u"", 0, 1),
    E(30178, u"QKINMAIN_CONNECT_TO_TV_SELECT3_BG_BUTTON", u"CQKButton", 110, 173, 118, 95, u"PNG",
      5205, 1, u"", 0, 1),
    E(30179, u"QKINMAIN_CONNECT_TO_TV_SELECT4_BG_BUTTON", u"CQKButton", 291, 173, 118, 95, u"PNG",
      5205, 1, u"", 0, 1),
    E(30180, u"QKINMAIN_CONNECT_TO_TV_SELECTNAME1_TEXT", u"CQKText", 90, 143, 158, 20, u"", 0, 1,
      u"1", 0, 1),
    E(30181, u"QKINMAIN_CONNECT_TO_TV_SELECTNAME2_TEXT", u"CQKText", 271, 143, 158, 20, u"", 0, 1,
      u"2", 0, 1),
    E(30182, u"QKINMAIN_CONNECT_TO_TV_SELECTNAME3_TEXT", u"CQKText", 90, 276, 158, 20, u"", 0, 1,
      u"3", 0, 1),
    E(30183, u"QKINMAIN_CONNECT_TO_TV_SELECTNAME4_TEXT", u"CQKText", 271, 276, 158, 20, u"", 0, 1,
      u"4", 0, 1),
    E(30129, u"QKINMAIN_CONNECT_TO_TV_EXIT_BUTTON", u"CQKButton", 498, 1, 25, 25, u"PNG", 5178, 1,
      u"", 0, 1),
    E(30184, u"QKINMAIN_CONNECT_TO_TV_SELECTED_BUTTON", u"CQKButton", 80, 50, 132, 92, u"PNG", 5204,
      1, u"", 0, 0),
};
constexpr LayoutElement kType28[] = {
    E(30126, u"QKINMAIN_IMAGE", u"CQKImage", 0, 0, 526, 230, u"", 5175, 1, u"", 0, 1),
    E(30160, u"QKINMAIN_CONNECT_TO_TV_TITLE_TEXT", u"CQKText", 14, 0, 200, 27, u"", 0, 1,
      u"LOOKING FOR PEMU", 0, 1),
    E(30218, u"QKINMAIN_CONNECT_TO_TV_CAPTION_TEXT", u"CQKText", 304, 51, 230, 40, u"", 0, 1,
      u"Connect PEMU to get started.", 0, 1),
    E(30127, u"QKINMAIN_CONNECT_TO_TV_TROUBLESHOOT_BUTTON", u"CQKButton", 334, 198, 170, 28, u"BMP",
      5235, 2, u"TROUBLESHOOT", 0, 1),
    E(30128, u"QKINMAIN_CONNECT_TO_TV_MANUALADD_BUTTON", u"CQKButton", 429, 198, 170, 28, u"BMP",
      5235, 2, u"MANUAL ADD", 0, 1),
    E(30212, u"QKINMAIN_CONNECT_TO_TV_MIN_BUTTON", u"CQKButton", 467, 1, 50, 25, u"PNG", 5232, 2,
      u"", 0, 1),
    E(30129, u"QKINMAIN_CONNECT_TO_TV_EXIT_BUTTON", u"CQKButton", 493, 1, 50, 25, u"PNG", 5178, 2,
      u"", 0, 1),
    E(30165, u"QKINMAIN_CONNECT_TO_TV_DOT4_ICON", u"CQKImage", 202, 8, 10, 10, u"PNG", 5201, 1, u"",
      0, 1),
    E(30166, u"QKINMAIN_CONNECT_TO_TV_DOT3_ICON", u"CQKImage", 216, 8, 10, 10, u"PNG", 5201, 1, u"",
      0, 1),
    E(30167, u"QKINMAIN_CONNECT_TO_TV_DOT2_ICON", u"CQKImage", 230, 8, 10, 10, u"PNG", 5200, 1, u"",
      0, 1),
    E(30219, u"QKINMAIN_CONNECT_TO_TV_DOT1_ICON", u"CQKImage", 244, 8, 10, 10, u"PNG", 5200, 1, u"",
      0, 1),
    E(30204, u"QKINMAIN_CONNECT_TO_TV_MASK_ICON", u"CQKImage", 0, 26, 526, 503, u"PNG", 5227, 1,
      u"", 0, 0),
};
constexpr LayoutElement kType29[] = {
    E(30130, u"QKINMAIN_MAIN_MENU_IMAGE", u"CQKImage", 0, 0, 526, 400, u"", 5206, 1, u"", 0, 1),
    E(30129, u"QKINMAIN_CONNECT_TO_TV_EXIT_BUTTON", u"CQKButton", 493, 1, 50, 25, u"PNG", 5178, 2,
      u"", 0, 1),
    E(30212, u"QKINMAIN_CONNECT_TO_TV_MIN_BUTTON", u"CQKButton", 467, 1, 50, 25, u"PNG", 5232, 2,
      u"", 0, 1),
    E(30153, u"QKINMAIN_CONNECT_TO_TV_SETTING_BUTTON", u"CQKButton", 439, 1, 50, 25, u"PNG", 5234,
      2, u"", 0, 1),
    E(30222, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG1_IMAGE", u"CQKImage", 36, 57, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30223, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG2_IMAGE", u"CQKImage", 277, 57, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30224, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG3_IMAGE", u"CQKImage", 36, 230, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30225, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG4_IMAGE", u"CQKImage", 277, 230, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30131, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG1_BUTTON", u"CQKButton", 36, 57, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30132, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG2_BUTTON", u"CQKButton", 277, 57, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30133, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG3_BUTTON", u"CQKButton", 36, 230, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30134, u"QKINMAIN_CONNECT_TO_TV_MAINMENUBG4_BUTTON", u"CQKButton", 277, 230, 212, 120, u"BMP",
      5180, 1, u"", 0, 1),
    E(30135, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PLAY1_BUTTON", u"CQKButton", 36, 57, 212, 120,
      u"PNG", 5182, 1, u"", 0, 0),
    E(30137, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PLAY2_BUTTON", u"CQKButton", 277, 57, 212, 120,
      u"PNG", 5182, 1, u"", 0, 0),
    E(30139, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PLAY3_BUTTON", u"CQKButton", 36, 230, 212, 120,
      u"PNG", 5182, 1, u"", 0, 0),
    E(30141, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PLAY4_BUTTON", u"CQKButton", 277, 230, 212, 120,
      u"PNG", 5182, 1, u"", 0, 0),
    E(30136, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PAUSE1_BUTTON", u"CQKButton", 36, 57, 212, 120,
      u"PNG", 5183, 1, u"", 0, 0),
    E(30138, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PAUSE2_BUTTON", u"CQKButton", 277, 57, 212, 120,
      u"PNG", 5183, 1, u"", 0, 0),
    E(30140, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PAUSE3_BUTTON", u"CQKButton", 36, 230, 212, 120,
      u"PNG", 5183, 1, u"", 0, 0),
    E(30142, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_PAUSE4_BUTTON", u"CQKButton", 277, 230, 212, 120,
      u"PNG", 5183, 1, u"", 0, 0),
    E(30214, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_SWAP1_BUTTON", u"CQKButton", 36, 57, 212, 120,
      u"PNG", 5233, 1, u"", 0, 0),
    E(30215, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_SWAP2_BUTTON", u"CQKButton", 277, 57, 212, 120,
      u"PNG", 5233, 1, u"", 0, 0),
    E(30216, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_SWAP3_BUTTON", u"CQKButton", 36, 230, 212, 120,
      u"PNG", 5233, 1, u"", 0, 0),
    E(30217, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_SWAP4_BUTTON", u"CQKButton", 277, 230, 212, 120,
      u"PNG", 5233, 1, u"", 0, 0),
    E(30143, u"QKINMAIN_CONNECT_TO_TV_Signal1_ICON", u"CQKButton", 36, 194, 12, 12, u"PNG", 5187, 1,
      u"", 65443, 0),
    E(30144, u"QKINMAIN_CONNECT_TO_TV_Signal2_ICON", u"CQKButton", 277, 194, 12, 12, u"PNG", 5187,
      1, u"", 65443, 0),
    E(30145, u"QKINMAIN_CONNECT_TO_TV_Signal3_ICON", u"CQKButton", 36, 367, 12, 12, u"PNG", 5187, 1,
      u"", 65443, 0),
    E(30146, u"QKINMAIN_CONNECT_TO_TV_Signal4_ICON", u"CQKButton", 277, 367, 12, 12, u"PNG", 5187,
      1, u"", 65443, 0),
    E(30149, u"QKINMAIN_CONNECT_TO_TV_NAME1_TEXT", u"CQKText", 36, 190, 169, 20, u"", 0, 1, u"", 0,
      1),
    E(30150, u"QKINMAIN_CONNECT_TO_TV_NAME2_TEXT", u"CQKText", 277, 190, 169, 20, u"", 0, 1, u"", 0,
      1),
    E(30151, u"QKINMAIN_CONNECT_TO_TV_NAME3_TEXT", u"CQKText", 36, 363, 169, 20, u"", 0, 1, u"", 0,
      1),
    E(30152, u"QKINMAIN_CONNECT_TO_TV_NAME4_TEXT", u"CQKText", 277, 363, 169, 20, u"", 0, 1, u"", 0,
      1),
    E(30161, u"QKINMAIN_CONNECT_TO_TV_UNLOCK1_ICON", u"CQKImage", 218, 151, 18, 18, u"PNG", 5197, 1,
      u"", 0, 0),
    E(30162, u"QKINMAIN_CONNECT_TO_TV_UNLOCK2_ICON", u"CQKImage", 459, 151, 18, 18, u"PNG", 5197, 1,
      u"", 0, 0),
    E(30163, u"QKINMAIN_CONNECT_TO_TV_UNLOCK3_ICON", u"CQKImage", 218, 324, 18, 18, u"PNG", 5197, 1,
      u"", 0, 0),
    E(30164, u"QKINMAIN_CONNECT_TO_TV_UNLOCK4_ICON", u"CQKImage", 459, 324, 18, 18, u"PNG", 5197, 1,
      u"", 0, 0),
    E(30221, u"QKINMAIN_CONNECT_TO_TV_DEVICE_NAME_TEXT", u"CQKText", 14, 0, 185, 27, u"", 0, 1, u"",
      0, 1),
    E(30205, u"QKINMAIN_CONNECT_TO_TV_DEVICELIST_BUTTON", u"CQKButton", 14, 5, 17, 17, u"PNG", 5181,
      1, u"", 0, 1),
    E(1004, u"DEVICE_NAME", u"CEdit", 14, 2, 185, 23, u"", 5228, 1, u"", 0, 1),
    E(30208, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_BLUE1_IMAGE", u"CQKImage", 34, 55, 216, 124,
      u"PNG", 5231, 1, u"", 0, 0),
    E(30209, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_BLUE2_IMAGE", u"CQKImage", 275, 55, 216, 124,
      u"PNG", 5231, 1, u"", 0, 0),
    E(30210, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_BLUE3_IMAGE", u"CQKImage", 34, 228, 216, 124,
      u"PNG", 5231, 1, u"", 0, 0),
    E(30211, u"QKINMAIN_CONNECT_TO_TV_HOMESCREEN_BLUE4_IMAGE", u"CQKImage", 275, 228, 216, 124,
      u"PNG", 5231, 1, u"", 0, 0),
    E(30204, u"QKINMAIN_CONNECT_TO_TV_MASK_ICON", u"CQKImage", 0, 26, 526, 503, u"PNG", 5227, 1,
      u"", 0, 0),
    E(30206, u"DEVICE_LISTVIEW", u"CQKListView", 0, 26, 526, 108, u"", 5237, 1, u"", 0, 1),
};
constexpr LayoutElement kType30[] = {
    E(10375, u"LOGIN_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 270, 130, u"", 5224, 1, u"", 0, 1),
    E(10199, u"LOGIN_NAME_TEXT", u"CQKText", 0, 25, 268, 30, u"", 0, 0, u"Enter Password", 0, 1),
    E(1005, u"PASSWORD", u"CEdit", 20, 46, 228, 28, u"PNG", 5209, 1, u"", 0, 1),
    E(10203, u"LOGIN_OK_BUTTON", u"CQKButton", 113, 93, 128, 16, u"PNG", 5208, 2, u"CONFIRM", 0, 1),
    E(30091, u"LOGIN_CENCEL_BUTTON", u"CQKButton", 183, 93, 128, 16, u"PNG", 5208, 2, u"CANCEL", 0,
      1),
    E(30185, u"PASSWORD_TIP_TEXT", u"CQKText", 0, 108, 268, 15, u"", 0, 0, u"", 0, 1),
};
constexpr LayoutElement kType31[] = {
    E(10375, u"LOGIN_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 270, 130, u"", 5224, 1, u"", 0, 1),
    E(10199, u"LOGIN_NAME_TEXT", u"CQKText", 0, 25, 268, 30, u"", 0, 0, u"Enter Password", 0, 1),
    E(1005, u"PASSWORD", u"CEdit", 20, 46, 228, 28, u"PNG", 5209, 1, u"", 0, 1),
    E(10203, u"LOGIN_OK_BUTTON", u"CQKButton", 113, 93, 128, 16, u"PNG", 5208, 2, u"CONFIRM", 0, 1),
    E(30091, u"LOGIN_CENCEL_BUTTON", u"CQKButton", 183, 93, 128, 16, u"PNG", 5208, 2, u"CANCEL", 0,
      1),
};
constexpr LayoutElement kType32[] = {
    E(10188, u"LOGIN_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 270, 130, u"", 5224, 1, u"", 0, 1),
    E(10227, u"LOGIN_IP_TEXT", u"CQKText", 0, 25, 268, 40, u"", 0, 0, u"Enter IP Address", 0, 1),
    E(1005, u"IP_EDIT", u"CEdit", 20, 46, 228, 28, u"PNG", 5209, 1, u"", 0, 1),
    E(10203, u"LOGIN_OK_BUTTON", u"CQKButton", 113, 93, 128, 16, u"PNG", 5208, 2, u"CONFIRM", 0, 1),
    E(30091, u"LOGIN_CENCEL_BUTTON", u"CQKButton", 183, 93, 128, 16, u"PNG", 5208, 2, u"CANCEL", 0,
      1),
};
constexpr LayoutElement kType33[] = {
    E(10374, u"LOGIN_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 270, 148, u"", 5249, 1, u"", 0, 1),
    E(30186, u"VOL_MIN_BUTTON", u"CQKButton", 24, 11, 24, 24, u"PNG", 5210, 1, u"", 0, 1),
    E(30187, u"VOL_MAX_BUTTON", u"CQKButton", 222, 11, 24, 24, u"PNG", 5212, 1, u"", 0, 1),
    E(30193, u"VOL_SLIDER_IMAGE", u"CQKButton", 60, 18, 150, 12, u"BMP", 5214, 1, u"", 0, 1),
    E(30194, u"VOL_SLIDER_HIGHLIGHT_IMAGE", u"CQKButton", 60, 18, 150, 12, u"BMP", 5215, 1, u"", 0,
      1),
    E(30195, u"VOL_HANDLE_BUTTON", u"CQKButton", 60, 18, 12, 12, u"PNG", 5216, 1, u"", 0, 1),
    E(30188, u"TURN_OFF_AUDIO_BUTTON", u"CQKButton", 60, 33, 12, 12, u"PNG", 5217, 1, u"", 0, 1),
    E(30189, u"TURN_OFF_AUDIO_TEXT", u"CQKText", 77, 24, 220, 30, u"", 0, 0,
      u"Turn off audio at source", 0, 1),
    E(30226, u"VSYNC_BUTTON", u"CQKButton", 60, 48, 12, 12, u"PNG", 5217, 1, u"", 0, 1),
    E(30227, u"VSYNC_TEXT", u"CQKText", 77, 39, 170, 30, u"", 0, 0, u"Frame Sync", 0, 1),
    E(30190, u"LINE_IMAGE", u"CQKImage", 12, 64, 246, 4, u"PNG", 5221, 1, u"", 0, 1),
    E(20236, u"VRX_MAIN_MENU_LANGUAGE", u"CQKButton", 12, 81, 141, 22, u"PNG", 5248, 1, u"English",
      0, 1),
    E(20230, u"CHANGEPASSWORD_BUTTON", u"CQKButton", 155, 76, 108, 30, u"PNG", 5223, 1,
      u"Change Password", 0, 1),
    E(20234, u"AUDIO_OK_BUTTON", u"CQKButton", 106, 118, 144, 16, u"PNG", 5243, 2, u"CONFIRM", 0,
      1),
    E(20235, u"AUDIO_CANCEL_BUTTON", u"CQKButton", 184, 118, 144, 16, u"PNG", 5243, 2, u"CANCEL", 0,
      1),
};
constexpr LayoutElement kType35[] = {
    E(30197, u"SETPASSWORD_IMAGE", u"CQKImage", 0, 0, 526, 230, u"", 5226, 1, u"", 0, 1),
    E(30203, u"QKINMAIN_SETPASSWORD_EXIT_BUTTON", u"CQKButton", 493, 1, 25, 25, u"PNG", 5178, 1,
      u"", 0, 1),
    E(30213, u"QKINMAIN_SETPASSWORD_MIN_BUTTON", u"CQKButton", 467, 17, 25, 25, u"PNG", 5232, 1,
      u"", 0, 1),
    E(30200, u"QKINMAIN_QKINMAIN_SETPASSWORD_TITLE_TEXT", u"CQKText", 14, 0, 300, 27, u"", 0, 1,
      u"WELCOME TO PEMU", 0, 1),
    E(30202, u"QKINMAIN_SETPASSWORDLOGIN_NAME_TEXT", u"CQKText", 0, 57, 526, 40, u"", 0, 0,
      u"SET PASSWORD", 0, 1),
    E(1005, u"PASSWORD", u"CEdit", 129, 112, 268, 28, u"", 5209, 1, u"", 0, 1),
    E(30198, u"QKINMAIN_SETPASSWORD_ENTER_BUTTON", u"CQKButton", 334, 198, 170, 22, u"BMP", 5176, 2,
      u"ENTER", 0, 1),
    E(30199, u"QKINMAIN_SETPASSWORD_SKIP_BUTTON", u"CQKButton", 429, 198, 170, 22, u"BMP", 5177, 2,
      u"SKIP", 0, 1),
    E(30201, u"PASSWORD_TIP_TEXT", u"CQKText", 0, 81, 526, 30, u"", 0, 0, u"", 0, 1),
};
constexpr LayoutElement kType37[] = {
    E(30206, u"DEVICE_LISTVIEW", u"CQKListView", 32, 99, 268, 140, u"", 5113, 1, u"", 0, 1),
};
constexpr LayoutElement kType38[] = {
    E(10205, u"MESSAGE_TITLE_LEFT_IMAGE", u"CQKImage", 0, 0, 340, 128, u"", 5245, 1, u"", 0, 1),
    E(10214, u"MESSAGE_TITLE_TEXT", u"CQKText", 10, 0, 300, 22, u"", 0, 0, u"Warrning", 0, 1),
    E(10390, u"MESSAGE_RESOLUTION_SUBTITLE_TEXT", u"CQKText", 15, 27, 310, 48, u"", 0, 0, u"Error",
      0, 1),
    E(10217, u"MESSAGE_EXIT_BUTTON", u"CQKButton", 314, 0, 22, 22, u"PNG", 5246, 1, u"", 0, 1),
    E(10379, u"INFO_CHECK_MESSAGE_BUTTON", u"CQKButton", 15, 80, 52, 13, u"", 5242, 4, u"", 0, 1),
    E(10380, u"INFO_CHECK_MESSAGE_TEXT", u"CQKText", 35, 77, 300, 19, u"", 0, 0,
      u"Don't ask me again", 0, 1),
    E(10218, u"MESSAGE_OK_BUTTON", u"CQKButton", 101, 100, 63, 16, u"PNG", 5247, 1, u"Ok", 0, 1),
    E(10313, u"MESSAGE_CANCEL_BUTTON", u"CQKButton", 176, 100, 63, 16, u"PNG", 5247, 1, u"Cancel",
      0, 1),
};
constexpr LayoutElement kType39[] = {
    E(20237, u"LANGUAGE_BG_LEFT", u"CQKImage", 0, 0, 141, 222, u"PNG", 5178, 1, u"", 0, 1),
    E(20238, u"LANGUAGE_1_BUTTON", u"CQKButton", 1, 1, 139, 22, u"PNG", 5178, 1,
      u"Chinese, Simplified", 0, 1),
    E(20239, u"LANGUAGE_2_BUTTON", u"CQKButton", 1, 23, 139, 22, u"PNG", 5178, 1,
      u"Chinese, Tranditional", 0, 1),
    E(20240, u"LANGUAGE_3_BUTTON", u"CQKButton", 1, 45, 139, 22, u"PNG", 5178, 1, u"Japanese", 0,
      1),
    E(20241, u"LANGUAGE_4_BUTTON", u"CQKButton", 1, 67, 139, 22, u"PNG", 5178, 1, u"Korean", 0, 1),
    E(20242, u"LANGUAGE_5_BUTTON", u"CQKButton", 1, 89, 139, 22, u"PNG", 5178, 1, u"Portuguese", 0,
      1),
    E(20243, u"LANGUAGE_6_BUTTON", u"CQKButton", 1, 111, 139, 22, u"PNG", 5178, 1, u"Spanish", 0,
      1),
    E(20244, u"LANGUAGE_6_BUTTON", u"CQKButton", 1, 133, 139, 22, u"PNG", 5178, 1, u"German", 0, 1),
    E(20245, u"LANGUAGE_6_BUTTON", u"CQKButton", 1, 155, 139, 22, u"PNG", 5178, 1, u"French", 0, 1),
    E(20246, u"LANGUAGE_6_BUTTON", u"CQKButton", 1, 177, 139, 22, u"PNG", 5178, 1, u"Italian", 0,
      1),
    E(20247, u"LANGUAGE_6_BUTTON", u"CQKButton", 1, 199, 139, 22, u"PNG", 5178, 1, u"Russian", 0,
      1),
};

}  // namespace

std::span<const LayoutElement> LayoutTableOf(int type) {
    switch (type) {
        case 1:
            return kType1;
        case 2:
            return kType2;
        case 4:
            return kType4;
        case 5:
            return kType5;
        case 6:
            return kType6;
        case 7:
            return kType7;
        case 8:
        case 9:
            return kType8;
        case 10:
        case 12:
        case 20:
            return kType10;
        case 13:
            return kType13;
        case 14:
            return kType14;
        case 15:
            return kType15;
        case 16:
            return kType16;
        case 17:
            return kType17;
        case 18:
            return kType18;
        case 19:
            return kType19;
        case 21:
            return kType21;
        case 25:
            return kType25;
        case 26:
        case 34:
            return kType26;
        case 27:
            return kType27;
        case 28:
            return kType28;
        case 29:
            return kType29;
        case 30:
            return kType30;
        case 31:
            return kType31;
        case 32:
            return kType32;
        case 33:
            return kType33;
        case 35:
            return kType35;
        case 37:
            return kType37;
        case 38:
            return kType38;
        case 39:
            return kType39;
        default:
            return {};
    }
}

bool GetLayoutTable(int type, std::vector<LayoutElement>& out) {
    out.clear();
    if (type < kFirstDialogType || type > kLastDialogType || type == 36 || type == 22 ||
        type == 23 || type == 24) {
        return false;
    }
    std::span<const LayoutElement> table = LayoutTableOf(type);
    out.assign(table.begin(), table.end());
    return true;
}

}  // namespace ui
