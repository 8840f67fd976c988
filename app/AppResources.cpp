#include "app/AppResources.h"

#include "app/Resource.h"

#include <array>

namespace {

constexpr DWORD DIALOG_FRAME =
    DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr const char* DIALOG_FONT = "MS Shell Dlg";
constexpr WORD DIALOG_POINT_SIZE = 8;

constexpr std::array<CDialogItem, 8> TRANSFER_ITEMS{{
    {IDC_IP_GROUP, WC_BUTTON, "ORX IP Address", WS_VISIBLE | BS_GROUPBOX, 6, 6, 306, 36},
    {IDC_IPADDRESS, WC_IPADDRESS, "", WS_VISIBLE | WS_TABSTOP, 12, 18, 100, 15},
    {IDC_TRANSFER_GROUP, WC_BUTTON, "Upload/Download", WS_VISIBLE | BS_GROUPBOX, 6, 48, 306, 54},
    {IDC_UPLOAD, WC_BUTTON, "&Upload from ORX", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 12, 60, 84,
     14},
    {IDC_DOWNLOAD, WC_BUTTON, "&Download to ORX", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 102, 60,
     84, 14},
    {IDC_CANCEL_TRANSFER, WC_BUTTON, "Cancel",
     WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 192, 60, 50, 14},
    {IDC_STATUS, WC_STATIC, "", WS_VISIBLE | WS_GROUP | SS_LEFT, 120, 21, 186, 8},
    {IDC_PROGRESS, WC_PROGRESS, "", WS_VISIBLE | WS_BORDER | PBS_SMOOTH, 12, 78, 294, 14},
}};

// The icon static names its icon by id, as "#130".
constexpr std::array<CDialogItem, 4> ABOUT_ITEMS{{
    {IDC_STATIC, WC_STATIC, "#130", WS_VISIBLE | SS_ICON, 14, 14, 20, 20},
    {IDC_STATIC, WC_STATIC, ABOUT_VERSION_TEXT, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP, 42,
     14, 114, 8},
    {IDC_STATIC, WC_STATIC, ABOUT_SECOND_LINE, WS_VISIBLE | SS_LEFT, 42, 26, 114, 10},
    {IDOK, WC_BUTTON, "OK", WS_VISIBLE | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 114, 42, 50, 14},
}};

constexpr std::array<CDialogTemplate, 2> DIALOGS{{
    {IDD_TRANSFER_DIALOG, APP_CAPTION, DIALOG_FRAME | WS_VISIBLE, WS_EX_APPWINDOW, 320, 110,
     DIALOG_FONT, DIALOG_POINT_SIZE, TRANSFER_ITEMS},
    {IDD_ABOUTBOX, "About ORX Configuration", DIALOG_FRAME, 0, 170, 62, DIALOG_FONT,
     DIALOG_POINT_SIZE, ABOUT_ITEMS},
}};

constexpr std::array<CStringResource, 5> STRINGS{{
    {IDS_ABOUTBOX, "&About ORX Configuration..."},
    {IDP_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
    {IDS_OPENBACKUPS, "Open &Backup Folder"},
    {IDS_RESTORE, "&Restore Last Backup..."},
    {IDS_VERIFY, "&Verify Against File..."},
}};

constexpr std::array<int, 2> ICON_SIZES{32, 16};
constexpr std::array<CIconResource, 1> ICONS{{{IDR_MAINFRAME, ICON_SIZES}}};

constexpr CResourceModule MODULE{DIALOGS, STRINGS, ICONS};

} // namespace

const CResourceModule& OrxResourceModule() {
    return MODULE;
}

void LoadOrxResources() {
    AfxSetResourceModule(&MODULE);
}
