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
    // The dialog's title, saying what the file is for (lpstrTitle).
    void SetTitle(const char* title) { m_request.strTitle = title; }
    CString GetPathName() const { return m_strPathName; }
    const CFileRequest& GetRequest() const { return m_request; }

private:
    CFileRequest m_request;
    CString m_strPathName;
};

// The folder the next file dialog starts in: the folder of the last file chosen, or one set
// (e.g. remembered from an earlier run); empty for the working folder. Any thread.
CString AfxGetFileFolder();
void AfxSetFileFolder(const CString& folder);

// "Name|pattern;pattern|Name|pattern|" into (name, patterns) pairs; an unpaired last name
// is dropped.
std::vector<std::pair<CString, CString>> ParseFileFilter(const char* filter);
