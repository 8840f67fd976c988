#include "sim/SimConfigFile.h"

#include "transfer/ConfigCheck.h"
#include "transfer/ConfigFile.h"
#include "transfer/FileIdentity.h"

#include <fstream>

ConfigLoad LoadConfigFile(const std::string& path, DeviceImage& image, std::string& error) {
    // Read as a restore reads it, since a device may hold any value: a folder, FIFO or device
    // is refused before any read.
    const ConfigCheckResult file = CheckConfigFile(path, RowRules::Device);
    if (!file.fileError.empty()) {
        error = "cannot read " + path + ": " + file.fileError;
        return ConfigLoad::CannotOpen;
    }
    if (!file.Accepted()) {
        error = path + ": " + DescribeRowReport(file.problems.front());
        return ConfigLoad::BadRow;
    }
    DeviceImage loaded = image;
    loaded.alarmRegisters.fill(0);
    loaded.faults.fill(false);
    for (std::size_t i = 0; i < file.written.size(); ++i)
        SetAlarm(loaded, static_cast<int>(i) + 1, file.written[i]);
    image = loaded;
    return ConfigLoad::Loaded;
}

bool SaveConfigFile(const std::string& path, const DeviceImage& image) {
    // What became of the path since the start is asked again: a FIFO would block the exit.
    if (!WhyNotAPlainFile(path).empty())
        return false;
    std::ofstream out(path);
    if (!out.is_open())
        return false;
    PrepareFileStream(out);
    WriteFileHeader(out, image.serial);
    for (int n = 1; n <= ALARM_COUNT; ++n)
        WriteAlarmRow(out, n, GetAlarm(image, n));
    WriteFileNote(out);
    out.close();
    return !out.fail();
}
