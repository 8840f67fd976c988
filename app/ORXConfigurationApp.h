#pragma once
// The application object: sets up the platform and runs the main dialog.

#include "app/GuiCommandLine.h"
#include "app/ORXConfigurationDlg.h"
#include "platform/ui/WinApp.h"

class CORXConfigurationApp : public CWinAppEx {
    DECLARE_DYNAMIC(CORXConfigurationApp)
public:
    CORXConfigurationApp();

    // Runs the main dialog to its end; returns FALSE so the program ends.
    BOOL InitInstance() override;
    // The host, port, time-out, attempts and way of reading of the command line.
    void UseCommandLine(const GuiOptions& options);

    // The host, port, time-out, attempts and way of reading of the command line, and who
    // sees every exchange of the dialog's client.
    TransferDialogSettings m_dialogSettings;
};

extern CORXConfigurationApp theApp;
