#pragma once
// Resources as data: dialog templates (positions in dialog units), strings and icons.
// The program registers its module once; dialogs and AfxLoadString look there.

#include "platform/String.h"
#include "platform/ui/WinDefs.h"

#include <span>

struct CDialogItem {
    int nID;                 // -1 for a static without id
    const char* lpszClass;   // WC_BUTTON, WC_STATIC, WC_IPADDRESS, WC_PROGRESS
    const char* lpszCaption; // "" for none; for SS_ICON the icon's id as text, e.g. "130"
    DWORD dwStyle;           // WS_*, BS_*, SS_*, PBS_*
    short x, y, cx, cy;      // dialog units
};

struct CDialogTemplate {
    UINT nID;
    const char* lpszCaption;
    DWORD dwStyle;
    DWORD dwExStyle;
    short cx, cy; // dialog units
    const char* lpszFontName;
    WORD wPointSize;
    std::span<const CDialogItem> items; // in tab order
};

struct CStringResource {
    UINT nID;
    const char* lpszText;
};

struct CIconResource {
    UINT nID;
    std::span<const int> sizes; // square images held, e.g. {32, 16}
};

struct CResourceModule {
    std::span<const CDialogTemplate> dialogs;
    std::span<const CStringResource> strings;
    std::span<const CIconResource> icons;
};

// The module consulted by the functions below; returns the previous one.
const CResourceModule* AfxSetResourceModule(const CResourceModule* module);
const CResourceModule* AfxGetResourceModule();

const CDialogTemplate* AfxFindDialogTemplate(UINT id);
const CDialogItem* AfxFindDialogItem(const CDialogTemplate& dialog, int id);
// FALSE and an empty text when the string is not there.
BOOL AfxLoadString(UINT id, CString& text);
// An empty handle when the icon is not there.
HICON AfxLoadIcon(UINT id);
