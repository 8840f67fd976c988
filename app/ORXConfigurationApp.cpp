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
    m_dialogSettings.device = options.At(options.host);
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
    dlg.UseSettings(m_dialogSettings);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
