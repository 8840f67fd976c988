#include "cli/TransferRunner.h"

#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "cli/InterruptWatch.h"
#include "cli/TerminalFrontEnd.h"
#include "platform/ui/WinApp.h"

#include <unistd.h>

int RunTransfer(const TransferOptions& options, int buttonId) {
    LoadOrxResources();
    AfxSocketInit();
    CTerminalFrontEnd frontEnd(options.file.c_str(), stderr, isatty(STDERR_FILENO) == 1);
    CFrontEndScope scope(frontEnd);
    {
        CORXConfigurationDlg dlg;
        dlg.m_wPortOverride = options.port != 0 ? options.port : MODBUS_TCP_PORT;
        dlg.m_strInitialHost = options.host.c_str();
        dlg.Create();
        CInterruptWatch watch([&] { frontEnd.Post([&dlg] { dlg.OnBnClickedCancel(); }); });
        if (CWnd* button = dlg.GetDlgItem(buttonId))
            button->SendMessage(BM_CLICK);
        AfxWaitForWorkers();
        dlg.DestroyWindow();
    }
    frontEnd.Finish();
    return frontEnd.ExitCode() < 0 ? EXIT_NO_RESULT : frontEnd.ExitCode();
}
