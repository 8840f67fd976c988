// orx-config: the ORX Configuration Transfer Utility with its Qt window.
#include "app/ORXConfigurationApp.h"
#include "app/qt/GuiShell.h"
#include "platform/qt/AppIcon.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    GuiOptions options;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    switch (ParseGuiCommandLine(args, options, error)) {
    case GuiCommand::Help:
        std::fputs(GuiUsageText(), stdout);
        return 0;
    case GuiCommand::UsageError:
        std::fprintf(stderr, "orx-config: %s\n%s", error.c_str(), GuiUsageText());
        return GUI_USAGE_EXIT;
    case GuiCommand::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orx-config"));
    QApplication::setWindowIcon(orxqt::AppIcon());
    orxqt::QtFrontEnd frontEnd;
    ConfigureGuiFrontEnd(frontEnd, options);
    const CFrontEndScope installed(frontEnd);

    theApp.m_strInitialHost = options.host.c_str();
    if (options.port != 0)
        theApp.m_wPort = options.port;
    theApp.InitInstance();
    return 0;
}
