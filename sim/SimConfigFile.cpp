#include "sim/SimConfigFile.h"

#include "transfer/ConfigFile.h"

#include <fstream>

ConfigLoad LoadConfigFile(const std::string& path, DeviceImage& image, std::string& error) {
    std::ifstream in(path);
    if (!in.is_open()) {
        error = "cannot open " + path;
        return ConfigLoad::CannotOpen;
    }
    SkipFileHeader(in);
    DeviceImage loaded = image;
    loaded.alarmRegisters.fill(0);
    loaded.faults.fill(false);
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        AlarmRecord record;
        RowProblem problem;
        const RowOutcome outcome = ReadRow(in, record, &problem);
        if (outcome == RowOutcome::NoMoreRows)
            break;
        if (outcome == RowOutcome::Unacceptable) {
            error = path + ": row of alarm " + std::to_string(n) + ", field " +
                    std::to_string(problem.field) + " '" + problem.value + "': " + problem.rule;
            return ConfigLoad::BadRow;
        }
        SetAlarm(loaded, n, record);
    }
    image = loaded;
    return ConfigLoad::Loaded;
}

bool SaveConfigFile(const std::string& path, const DeviceImage& image) {
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
