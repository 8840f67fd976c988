#include "platform/ui/WinApp.h"

#include "platform/SocketLibrary.h"
#include "platform/ui/Resources.h"

IMPLEMENT_DYNAMIC(CWinApp, CObject)

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return AfxLoadIcon(id);
}

CWinApp* AfxGetApp() {
    return g_app;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return init != nullptr;
}

BOOL AfxSocketInit(void* /*lpwsaData*/) {
    return StartSocketLibrary() ? TRUE : FALSE;
}

void AfxEnableControlContainer() {}
