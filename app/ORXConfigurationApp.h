#pragma once
// The application object: sets up the platform and runs the main dialog.

#include "app/GuiCommandLine.h"
#include "modbus/RemoteModbus.h"
#include "platform/ui/WinApp.h"
#include "transfer/DeviceAddress.h"

class CORXConfigurationApp : public CWinAppEx {
    DECLARE_DYNAMIC(CORXConfigurationApp)
public:
    CORXConfigurationApp();

    // Runs the main dialog to its end; returns FALSE so the program ends.
    BOOL InitInstance() override;
    // The host, port, time-out, attempts and way of reading of the command line.
    void UseCommandLine(const GuiOptions& options);

    // Host ("A.B.C.D", empty for none) and port given on the command line.
    CString m_strInitialHost;
    WORD m_wPort = MODBUS_TCP_PORT;
    DWORD m_dwTimeout = EXCHANGE_TIMEOUT_MS; // of each exchange
    WORD m_wAttempts = DEFAULT_ATTEMPTS;     // of each exchange
    BOOL m_bBlockReads = FALSE;
    ExchangeObserver m_exchangeObserver; // sees every exchange of the dialog's client
};

extern CORXConfigurationApp theApp;
