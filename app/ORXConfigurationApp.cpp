#include "app/ORXConfigurationApp.h"

#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "app/Resource.h"
#include "platform/ui/MessageBox.h"

IMPLEMENT_DYNAMIC(CORXConfigurationApp, CWinApp)

namespace {
constexpr const char* REGISTRY_KEY = "Local AppWizard-Generated Applications";
}

CORXConfigurationApp theApp;

CORXConfigurationApp::CORXConfigurationApp() = default;

void CORXConfigurationApp::UseCommandLine(const GuiOptions& options) {
    m_strInitialHost = options.host.c_str();
    if (options.port != 0)
        m_wPort = options.port;
    m_dwTimeout = options.timeoutMs;
    m_wAttempts = options.attempts;
    m_bBlockReads = options.blockReads;
}

BOOL CORXConfigurationApp::InitInstance() {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    CWinAppEx::InitInstance();
    LoadOrxResources();
    if (!AfxSocketInit()) {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED);
        return FALSE;
    }
    AfxEnableControlContainer();
    SetRegistryKey(REGISTRY_KEY);

    CORXConfigurationDlg dlg;
    dlg.m_wPortOverride = m_wPort;
    dlg.m_dwExchangeTimeout = m_dwTimeout;
    dlg.m_wAttempts = m_wAttempts;
    dlg.m_bBlockReads = m_bBlockReads;
    dlg.m_strInitialHost = m_strInitialHost;
    dlg.m_modbus.SetExchangeObserver(m_exchangeObserver);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
