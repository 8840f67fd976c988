#pragma once
// The application object and the start-up calls a Windows application makes. Controls need
// no set-up here (a front end registers what it shows); sockets do on Windows.

#include "platform/ui/Wnd.h"

class CWinApp : public CObject {
    DECLARE_DYNAMIC(CWinApp)
public:
    CWinApp();
    ~CWinApp() override;

    // FALSE ends the program when InitInstance returns.
    virtual BOOL InitInstance() { return TRUE; }
    void SetRegistryKey(const char* key) { m_strRegistryKey = key; }
    HICON LoadIcon(UINT id) const;

    CWnd* m_pMainWnd = nullptr;
    CString m_strRegistryKey;
};
using CWinAppEx = CWinApp;

// The one application object, or nullptr.
CWinApp* AfxGetApp();

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

// Starts the system's socket library (see platform/SocketLibrary.h); FALSE when it cannot.
BOOL AfxSocketInit(void* lpwsaData = nullptr);
void AfxEnableControlContainer();
