// orx-config: the ORX Configuration Transfer Utility with its Win32 window.
#include "app/AppResources.h"
#include "app/GuiStart.h"
#include "app/win32/ParentConsole.h"
#include "platform/win32/Win32FrontEnd.h"

namespace {

const GuiFrontEndHelp WIN32_FRONT_END_HELP{
    "The window title names a port other than 502. About ORX Configuration: the window's\n"
    "system menu (its icon, or Alt+Space).\n"
    "\n"
    "Every download first saves the device's configuration in\n"
    "%LOCALAPPDATA%\\orx-config\\backups as ORX-<serial>-<YYYYMMDD-HHMMSS>.csv, keeping the\n"
    "newest 20 of each device.\n"
    "\n"
    "Exit status: 0 the dialog was closed, 2 the trace file cannot be written, 64 usage error.\n",
    false};

} // namespace

int main(int argc, char** argv) {
    UseParentConsole();
    CGuiStart start;
    if (const int status = start.Prepare(argc, argv, WIN32_FRONT_END_HELP); status != GUI_RUN)
        return status;
    orxwin::Win32FrontEnd frontEnd;
    frontEnd.SetMessageBoxCaption(MESSAGE_BOX_CAPTION);
    const CFrontEndScope installed(frontEnd);
    return start.Run();
}
