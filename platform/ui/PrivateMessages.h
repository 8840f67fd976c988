#pragma once
// Messages the window layer uses between a control's public calls and its window
// procedure, so that reads and writes of a control's state happen on the interface thread.

#include "platform/AfxTypes.h"

constexpr UINT UIM_FIRST = 0x8000;
constexpr UINT UIM_ENABLE = UIM_FIRST + 1;    // wParam: enable; returns TRUE if was disabled
constexpr UINT UIM_ISENABLED = UIM_FIRST + 2; //
constexpr UINT UIM_GETTEXT = UIM_FIRST + 3;   // lParam: CString*
constexpr UINT UIM_GETICON = UIM_FIRST + 4;   // wParam: ICON_BIG/ICON_SMALL
constexpr UINT UIM_SETFIELD = UIM_FIRST + 5;  // wParam: index, lParam: value or BLANK
constexpr UINT UIM_GETFIELD = UIM_FIRST + 6;  // wParam: index
constexpr UINT UIM_GETSTEP = UIM_FIRST + 7;
