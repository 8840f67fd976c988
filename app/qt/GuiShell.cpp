#include "app/qt/GuiShell.h"

#include "app/Resource.h"
#include "platform/ui/Dialog.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QPointer>
#include <QShortcut>
#include <QTimer>

#include <cstdio>

namespace {

void AddAboutShortcut(orxqt::QtDialogView& view) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F1), &view);
    CDialog* dialog = &view.Dialog();
    QObject::connect(shortcut, &QShortcut::activated, &view,
                     [dialog] { dialog->PostMessage(WM_SYSCOMMAND, IDM_ABOUTBOX); });
}

void ScheduleScreenshot(orxqt::QtDialogView& view, const QString& file) {
    QPointer<orxqt::QtDialogView> target(&view);
    QTimer::singleShot(SCREENSHOT_DELAY_MS, &view, [target, file] {
        if (!target)
            return;
        if (!target->grab().save(file, "PNG"))
            std::fprintf(stderr, "orx-config: cannot write %s\n", file.toLocal8Bit().constData());
        target->Dialog().PostMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED));
    });
}

} // namespace

const GuiFrontEndHelp QT_FRONT_END_HELP{
    "The dialog remembers the last address and the folder of the last file chosen; --host\n"
    "overrides the address. A port given with --port is for that run only, and the window\n"
    "title names a port other than 502. About ORX Configuration: F1, or the dialog's context\n"
    "menu (right click).\n"
    "\n"
    "Every download first saves the device's configuration in\n"
    "$XDG_DATA_HOME/orx-config/backups (~/.local/share/orx-config/backups when unset) as\n"
    "ORX-<serial>-<YYYYMMDD-HHMMSS>.csv, keeping the newest 20 of each device; \"Open Backup\n"
    "Folder\" on the context menu shows them.\n"
    "\n"
    "Exit status: 0 the dialog was closed, 1 no display to show it on, 2 the trace file\n"
    "cannot be written, 64 usage error or a --screenshot FILE that is not a picture.\n",
    true};

void ConfigureGuiFrontEnd(orxqt::QtFrontEnd& frontEnd, const GuiOptions& options) {
    frontEnd.SetMessageBoxCaption(QString::fromLatin1(MESSAGE_BOX_CAPTION));
    const QString screenshot = QString::fromStdString(options.screenshot);
    frontEnd.AddViewShownHook([screenshot](orxqt::QtDialogView& view) {
        if (view.Dialog().GetTemplateID() != IDD_TRANSFER_DIALOG)
            return;
        AddAboutShortcut(view);
        if (!screenshot.isEmpty())
            ScheduleScreenshot(view, screenshot);
    });
}

bool ScreenshotMayReplace(const std::string& file) {
    const QString path = QString::fromStdString(file);
    const QFileInfo info(path);
    return file.empty() || !info.exists() || (info.isFile() && info.size() == 0) ||
           !QImageReader::imageFormat(path).isEmpty();
}
