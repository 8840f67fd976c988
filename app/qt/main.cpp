// orx-config: the ORX Configuration Transfer Utility with its Qt window.
#include "app/ORXConfigurationApp.h"
#include "app/qt/GuiSettings.h"
#include "app/qt/GuiShell.h"
#include "app/qt/NoDisplayExit.h"
#include "app/qt/SessionEnd.h"
#include "platform/qt/AppIcon.h"
#include "transfer/ExchangeTrace.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN); // a closed stderr or trace pipe fails writes, not the transfer
    GuiOptions options;
    if (const int status = ParseGuiCommandLine(argc, argv, options, QT_FRONT_END_HELP);
        status != GUI_RUN)
        return status;

    std::unique_ptr<CExchangeTrace> trace;
    if (!options.trace.empty()) {
        std::string why;
        trace = CExchangeTrace::Open(options.trace, std::cerr, why);
        if (!trace) {
            std::fprintf(stderr, "orx-config: cannot write the trace: %s\n", why.c_str());
            return GUI_TRACE_EXIT;
        }
        theApp.m_exchangeObserver = [&trace](const ExchangeRecord& r) { trace->Write(r); };
    }

    std::optional<NoDisplayExit> noDisplay(std::in_place);
    QApplication app(argc, argv);
    noDisplay.reset();
    QApplication::setApplicationName(QStringLiteral("orx-config"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DESKTOP_FILE_NAME));
    QApplication::setWindowIcon(orxqt::AppIcon());
    if (!ScreenshotMayReplace(options.screenshot)) {
        std::fprintf(stderr,
                     "orx-config: %s is not a picture; the screenshot does not replace it\n",
                     options.screenshot.c_str());
        return GUI_USAGE_EXIT;
    }
    orxqt::QtFrontEnd frontEnd;
    ConfigureGuiFrontEnd(frontEnd, options);
    const CFrontEndScope installed(frontEnd);
    SessionEnd sessionEnd(frontEnd);
    // A screenshot is no session of the user's: it neither reads nor changes the settings.
    QSettings settings(QString::fromLatin1(SETTINGS_ORGANIZATION),
                       QString::fromLatin1(SETTINGS_APPLICATION));
    if (options.screenshot.empty()) {
        LoadGuiSettings(settings, options);
        KeepGuiSettings(settings, frontEnd);
    }

    theApp.UseCommandLine(options);
    theApp.InitInstance();
    return 0;
}
