#pragma once
// Open/save file dialog, answered by the installed front end on the calling thread.

#include "platform/ui/FrontEnd.h"

#include <utility>
#include <vector>

class CFileDialog {
public:
    explicit CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt = nullptr,
                         const char* lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         const char* lpszFilter = nullptr, CWnd* pParentWnd = nullptr,
                         DWORD dwSize = 0, BOOL bVistaStyle = TRUE);

    // IDOK or IDCANCEL.
    INT_PTR DoModal();
    CString GetPathName() const { return m_strPathName; }
    const CFileRequest& GetRequest() const { return m_request; }

private:
    CFileRequest m_request;
    CString m_strPathName;
};

// "Name|pattern;pattern|Name|pattern|" into (name, patterns) pairs; an unpaired last name
// is dropped.
std::vector<std::pair<CString, CString>> ParseFileFilter(const char* filter);
