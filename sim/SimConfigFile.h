#pragma once
// Loading a device image's alarms from, and saving them to, a configuration file.

#include "sim/DeviceImage.h"

#include <string>

enum class ConfigLoad { Loaded, CannotOpen, BadRow };

// Alarms 1.. from the rows of the file, read as a restore reads it (any value a device may
// hold); alarms after the last row are disabled and zero. CannotOpen also for anything but a
// regular file; BadRow when a restore would refuse a row. On failure the error says why,
// naming the row and field of the first refused row, and the image is unchanged.
ConfigLoad LoadConfigFile(const std::string& path, DeviceImage& image, std::string& error);

// The whole file as an upload writes it, serial number included. False when it cannot be
// written.
bool SaveConfigFile(const std::string& path, const DeviceImage& image);
