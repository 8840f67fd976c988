#pragma once
// A front end's questions answered as a user who agrees to everything: Yes (or OK) to each
// message box, noted in asked, and path to each file choice. For the Qt and Win32 front ends,
// whose answer hooks are alike.

#include "platform/ui/FileDialog.h"
#include "platform/ui/MessageBox.h"

#include <string>
#include <vector>

template <class FrontEnd>
void AnswerYes(FrontEnd& frontEnd, std::vector<CString>& asked, const std::string& path) {
    frontEnd.SetMessageBoxAnswer([&asked](const CString& text, UINT type) {
        asked.push_back(text);
        return (type & MB_TYPEMASK) == MB_YESNO ? static_cast<int>(IDYES) : static_cast<int>(IDOK);
    });
    frontEnd.SetFileAnswer([&path](const CFileRequest&, CString& chosen) {
        chosen = path.c_str();
        return static_cast<INT_PTR>(IDOK);
    });
}
