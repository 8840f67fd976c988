// orx-config: the ORX Configuration Transfer Utility with its Qt window.
#include "app/ORXConfigurationApp.h"
#include "app/qt/GuiShell.h"
#include "platform/qt/AppIcon.h"

#include <QApplication>

int main(int argc, char** argv) {
    GuiOptions options;
    if (const int status = ParseGuiCommandLine(argc, argv, options); status != GUI_RUN)
        return status;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orx-config"));
    QApplication::setWindowIcon(orxqt::AppIcon());
    orxqt::QtFrontEnd frontEnd;
    ConfigureGuiFrontEnd(frontEnd, options);
    const CFrontEndScope installed(frontEnd);

    theApp.m_strInitialHost = options.host.c_str();
    if (options.port != 0)
        theApp.m_wPort = options.port;
    theApp.m_dwTimeout = options.timeoutMs;
    theApp.InitInstance();
    return 0;
}
