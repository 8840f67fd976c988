#pragma once
// Message boxes, answered by the installed front end on the calling thread.

#include "platform/ui/WinDefs.h"

#include <functional>

// Returns IDOK, IDCANCEL, IDYES or IDNO. detail, when given, is shown beneath text.
int AfxMessageBox(const char* text, UINT nType = MB_OK, UINT nIDHelp = 0,
                  const char* detail = nullptr);
// A question that closes itself (as Esc would) once stillAsked() is false.
int AfxMessageBoxWhile(const char* text, UINT nType, const std::function<bool()>& stillAsked);
// Text from the string resource nIDPrompt; nIDHelp -1 means the string id.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
