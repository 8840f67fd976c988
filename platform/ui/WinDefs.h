#pragma once
// Message numbers, style bits, message-box and file-dialog constants of the window layer,
// with the values Windows gives them, so that code and templates read the same on every system.

#include "platform/AfxTypes.h"

constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) {
    return static_cast<WPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}

// Window messages
constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D; // wParam: buffer size, lParam: char*; returns length
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUERYENDSESSION = 0x0011; // returns TRUE when the session may end
constexpr UINT WM_ENDSESSION = 0x0016;      // wParam: TRUE when the session ends
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;    // wParam: MAKEWPARAM(control id, notification code)
constexpr UINT WM_SYSCOMMAND = 0x0112; // wParam: command id
constexpr UINT WM_SETICON = 0x0080;    // wParam: ICON_BIG/ICON_SMALL, lParam: icon id
constexpr UINT BM_CLICK = 0x00F5;      // a button clicks itself when enabled
constexpr UINT BN_CLICKED = 0;
constexpr WPARAM ICON_SMALL = 0;
constexpr WPARAM ICON_BIG = 1;

// Progress bar
constexpr UINT PBM_SETRANGE = 1025; // lParam: low word lower bound, high word upper bound
constexpr UINT PBM_SETPOS = 1026;   // wParam: position
constexpr UINT PBM_DELTAPOS = 1027; // wParam: signed increment
constexpr UINT PBM_SETSTEP = 1028;  // wParam: step
constexpr UINT PBM_STEPIT = 1029;
constexpr UINT PBM_GETRANGE = 1031; // wParam: TRUE lower bound, FALSE upper bound
constexpr UINT PBM_GETPOS = 1032;

// IP-address field
constexpr UINT IPM_CLEARADDRESS = 1124;
constexpr UINT IPM_SETADDRESS = 1125; // lParam: address, first field in the high byte
constexpr UINT IPM_GETADDRESS = 1126; // lParam: DWORD*; returns the count of filled fields
constexpr UINT IPM_ISBLANK = 1129;

// Command ids
constexpr UINT IDOK = 1;
constexpr UINT IDCANCEL = 2;
constexpr UINT IDYES = 6;
constexpr UINT IDNO = 7;
constexpr UINT ID_HELP = 0xE146;

// Message-box types
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNO = 0x04;
// OK labelled "Continue", with Cancel the default: going on risks something. Windows has no
// such type; its front end relabels an OK/Cancel box.
constexpr UINT MB_CONTINUECANCEL = 0x07;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_ICONMASK = 0xF0;
constexpr UINT MB_DEFBUTTON2 = 0x100; // the second button (No, Cancel) is the default
constexpr UINT MB_DEFMASK = 0xF00;

// File-dialog flags
constexpr DWORD OFN_READONLY = 0x0001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x0002;
constexpr DWORD OFN_HIDEREADONLY = 0x0004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x1000;

// Window styles
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_APPWINDOW = 0x00040000;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD BS_PUSHBUTTON = 0x0000;
constexpr DWORD BS_DEFPUSHBUTTON = 0x0001;
constexpr DWORD BS_GROUPBOX = 0x0007;
constexpr DWORD SS_LEFT = 0x0000;
constexpr DWORD SS_ICON = 0x0003;
constexpr DWORD SS_NOPREFIX = 0x0080;
constexpr DWORD PBS_SMOOTH = 0x0001;

// System menu
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT SC_MASK = 0xFFF0; // the low four bits of a system command are the system's

// Window classes of template items
constexpr const char* WC_BUTTON = "Button";
constexpr const char* WC_STATIC = "Static";
constexpr const char* WC_IPADDRESS = "SysIPAddress32";
constexpr const char* WC_PROGRESS = "msctls_progress32";

// An icon, known by its resource id; the front end draws it.
struct HICON {
    UINT nResourceId = 0;
    explicit operator bool() const { return nResourceId != 0; }
    friend bool operator==(HICON, HICON) = default;
};
