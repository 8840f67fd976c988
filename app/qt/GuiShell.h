#pragma once
// What the Qt front end adds for this application: the About entry where a Linux user
// looks for it, message-box captions, the picture for --screenshot.

#include "app/AppResources.h"
#include "app/GuiCommandLine.h"
#include "platform/qt/QtFrontEnd.h"

// The end of orx-config's --help with this front end.
extern const GuiFrontEndHelp QT_FRONT_END_HELP;
// Time the shown dialog gets to settle before --screenshot grabs it.
constexpr int SCREENSHOT_DELAY_MS = 500;
// The desktop entry's name without ".desktop", which also names the window on Wayland.
constexpr const char* DESKTOP_FILE_NAME = "org.example.orxconfig";

// "About ORX Configuration..." is in the dialog's context menu (the system menu's items) and
// on F1, both sending the same system command, so a user finds it where Windows puts it.
void ConfigureGuiFrontEnd(orxqt::QtFrontEnd& frontEnd, const GuiOptions& options);

// False when file (for --screenshot) holds something that is not a picture: it is kept.
bool ScreenshotMayReplace(const std::string& file);
