#pragma once
// Loading a device image's alarms from, and saving them to, a configuration file.

#include "sim/DeviceImage.h"

#include <string>

enum class ConfigLoad { Loaded, CannotOpen, BadRow };

// Alarms 1.. from the rows of the file; alarms after the last row are disabled and zero.
// On failure the error names the row and field, and the image is unchanged.
ConfigLoad LoadConfigFile(const std::string& path, DeviceImage& image, std::string& error);

// The whole file as an upload writes it, serial number included. False when it cannot be
// written.
bool SaveConfigFile(const std::string& path, const DeviceImage& image);
