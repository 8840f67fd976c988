#include "platform/ui/WinApp.h"

#include "platform/ui/Resources.h"

#include <csignal>

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
#ifdef SIGPIPE
    // A peer that closes early must give the sender an error, not end the process.
    return std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
#else
    return TRUE; // no such signal; each socket starts Windows Sockets itself
#endif
}

void AfxEnableControlContainer() {}
