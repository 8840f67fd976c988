#pragma once
// What orx-config keeps between runs, in the user's configuration folder
// ($XDG_CONFIG_HOME or ~/.config, orx-config/orx-config.conf): the address the main dialog
// closed with and the folder of the last file chosen. A port given on the command line is for
// that run only: a simulator's port remembered would send every later run past the real
// devices. Only this program reads them; its command line wins over them.

#include "app/GuiCommandLine.h"
#include "platform/qt/QtFrontEnd.h"

#include <QSettings>

// QSettings(SETTINGS_ORGANIZATION, SETTINGS_APPLICATION) is the user's settings file.
constexpr const char* SETTINGS_ORGANIZATION = "orx-config";
constexpr const char* SETTINGS_APPLICATION = "orx-config";

// Fills in the address that options leave open, and the file dialog's folder.
void LoadGuiSettings(const QSettings& settings, GuiOptions& options);
// Stores the main dialog's address and the file dialog's folder when the dialog
// closes; a file that cannot be written is named on stderr.
void KeepGuiSettings(QSettings& settings, orxqt::QtFrontEnd& frontEnd);
