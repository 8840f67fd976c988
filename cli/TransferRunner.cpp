#include "cli/TransferRunner.h"

#include "app/AppResources.h"
#include "app/ORXConfigurationDlg.h"
#include "cli/CliCommand.h"
#include "cli/InterruptWatch.h"
#include "cli/TerminalFrontEnd.h"
#include "platform/ui/WinApp.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr const char* ALARM_IN_STATUS = "Alarm "; // "Uploading Alarm 5/32...", "Downloading ..."

// The acknowledgement of a cancel: the alarm in progress is still finished.
CString CancelNotice(const CString& status) {
    const char* alarm = std::strstr(status, ALARM_IN_STATUS);
    if (alarm == nullptr)
        return "Cancelling...";
    CString text;
    text.Format("Cancelling after alarm %d...", std::atoi(alarm + std::strlen(ALARM_IN_STATUS)));
    return text;
}

} // namespace

int RunTransfer(const TransferOptions& options, int buttonId) {
    LoadOrxResources();
    AfxSocketInit();
    CTerminalFrontEnd frontEnd(options.file.c_str(), stderr, isatty(STDERR_FILENO) == 1);
    CFrontEndScope scope(frontEnd);
    int interrupts = 0;
    {
        CORXConfigurationDlg dlg;
        dlg.m_wPortOverride = options.port != 0 ? options.port : MODBUS_TCP_PORT;
        dlg.m_strInitialHost = options.host.c_str();
        dlg.Create();
        // Any signal after the first finds the cancel under way; the program ends as it ends.
        CInterruptWatch watch([&](int count) {
            frontEnd.Post([&dlg, &frontEnd, count] {
                if (count > 1) {
                    frontEnd.Notice("Still cancelling; the program ends once that is done.");
                    return;
                }
                dlg.OnBnClickedCancel();
                frontEnd.Notice(CancelNotice(dlg.m_status.GetWindowText()));
            });
        });
        if (CWnd* button = dlg.GetDlgItem(buttonId))
            button->SendMessage(BM_CLICK);
        AfxWaitForWorkers();
        interrupts = watch.Interrupts();
        dlg.DestroyWindow();
    }
    frontEnd.Finish();
    if (interrupts > 1)
        return EXIT_INTERRUPTED;
    return frontEnd.ExitCode() < 0 ? EXIT_NO_RESULT : frontEnd.ExitCode();
}
