#pragma once
// The application's dialog templates, strings and icon as data.

#include "platform/ui/Resources.h"

// The captions and texts the program shows besides the templates' own.
constexpr const char* APP_CAPTION = "ORX Configuration Transfer Utility, Version 1.0.00";
constexpr const char* ABOUT_VERSION_TEXT = "ORX Configuration, Version 1.0";
constexpr const char* ABOUT_SECOND_LINE = "Copyright (C) 2026";
constexpr const char* MESSAGE_BOX_CAPTION = "ORX Configuration";

const CResourceModule& OrxResourceModule();
// Makes OrxResourceModule() the module that dialogs and strings are found in.
void LoadOrxResources();
