#pragma once
// A user who agrees to everything: Yes (or OK) to each message box, noted in asked, and path
// to each file choice.

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"
#include "support/AnsweringFrontEnd.h"

#include <string>
#include <vector>

inline void AnswerYes(CAnsweringFrontEnd& frontEnd, std::vector<CString>& asked,
                      const std::string& path) {
    frontEnd.SetMessageBoxAnswer([&asked](const CString& text, UINT type) {
        asked.push_back(text);
        return static_cast<int>((type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK);
    });
    frontEnd.SetFileAnswer([&path](const CFileRequest&, CString& chosen) {
        chosen = path.c_str();
        return static_cast<INT_PTR>(IDOK);
    });
}
