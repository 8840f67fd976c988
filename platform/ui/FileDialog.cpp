#include "platform/ui/FileDialog.h"

#include <filesystem>
#include <mutex>

namespace {
std::mutex g_folderMutex;
CString g_fileFolder;
} // namespace

CString AfxGetFileFolder() {
    std::lock_guard lock(g_folderMutex);
    return g_fileFolder;
}

void AfxSetFileFolder(const CString& folder) {
    std::lock_guard lock(g_folderMutex);
    g_fileFolder = folder;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const char* lpszDefExt, const char* lpszFileName,
                         DWORD dwFlags, const char* lpszFilter, CWnd* /*pParentWnd*/,
                         DWORD /*dwSize*/, BOOL /*bVistaStyle*/) {
    m_request.bOpenFileDialog = bOpenFileDialog;
    m_request.strDefExt = lpszDefExt;
    m_request.strFileName = lpszFileName;
    m_request.dwFlags = dwFlags;
    m_request.strFilter = lpszFilter;
    m_request.strInitialDir = AfxGetFileFolder();
}

INT_PTR CFileDialog::DoModal() {
    CString path;
    const INT_PTR result = AfxGetFrontEnd().ChooseFile(m_request, path);
    m_strPathName = result == IDOK ? path : CString();
    if (result == IDOK) {
        std::error_code error;
        const std::filesystem::path chosen = std::filesystem::absolute(path.str(), error);
        if (!error)
            AfxSetFileFolder(chosen.parent_path().string());
    }
    return result == IDOK ? IDOK : IDCANCEL;
}

std::vector<std::pair<CString, CString>> ParseFileFilter(const char* filter) {
    std::vector<std::pair<CString, CString>> entries;
    if (filter == nullptr)
        return entries;
    const std::string text(filter);
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        parts.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    if (start < text.size())
        parts.push_back(text.substr(start));
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        entries.emplace_back(CString(parts[i]), CString(parts[i + 1]));
    return entries;
}
