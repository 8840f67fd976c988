// orx-config: the ORX Configuration Transfer Utility with its Qt window.
#include "app/ORXConfigurationApp.h"
#include "app/qt/GuiSettings.h"
#include "app/qt/GuiShell.h"
#include "app/qt/NoDisplayExit.h"
#include "orx/Version.h"
#include "platform/qt/AppIcon.h"

#include <QApplication>

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    GuiOptions options;
    std::string error;
    const std::vector<std::string> args(argv + 1, argv + argc);
    switch (ParseGuiCommandLine(args, options, error)) {
    case GuiCommand::Help:
        std::fputs(GuiUsageText(), stdout);
        return 0;
    case GuiCommand::Version:
        std::printf("orx-config %s (%s)\n", ORX_VERSION_TEXT, ORX_GIT_DESCRIPTION);
        return 0;
    case GuiCommand::UsageError:
        std::fprintf(stderr, "orx-config: %s\n%s", error.c_str(), GuiUsageText());
        return GUI_USAGE_EXIT;
    case GuiCommand::Run:
        break;
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
    // A screenshot is no session of the user's: it neither reads nor changes the settings.
    QSettings settings(QString::fromLatin1(SETTINGS_ORGANIZATION),
                       QString::fromLatin1(SETTINGS_APPLICATION));
    if (options.screenshot.empty()) {
        LoadGuiSettings(settings, options, frontEnd);
        KeepGuiSettings(settings, frontEnd);
    }

    theApp.m_strInitialHost = options.host.c_str();
    if (options.port != 0)
        theApp.m_wPort = options.port;
    theApp.InitInstance();
    return 0;
}
