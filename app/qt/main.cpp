// orx-config: the ORX Configuration Transfer Utility with its Qt window.
#include "app/GuiStart.h"
#include "app/qt/GuiSettings.h"
#include "app/qt/GuiShell.h"
#include "app/qt/NoDisplayExit.h"
#include "app/qt/SessionEnd.h"
#include "platform/qt/AppIcon.h"

#include <QApplication>

#include <csignal>
#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN); // a closed stderr or trace pipe fails writes, not the transfer
    CGuiStart start;
    if (const int status = start.Prepare(argc, argv, QT_FRONT_END_HELP); status != GUI_RUN)
        return status;
    GuiOptions& options = start.Options();

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

    return start.Run();
}
